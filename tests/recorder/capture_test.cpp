#include "capturetestutil.h"

#include <QFile>
#include <QTemporaryDir>
#include <core/outputwriter.h>
#include <foundation/gui/pause.h>
#include <foundation/wavefile.h>
#include <gtest/gtest.h>
#include <recorder/core/capture.h>
#include <recorder/core/capturewriter.h>
#include <set>
#include <support/qtprint.h>

using namespace zuv::recorder;
using zuvtest::ScopedEnv;

namespace {

// Keeps what the engine hands over, so that the order, size and content of
// the buffers can be checked.
class RecordingSink : public CaptureSink
{
public:
    struct Write
    {
        const char* memory;
        quint32 length;
        quint32 recorded;
        quintptr index;
    };

    bool OpenFileForWrite(const QString&, const WaveFormat& format, int mp3Bitrate) override
    {
        ++opens;
        openedFormat = format;
        bitrate = mp3Bitrate;
        lastError.clear();
        return true;
    }
    void WriteCapturedBuffer(const WaveHeader& header) override
    {
        writes.push_back(
            {header.lpData, header.dwBufferLength, header.dwBytesRecorded, header.dwUser});
        bytes.append(header.lpData, header.dwBytesRecorded);
    }
    void CloseOutputFile() override { ++closes; }
    quint32 FrameBytes() const override { return frameBytes; }
    QString LastError() const override { return lastError; }
    void setLastError(const QString& text) override { lastError = text; }

    quint32 frameBytes = 1;
    int opens = 0;
    int closes = 0;
    WaveFormat openedFormat;
    int bitrate = 0;
    std::vector<Write> writes;
    QByteArray bytes;
    QString lastError;
};

QByteArray ramp(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i % 251);
    return bytes;
}

} // namespace

TEST(CaptureFormat, QualityIndexChoosesRateBitsFlagsAndBitrate)
{
    struct Case
    {
        int quality;
        int stereo;
        quint32 rate;
        quint16 bits;
        quint16 blockAlign;
        quint32 flags;
        int bitrate;
    };
    const Case cases[] = {
        {0, 1, 16538, 8, 2, 0x3, 24},     {0, 0, 16538, 8, 1, 0x3, 24},
        {1, 1, 22050, 8, 2, 0x30, 32},    {2, 1, 44100, 8, 2, 0x300, 128},
        {2, 0, 44100, 8, 1, 0x300, 128},  {3, 1, 44100, 16, 4, 0xC00, 128},
        {3, 0, 44100, 16, 2, 0xC00, 128}, {4, 1, 44100, 8, 2, 0x300, 128},
        {9, 0, 44100, 8, 1, 0x300, 128},  {-1, 7, 44100, 8, 2, 0x300, 128},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "quality " << c.quality << " stereo " << c.stereo);
        const WaveFormat f = captureFormat(c.stereo, c.quality);
        EXPECT_EQ(f.wFormatTag, 1);
        EXPECT_EQ(f.nChannels, c.stereo ? 2 : 1);
        EXPECT_EQ(f.nSamplesPerSec, c.rate);
        EXPECT_EQ(f.wBitsPerSample, c.bits);
        EXPECT_EQ(f.nBlockAlign, c.blockAlign);
        EXPECT_EQ(f.nAvgBytesPerSec, c.rate * c.blockAlign);
        EXPECT_EQ(f.cbSize, 0);
        EXPECT_EQ(captureQuality(c.quality).requiredFormats, c.flags);
        EXPECT_EQ(captureQuality(c.quality).mp3Bitrate, c.bitrate);
    }
}

TEST(CaptureFormat, RoundUpToMultiple)
{
    struct Case
    {
        quint32 value, step, expected;
    };
    const Case cases[] = {
        {44100, 1, 44100},  {176400, 4608, 179712}, {4608, 4608, 4608},
        {4609, 4608, 9216}, {1, 1152, 1152},        {0, 1152, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RoundUpToMultiple(c.value, c.step), c.expected) << c.value << " / " << c.step;
}

class CaptureFromFile : public ::testing::Test
{
protected:
    QString fixture(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    void useDevice(const QString& path) { device.emplace("ZUV_WAVEIN_FILE", path.toUtf8()); }

    QTemporaryDir dir;
    std::optional<ScopedEnv> device;
};

// Two buffers of about one second each, a whole number of encoder frames,
// carry the sound through unchanged and in order; the same two pieces of
// memory serve the whole recording.
TEST_F(CaptureFromFile, BuffersCarryEverySampleInOrder)
{
    // Mono 16-bit at 44.1 kHz, an encoder frame of 1152 samples.
    const QByteArray pcm = ramp(44100 * 2 * 4);
    useDevice(fixture("in.wav", zuvtest::waveFile(1, 44100, 16, pcm)));
    RecordingSink sink;
    sink.frameBytes = 1152 * 2;
    Capture capture(sink);
    ASSERT_TRUE(capture.StartRecording(dir.filePath("out.mp3"), 0, 3)) << capture.LastError();
    EXPECT_TRUE(capture.IsRecording());
    EXPECT_EQ(sink.openedFormat, captureFormat(0, 3));
    EXPECT_EQ(sink.bitrate, 128);
    EXPECT_EQ(capture.bufferSize(), 89856u); // 39 frames, just over 88200
    zuv::Pause(2600);
    capture.StopRecording();

    EXPECT_FALSE(capture.IsRecording());
    EXPECT_FALSE(capture.hasCallbackWindow());
    EXPECT_EQ(sink.closes, 1);
    ASSERT_EQ(sink.writes.size(), 3u); // two full, one partial
    std::set<const char*> memory;
    for (std::size_t i = 0; i < sink.writes.size(); ++i) {
        const auto& w = sink.writes[i];
        EXPECT_EQ(w.index, i % 2);
        EXPECT_EQ(w.length, capture.bufferSize());
        EXPECT_EQ(w.recorded % 2, 0u) << "whole samples";
        if (i + 1 < sink.writes.size()) {
            EXPECT_EQ(w.recorded, w.length);
        }
        memory.insert(w.memory);
    }
    EXPECT_EQ(memory.size(), 2u);
    EXPECT_GT(sink.writes.back().recorded, 0u);
    EXPECT_LT(sink.writes.back().recorded, capture.bufferSize());
    EXPECT_EQ(sink.bytes, pcm.left(sink.bytes.size()));
    EXPECT_NEAR(sink.bytes.size() / 88200.0, 2.6, 0.25);
}

// Bad input files, and a file that cannot give the rate asked for, fail at
// the device's open: the output was opened and is closed again, and nothing
// keeps running.
TEST_F(CaptureFromFile, DeviceThatCannotOpenLeavesNothingOpen)
{
    const QByteArray pcm = ramp(22050 * 2);
    QByteArray truncated = zuvtest::waveFile(1, 44100, 16, pcm);
    truncated.chop(100);
    QByteArray compressed = zuvtest::waveFile(1, 44100, 16, pcm);
    compressed[20] = 3; // IEEE float
    struct Case
    {
        const char* name;
        QByteArray bytes; // empty: no such file
        QString error;
    };
    const QString broken = QStringLiteral("waveInOpen: The recording device failed.");
    const Case cases[] = {
        {"missing.wav", {}, QStringLiteral("waveInOpen: No recording device is available.")},
        {"text.wav", "not a wave file at all, just text", broken},
        {"truncated.wav", truncated, broken},
        {"float.wav", compressed, broken},
        {"22k.wav", zuvtest::waveFile(1, 22050, 16, pcm),
         QStringLiteral("waveInOpen: The recording device cannot record in this format.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        useDevice(c.bytes.isEmpty() ? dir.filePath(c.name) : fixture(c.name, c.bytes));
        RecordingSink sink;
        Capture capture(sink);
        EXPECT_FALSE(capture.StartRecording(dir.filePath("out.wav"), 0, 3));
        EXPECT_EQ(capture.LastError(), c.error);
        EXPECT_FALSE(capture.IsRecording());
        EXPECT_FALSE(capture.hasCallbackWindow());
        EXPECT_EQ(sink.opens, 1);
        EXPECT_EQ(sink.closes, 1);
        EXPECT_TRUE(sink.writes.empty());
    }
}

// The capability test comes before the writer: no file is made for a device
// that lacks the sample size.
TEST_F(CaptureFromFile, UnsupportedFormatFailsBeforeAnyFile)
{
    struct Case
    {
        int bits;
        int quality;
    };
    for (const Case c : {Case{8, 3}, Case{16, 0}, Case{16, 2}}) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, quality " << c.quality);
        const QByteArray pcm = ramp(c.bits == 8 ? 44100 : 88200);
        useDevice(fixture("in.wav", zuvtest::waveFile(1, 44100, quint16(c.bits), pcm)));
        OutputWriter writer;
        CaptureWriter output(writer);
        Capture capture(output);
        const QString out = dir.filePath("out.wav");
        EXPECT_FALSE(capture.StartRecording(out, 1, c.quality));
        EXPECT_EQ(capture.LastError(),
                  QStringLiteral("El dispositivo de grabación no soporta el foramto solicitado"));
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_FALSE(capture.IsRecording());
    }
}

// Stopping at once writes at most the partly filled buffer, and the WAV file
// is complete and holds the device's first samples.
TEST_F(CaptureFromFile, StopRightAfterStartLeavesValidWave)
{
    const QByteArray pcm = ramp(16538 * 2 * 3);
    useDevice(fixture("in.wav", zuvtest::waveFile(2, 16538, 8, pcm)));
    OutputWriter writer;
    CaptureWriter output(writer);
    Capture capture(output);
    const QString out = dir.filePath("out.wav");
    ASSERT_TRUE(capture.StartRecording(out, 1, 0)) << capture.LastError();
    EXPECT_EQ(capture.LastError(), QString());
    zuv::Pause(150);
    capture.StopRecording();
    EXPECT_FALSE(capture.IsRecording());
    EXPECT_FALSE(writer.isOpen());

    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const auto sound = zuv::parseWave(bytes);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->channels, 2);
    EXPECT_EQ(sound->sampleRate, 16538);
    EXPECT_EQ(sound->bitsPerSample, 8);
    EXPECT_LE(sound->samples.size(), qsizetype(capture.bufferSize()));
    EXPECT_GT(sound->samples.size(), 0);
    EXPECT_EQ(sound->samples, pcm.left(sound->samples.size()));
    EXPECT_EQ(qFromLittleEndian<quint32>(bytes.constData() + 4), quint32(bytes.size() - 8));

    // Stopping again, or after a failed start, does nothing harmful.
    capture.StopRecording();
    EXPECT_FALSE(capture.IsRecording());
}
