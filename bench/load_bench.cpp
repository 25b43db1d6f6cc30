// The downloader from its start to the reply file written, for a 1 KiB reply
// from a server on loopback.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <support/testhttpserver.h>

using namespace Qt::StringLiterals;

static void LoadOneKilobyte(benchmark::State& state)
{
    zuvtest::TestHttpServer server;
    const std::string reply(1024, 'x');
    server.routes().Get("/zuv/all.php", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(reply, "text/plain");
    });
    server.start();
    QTemporaryDir dir;
    qputenv("ZUV_BUS_DIR", QFile::encodeName(dir.path() + u"/bus"_s));
    const QString load = QCoreApplication::applicationDirPath() + u"/../suite/load"_s;
    const QString argument = QString::fromStdString(server.base()) +
                             u"/zuv/all.php?id=100001&h=demo/@/"_s + dir.path() + u"/zuv.tt"_s;
    for (auto _ : state) {
        QFile::remove(dir.path() + u"/zuv.tt"_s);
        QProcess p;
        p.start(load, {argument});
        p.waitForFinished();
        if (p.exitCode() != 0 || QFile(dir.path() + u"/zuv.tt"_s).size() != 1024)
            state.SkipWithError("no reply file");
    }
}
BENCHMARK(LoadOneKilobyte)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
