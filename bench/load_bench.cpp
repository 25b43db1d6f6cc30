// The downloader from its start to the reply file written, for a 1 KiB reply
// from a server on loopback, beside curl doing the same.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <support/testhttpserver.h>

using namespace Qt::StringLiterals;

// One loopback server for the whole run, so both programs are measured
// against the same one.
struct OneKilobyteServer
{
    OneKilobyteServer()
    {
        server.routes().Get("/zuv/all.php",
                            [this](const httplib::Request&, httplib::Response& res) {
                                res.set_content(reply, "text/plain");
                            });
        server.start();
        qputenv("ZUV_BUS_DIR", QFile::encodeName(dir.path() + u"/bus"_s));
    }
    QString url() const
    {
        return QString::fromStdString(server.base()) + u"/zuv/all.php?id=100001&h=demo"_s;
    }
    QString replyFile() const { return dir.path() + u"/zuv.tt"_s; }

    zuvtest::TestHttpServer server;
    const std::string reply = std::string(1024, 'x');
    QTemporaryDir dir;
};

OneKilobyteServer& server()
{
    static OneKilobyteServer s;
    return s;
}

// One run of the program until it ends; false unless the reply file then
// holds the whole reply.
bool runToTheReplyFile(const QString& program, const QStringList& args)
{
    QFile::remove(server().replyFile());
    QProcess p;
    p.start(program, args);
    p.waitForFinished();
    return p.exitCode() == 0 && QFile(server().replyFile()).size() == 1024;
}

// load and curl one after the other in every iteration, so that whatever
// else the machine does falls on both alike: the time of each, and load's
// against curl's.
static void LoadBesideCurl(benchmark::State& state)
{
    const QString load = QCoreApplication::applicationDirPath() + u"/../suite/load"_s;
    const QStringList loadArgs = {server().url() + u"/@/"_s + server().replyFile()};
    const QStringList curlArgs = {u"-s"_s, u"-o"_s, server().replyFile(), server().url()};
    double loadSeconds = 0, curlSeconds = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        const bool loaded = runToTheReplyFile(load, loadArgs);
        const qint64 loadNs = clock.nsecsElapsed();
        clock.restart();
        const bool curled = runToTheReplyFile(u"curl"_s, curlArgs);
        const qint64 curlNs = clock.nsecsElapsed();
        if (!loaded || !curled)
            state.SkipWithError("no reply file");
        loadSeconds += double(loadNs) / 1e9;
        curlSeconds += double(curlNs) / 1e9;
        state.SetIterationTime(double(loadNs) / 1e9);
    }
    state.counters["load_ms"] = benchmark::Counter(loadSeconds * 1e3 / double(state.iterations()));
    state.counters["curl_ms"] = benchmark::Counter(curlSeconds * 1e3 / double(state.iterations()));
    state.counters["load_per_curl"] = benchmark::Counter(loadSeconds / curlSeconds);
}
BENCHMARK(LoadBesideCurl)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(40)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
