// The recorder's encoding of one capture buffer: one second of CD sound to
// MP3 at 128 kbit/s, as it happens once a second while recording.
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <core/outputwriter.h>
#include <numbers>
#include <vector>

using namespace Qt::StringLiterals;
using namespace zuv::recorder;

static void EncodeOneSecondOfCdSound(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.path() + u"/bench.mp3"_s;
    const WaveFormat format; // 44.1 kHz, stereo, 16 bits

    // A chord rather than silence, so that the encoder has work to do.
    std::vector<char> sound(format.nAvgBytesPerSec + 4608);
    for (std::size_t frame = 0; frame < sound.size() / 4; ++frame) {
        const double t = double(frame) / format.nSamplesPerSec;
        const auto value = qint16(8000 * (std::sin(2 * std::numbers::pi * 440 * t) +
                                          std::sin(2 * std::numbers::pi * 554 * t) +
                                          std::sin(2 * std::numbers::pi * 659 * t)));
        for (int c = 0; c < 2; ++c) {
            sound[frame * 4 + c * 2] = char(value & 0xFF);
            sound[frame * 4 + c * 2 + 1] = char((value >> 8) & 0xFF);
        }
    }

    OutputWriter writer;
    for (auto _ : state) {
        if (!writer.OpenFileForWrite(path, format, 128)) {
            state.SkipWithError("the MP3 file could not be opened");
            break;
        }
        // The capture engine's buffer: one second enlarged to whole frames.
        const quint32 frameBytes = writer.frameBytes();
        const quint32 bytes = (format.nAvgBytesPerSec + frameBytes - 1) / frameBytes * frameBytes;
        WaveHeader header;
        header.lpData = sound.data();
        header.dwBufferLength = bytes;
        header.dwBytesRecorded = bytes;
        writer.WriteCapturedBuffer(header);
        writer.CloseOutputFile();
    }
}
BENCHMARK(EncodeOneSecondOfCdSound)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
