#include "writertestutil.h"

#include <QFile>
#include <core/outputwriter.h>
#include <foundation/gui/mp3/mp3encoder.h>
#include <gtest/gtest.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv::recorder;
using zuvtest::fileBytes;
using zuvtest::pcmFormat;
using zuvtest::writeBuffer;

namespace {

// The capture engine's buffer: one second enlarged to whole frames.
quint32 captureBufferBytes(const WaveFormat& format, quint32 frameBytes)
{
    const quint32 second = format.nAvgBytesPerSec;
    return second % frameBytes == 0 ? second : second + frameBytes - second % frameBytes;
}

quint32 roundUp(quint32 value, quint32 step)
{
    return (value + step - 1) / step * step;
}

struct Mp3Case
{
    WaveFormat format;
    int bitrate;
    quint32 samplesPerFrame;
};

// LAME writes its Info frame only when the tag fits into a frame of the
// bitrate (not at 24 kbit/s); without one the decoder keeps the encoder's
// delay and padding.
bool hasInfoFrame(const QByteArray& mp3)
{
    return mp3.left(200).contains("Info");
}

// How much longer than the sound fed the decoded file may be, in seconds.
double lengthSlack(const Mp3Case& c, const QByteArray& mp3)
{
    return (hasInfoFrame(mp3) ? 0.2 : 4.0) * c.samplesPerFrame / c.format.nSamplesPerSec;
}

std::string describe(const Mp3Case& c)
{
    return std::to_string(c.format.nSamplesPerSec) + " Hz " + std::to_string(c.format.nChannels) +
           " ch " + std::to_string(c.format.wBitsPerSample) + " bit";
}

} // namespace

TEST(Mp3Writer, ATwoSecondToneDecodesAsTheSameToneAndLength)
{
    if (!zuvtest::haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    const Mp3Case cases[] = {
        {pcmFormat(44100, 2, 16), 128, 1152}, {pcmFormat(44100, 1, 16), 128, 1152},
        {pcmFormat(16538, 1, 8), 24, 576}, // a rate MP3 does not have
        {pcmFormat(11025, 2, 8), 32, 576},    {pcmFormat(22050, 2, 8), 32, 576},
        {pcmFormat(44100, 2, 8), 128, 1152},
    };
    for (const Mp3Case& c : cases) {
        SCOPED_TRACE(describe(c));
        zuvtest::TempSuite suite;
        const QString path = suite.path(u"tone.mp3"_s);
        OutputWriter writer;
        ASSERT_TRUE(writer.OpenFileForWrite(path, c.format, c.bitrate)) << writer.lastError();
        EXPECT_TRUE(writer.isMp3());
        ASSERT_EQ(writer.frameBytes(), c.samplesPerFrame * c.format.nBlockAlign);

        // Whole-frame buffers as the capture engine sizes them, then a last
        // one that ends inside a frame.
        const quint32 bufferBytes = captureBufferBytes(c.format, writer.frameBytes());
        writer.reserveInput(bufferBytes);
        const QByteArray sound = zuvtest::tone(c.format, 2 * c.format.nSamplesPerSec, 440);
        quint32 fedBytes = 0;
        for (qsizetype at = 0; at < sound.size(); at += bufferBytes) {
            const QByteArray buffer = sound.mid(at, bufferBytes);
            writeBuffer(writer, buffer);
            fedBytes += roundUp(quint32(buffer.size()), writer.frameBytes());
        }
        ASSERT_NE(sound.size() % writer.frameBytes(), 0) << "the last frame should be partial";
        writer.CloseOutputFile();

        const QByteArray mp3 = fileBytes(path);
        ASSERT_GT(mp3.size(), 1000);
        EXPECT_EQ(quint8(mp3[0]), 0xFF);
        if (c.bitrate >= 128) {
            EXPECT_TRUE(hasInfoFrame(mp3));
        }
        EXPECT_NE(mp3.right(128).left(3), "TAG") << "the recorder writes the tag itself";

        const int rate = int(c.format.nSamplesPerSec);
        const auto decoded = zuvtest::decodeMono(path, rate);
        ASSERT_TRUE(decoded);
        const double seconds = double(decoded->size()) / rate;
        const double fedSeconds = double(fedBytes) / c.format.nBlockAlign / rate;
        EXPECT_GE(seconds, fedSeconds - 0.01);
        EXPECT_LE(seconds, fedSeconds + lengthSlack(c, fileBytes(path)));
        EXPECT_NEAR(seconds, 2.0, 0.2);

        const std::size_t from = std::size_t(rate / 5);
        const std::size_t count = std::size_t(rate);
        EXPECT_NEAR(zuvtest::crossingsPerSecond(*decoded, from, count, rate), 880, 880 * 0.03);
        EXPECT_NEAR(zuvtest::rms(*decoded, from, count), 0.5 * 32767 / std::sqrt(2.0), 2000);
    }
}

TEST(Mp3Writer, TheLastPartialFrameIsCompletedWithSilence)
{
    if (!zuvtest::haveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    // A loud buffer first: reading past the short one would find its sound.
    // Bitrates with an Info frame, so that the decoded sound ends exactly
    // where the fed sound does.
    const Mp3Case cases[] = {
        {pcmFormat(44100, 2, 16), 128, 1152},
        {pcmFormat(16538, 1, 8), 64, 576}, // silence is 0x80 here, not 0
    };
    for (const Mp3Case& c : cases) {
        SCOPED_TRACE(describe(c));
        zuvtest::TempSuite suite;
        const QString path = suite.path(u"tail.mp3"_s);
        OutputWriter writer;
        ASSERT_TRUE(writer.OpenFileForWrite(path, c.format, c.bitrate));
        const quint32 bufferBytes = captureBufferBytes(c.format, writer.frameBytes());
        const qint64 bufferFrames = bufferBytes / c.format.nBlockAlign;
        writer.reserveInput(bufferBytes);
        writeBuffer(writer, zuvtest::tone(c.format, bufferFrames, 440));
        // An odd size: for 16-bit stereo it even ends inside a sample.
        const qint64 tailFrames = 100;
        QByteArray tail = zuvtest::tone(c.format, tailFrames, 440, bufferFrames);
        if (tail.size() % 2 == 0)
            tail += tail.back();
        writeBuffer(writer, tail);
        writer.CloseOutputFile();
        ASSERT_TRUE(hasInfoFrame(fileBytes(path)));

        const int rate = int(c.format.nSamplesPerSec);
        const auto decoded = zuvtest::decodeMono(path, rate);
        ASSERT_TRUE(decoded);
        const double fedSeconds = double(bufferFrames + c.samplesPerFrame) / rate;
        const double seconds = double(decoded->size()) / rate;
        EXPECT_GE(seconds, fedSeconds - 0.01);
        EXPECT_LE(seconds, fedSeconds + lengthSlack(c, fileBytes(path)));
        const std::size_t silent = std::size_t(c.samplesPerFrame - tailFrames);
        ASSERT_GT(decoded->size(), silent);
        const double loud = zuvtest::rms(*decoded, std::size_t(rate / 5), std::size_t(rate / 2));
        const double end = zuvtest::rms(*decoded, decoded->size() - silent / 2, silent / 2);
        EXPECT_LT(end, loud / 10) << "loud " << loud;
    }
}

TEST(Mp3Writer, ABufferOfAnOddSizeIsReadOnlyUpToItsEnd)
{
    // Fresh writers without reserveInput: the encoder's copy of the buffer
    // has exactly its size, so AddressSanitizer sees any read past it.
    const Mp3Case cases[] = {
        {pcmFormat(16538, 1, 8), 24, 576},
        {pcmFormat(44100, 2, 16), 128, 1152},
    };
    for (const Mp3Case& c : cases) {
        SCOPED_TRACE(describe(c));
        for (const int size : {1, 1001, 4003}) {
            zuvtest::TempSuite suite;
            const QString path = suite.path(u"short.mp3"_s);
            OutputWriter writer;
            ASSERT_TRUE(writer.OpenFileForWrite(path, c.format, c.bitrate));
            writeBuffer(writer, QByteArray(size, '\x40'));
            EXPECT_EQ(writer.mp3ReadPos(),
                      (quint32(size) - 1) / writer.frameBytes() * writer.frameBytes());
            writer.CloseOutputFile();
            EXPECT_GT(fileBytes(path).size(), 100) << size;
        }
    }
}

TEST(Mp3Encoder, CallsOutOfOrderFailWithoutHarm)
{
    zuvtest::TempSuite suite;
    zuv::Mp3Encoder encoder;
    quint32 samples = 0;
    EXPECT_NE(encoder.processFrame(), 0);
    EXPECT_NE(encoder.closeCoder(), 0);
    EXPECT_NE(encoder.setConfigure(zuv::Mp3Encoder::BitrateItem, 128), 0);
    EXPECT_EQ(encoder.endCoder(), 0);

    ASSERT_EQ(encoder.initializeWork(), 0);
    EXPECT_NE(encoder.setConfigure(7, 1), 0);
    EXPECT_NE(encoder.setConfigure(zuv::Mp3Encoder::ChannelModeItem, 2), 0);
    EXPECT_NE(encoder.getConfigure(zuv::Mp3Encoder::FrameSamplesItem, &samples), 0);
    EXPECT_NE(encoder.detectConfigure(), 0) << "neither input nor output set";

    int pulled = 0;
    zuv::Mp3Encoder::InputRecord input;
    input.function = [&](char* destination, int count) {
        std::memset(destination, 0, std::size_t(count));
        pulled += count;
        return 0;
    };
    ASSERT_EQ(
        encoder.setConfigure(zuv::Mp3Encoder::InputItem, zuv::Mp3Encoder::InputUserFunction, input),
        0);
    const QString path = suite.path(u"e.mp3"_s);
    ASSERT_EQ(encoder.setConfigure(zuv::Mp3Encoder::OutputItem, zuv::Mp3Encoder::OutputFile, path),
              0);
    ASSERT_EQ(encoder.detectConfigure(), 0);
    EXPECT_TRUE(QFile::exists(path));
    ASSERT_EQ(encoder.getConfigure(zuv::Mp3Encoder::FrameSamplesItem, &samples), 0);
    EXPECT_EQ(samples, 1152u);
    EXPECT_NE(encoder.setConfigure(zuv::Mp3Encoder::BitrateItem, 64), 0) << "after detect";
    EXPECT_EQ(encoder.processFrame(), 0);
    EXPECT_EQ(pulled, 1152 * 4);
    EXPECT_EQ(encoder.closeCoder(), 0);
    EXPECT_NE(encoder.processFrame(), 0);
    EXPECT_NE(encoder.closeCoder(), 0);
    EXPECT_EQ(encoder.endCoder(), 0);
    EXPECT_EQ(encoder.endCoder(), 0);
}
