// The media-player control on a live 128 kbit/s MP3 stream from a loopback
// icecast2: how long play() takes until the status says it plays, and how
// much processor time playing costs while the audio goes nowhere.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <ctime>
#include <foundation/gui/media/mediaplayer.h>
#include <memory>
#include <support/icecastprocess.h>
#include <support/processes.h>

using namespace Qt::StringLiterals;

namespace {

const QString kPlaying = u"Přehrávání"_s;

// A server whose source has been on the air long enough that a new listener
// gets the full start-up burst, as with a real station.
std::unique_ptr<zuvtest::IcecastProcess> station(benchmark::State& state)
{
    if (!zuvtest::IcecastProcess::available()) {
        state.SkipWithError("icecast2 or ffmpeg is not installed");
        return nullptr;
    }
    auto server = std::make_unique<zuvtest::IcecastProcess>();
    if (!server->started() || !server->startSource()) {
        state.SkipWithError("the icecast2 server or its source did not start");
        return nullptr;
    }
    QThread::sleep(5);
    return server;
}

double processSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Lets the event loop run without polling, so the figures are the player's.
void runEventLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

static void PlayUntilPlaying(benchmark::State& state)
{
    qputenv("ZUV_AUDIO_OUT", "null");
    const auto server = station(state);
    if (!server)
        return;
    for (auto _ : state) {
        zuv::MediaPlayer player;
        QEventLoop loop;
        QObject::connect(&player, &zuv::MediaPlayer::statusChanged, &loop,
                         [&](const QString& status) {
                             if (status == kPlaying)
                                 loop.quit();
                         });
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        QElapsedTimer clock;
        clock.start();
        player.setURL(server->streamURL());
        loop.exec();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (player.status() != kPlaying) {
            state.SkipWithError("the stream did not start");
            return;
        }
    }
}
BENCHMARK(PlayUntilPlaying)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

static void ProcessorWhilePlaying(benchmark::State& state)
{
    qputenv("ZUV_AUDIO_OUT", "null");
    const auto server = station(state);
    if (!server)
        return;
    constexpr int kPlayMs = 20000;
    double percent = 0;
    for (auto _ : state) {
        zuv::MediaPlayer player;
        player.setURL(server->streamURL());
        if (!zuvtest::waitFor([&] { return player.status() == kPlaying; }, 10000)) {
            state.SkipWithError("the stream did not start");
            return;
        }
        const double before = processSeconds();
        runEventLoop(kPlayMs);
        percent = 100 * (processSeconds() - before) / (kPlayMs / 1000.0);
        if (player.status() != kPlaying) {
            state.SkipWithError("playing stopped");
            return;
        }
    }
    state.counters["cpu_percent"] = percent;
}
BENCHMARK(ProcessorWhilePlaying)->Unit(benchmark::kSecond)->Iterations(1);
