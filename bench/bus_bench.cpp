// Window bus: a command round trip to another process, and the look-up of a
// caption nobody has while 50 other windows are published.
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/sendmessage.h>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<QProcess> listener;

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

void addPercentiles(benchmark::internal::Benchmark* b)
{
    b->Iterations(1)
        ->Repetitions(2000)
        ->ComputeStatistics("p50", [](const std::vector<double>& v) { return percentile(v, 0.50); })
        ->ComputeStatistics("p99", [](const std::vector<double>& v) { return percentile(v, 0.99); })
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMicrosecond);
}

QString zuvbusPath()
{
    return QCoreApplication::applicationDirPath() + u"/../suite/zuvbus"_s;
}

// Look up "Zuv - Sorvanta", send it a 20-byte command, wait for its answer.
void CommandRoundTrip(benchmark::State& state)
{
    if (!listener) {
        listener = std::make_unique<QProcess>();
        listener->setStandardOutputFile(QProcess::nullDevice());
        listener->start(zuvbusPath(), {u"listen"_s, u"Zuv - Sorvanta"_s});
        while (!zuv::FindWindowA(u"Zuv - Sorvanta"_s))
            QThread::msleep(5);
    }
    const QByteArray command = "svs:123456/@/abcdefg"; // 20 bytes
    for (auto _ : state) {
        const zuv::WindowRef window = zuv::FindWindowA(u"Zuv - Sorvanta"_s);
        if (zuv::SendMessageA(window, 1, command, 0) != -1)
            state.SkipWithError("no answer");
    }
}
BENCHMARK(CommandRoundTrip)->Apply(addPercentiles);

void LookupOfAMissingCaptionAmong50(benchmark::State& state)
{
    static std::vector<std::unique_ptr<zuv::BusWindow>> windows;
    for (int i = static_cast<int>(windows.size()); i < 50; ++i) {
        windows.push_back(std::make_unique<zuv::BusWindow>());
        windows.back()->publish(u"Kontakt %1 [%2]"_s.arg(i).arg(100000 + i));
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(zuv::FindWindowA(u"Nikdo takový"_s));
}
BENCHMARK(LookupOfAMissingCaptionAmong50)->Apply(addPercentiles);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir busDir;
    qputenv("ZUV_BUS_DIR", QFile::encodeName(busDir.path() + u"/bus"_s));
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    if (listener) {
        listener->terminate();
        listener->waitForFinished();
    }
    return 0;
}
