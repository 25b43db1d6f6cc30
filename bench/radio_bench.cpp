// The radio player's look-up of a station in a large catalog file, read
// anew on every call as the display and the play commands do.
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <core/stationrecord.h>
#include <foundation/codepage.h>

using namespace Qt::StringLiterals;

static void RadioInfoIn50000Lines(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.path() + u"/radios.tt"_s;
    QByteArray catalog;
    for (int i = 0; i < 50000; ++i)
        catalog += zuv::CodePage::encode(
            u"%1/@/Stanice č. %2/@/tip doporučujeme/@//@/CZ/@/100010/@/http://r%2.example/128"
            "/@/http://r%2.example/64/@//@//@//@/128/@/64/@//@//@//@/http://r%2.example/@/"
            "Hudba, zprávy a sport z regionu %2.\r\n"_s.arg(100000 + i)
                .arg(i));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(catalog);
    file.close();
    // The station asked for stands last, so the whole file is gone through.
    for (auto _ : state)
        benchmark::DoNotOptimize(zuv::radio::RadioInfo(path, u"149999"_s, u"name"_s));
    state.counters["file_MB"] = double(catalog.size()) / 1e6;
}
BENCHMARK(RadioInfoIn50000Lines)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
