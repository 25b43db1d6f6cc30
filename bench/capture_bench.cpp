// A recording of what the computer plays, as the recorder makes it: 20 s of
// a tone played into a PulseAudio null sink of the bench's own, captured
// from its monitor at CD quality, encoded at 128 kbit/s and written. Reports
// the processor time of all that as a share of one core.
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <foundation/gui/pause.h>
#include <recorder/core/capture.h>
#include <recorder/core/capturewriter.h>
#include <recorder/core/outputwriter.h>
#include <support/pulseprocess.h>
#include <unistd.h>

using namespace zuv::recorder;

namespace {

constexpr int kSeconds = 20;

double cpuSeconds()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    // utime and stime, the 14th and 15th fields of the line.
    return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

void BM_RecordWhatThePcPlays(benchmark::State& state)
{
    if (!zuvtest::PulseProcess::available()) {
        state.SkipWithError("pulseaudio is not installed");
        return;
    }
    zuvtest::PulseProcess pulse;
    if (!pulse.started() || !pulse.playTone(440, kSeconds + 5)) {
        state.SkipWithError("the sound server did not start");
        return;
    }
    qputenv("ZUV_WAVEIN_SOURCE", "zuvtest.monitor");
    QTemporaryDir dir;
    double share = 0;
    for (auto _ : state) {
        OutputWriter writer;
        CaptureWriter output(writer);
        Capture capture(output);
        const double before = cpuSeconds();
        if (!capture.StartRecording(dir.filePath(QStringLiteral("bench.mp3")), 1, 3)) {
            state.SkipWithError("the recording did not start");
            return;
        }
        zuv::Pause(kSeconds * 1000);
        capture.StopRecording();
        share = (cpuSeconds() - before) / kSeconds;
    }
    pulse.stopTone();
    state.counters["cpu_percent_of_one_core"] = share * 100;
}
BENCHMARK(BM_RecordWhatThePcPlays)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace
