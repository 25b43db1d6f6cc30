// Costs of what every program does at start and on save.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <foundation/codepage.h>
#include <foundation/optionsfile.h>

using namespace Qt::StringLiterals;

static void CodePageRoundTrip(benchmark::State& state)
{
    const QString text = u"Příliš žluťoučký kůň úpěl ďábelské ódy. "_s.repeated(100);
    for (auto _ : state)
        benchmark::DoNotOptimize(zuv::CodePage::decode(zuv::CodePage::encode(text)));
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(CodePageRoundTrip);

static void OptionsLoadAndSave(benchmark::State& state)
{
    QTemporaryDir dir;
    zuv::OptionsFile file(dir.path() + u"/options.ini"_s);
    file.load();
    for (auto _ : state) {
        file.load();
        file.save({{zuv::OptionKeys::Zuvnick, u"Šárka"_s}});
    }
}
BENCHMARK(OptionsLoadAndSave)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
