#include "capturetestutil.h"
#include "writertestutil.h"

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <core/outputwriter.h>
#include <foundation/gui/pause.h>
#include <gtest/gtest.h>
#include <numbers>
#include <recorder/core/capture.h>
#include <recorder/core/capturewriter.h>
#include <support/pulseprocess.h>
#include <support/qtprint.h>

using namespace zuv::recorder;
using zuvtest::ScopedEnv;

namespace {

constexpr int kRate = 44100;

// Power of one frequency in the samples (Goertzel).
double power(const std::vector<qint16>& s, std::size_t from, std::size_t count, double frequency)
{
    const double k = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / kRate);
    double a = 0, b = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        const double next = s[i] + k * a - b;
        b = a;
        a = next;
    }
    return a * a + b * b - k * a * b;
}

double strongestFrequency(const std::vector<qint16>& s, std::size_t from, std::size_t count)
{
    double best = 0, bestPower = -1;
    auto scan = [&](double low, double high, double step) {
        for (double f = low; f <= high; f += step) {
            const double p = power(s, from, count, f);
            if (p > bestPower) {
                bestPower = p;
                best = f;
            }
        }
    };
    scan(50, 8000, 25); // a wrong tone anywhere else would win here
    scan(400, 480, 0.5);
    return best;
}

} // namespace

class CaptureFromPulse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!zuvtest::PulseProcess::available())
            GTEST_SKIP() << "pulseaudio is not installed";
        pulse.emplace();
        ASSERT_TRUE(pulse->started()) << pulse->log().toStdString();
        qunsetenv("ZUV_WAVEIN_FILE");
        source.emplace("ZUV_WAVEIN_SOURCE", "zuvtest.monitor");
    }

    // Records `seconds` of a 440 Hz tone played into the null sink.
    bool record(const QString& path, int seconds)
    {
        if (!pulse->playTone(440, seconds + 5))
            return false;
        OutputWriter writer;
        CaptureWriter output(writer);
        Capture capture(output);
        if (!capture.StartRecording(path, 1, 3)) {
            ADD_FAILURE() << capture.LastError().toStdString();
            return false;
        }
        zuv::Pause(seconds * 1000);
        capture.StopRecording();
        pulse->stopTone();
        return !capture.IsRecording();
    }

    QTemporaryDir dir;
    std::optional<zuvtest::PulseProcess> pulse;
    std::optional<ScopedEnv> source;
};

TEST_F(CaptureFromPulse, MissingSourceFailsBeforeAnyFile)
{
    ScopedEnv other("ZUV_WAVEIN_SOURCE", "nosuchsource");
    OutputWriter writer;
    CaptureWriter output(writer);
    Capture capture(output);
    const QString out = dir.filePath("out.mp3");
    EXPECT_FALSE(capture.StartRecording(out, 1, 3));
    EXPECT_EQ(capture.LastError(), QStringLiteral("waveInGetDevCaps: No such recording device."));
    EXPECT_FALSE(QFile::exists(out));
}

// What the computer plays arrives in the MP3: ten seconds of it, at its pitch.
TEST_F(CaptureFromPulse, TenSecondsOfToneBecomeMp3)
{
    if (!zuvtest::haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    const QString out = dir.filePath("tone.mp3");
    ASSERT_TRUE(record(out, 10));
    const auto samples = zuvtest::decodeMono(out, kRate);
    ASSERT_TRUE(samples);
    EXPECT_NEAR(double(samples->size()) / kRate, 10.0, 0.3);
    ASSERT_GT(samples->size(), std::size_t(8 * kRate));
    EXPECT_GT(zuvtest::rms(*samples, 2 * kRate, 4 * kRate), 1000.0) << "the tone is there";
    EXPECT_NEAR(strongestFrequency(*samples, 2 * kRate, 4 * kRate), 440.0, 5.0);
}
