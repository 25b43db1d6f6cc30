#include "writertestutil.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <core/outputwriter.h>
#include <gtest/gtest.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv::recorder;
using zuvtest::fileBytes;
using zuvtest::pcmFormat;
using zuvtest::writeBuffer;

namespace {

quint32 le32At(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

TEST(WavWriter, ThreeBytesOfMonoSoundMakeThisFiftyByteFile)
{
    zuvtest::TempSuite suite;
    const QString path = suite.path(u"a.wav"_s);
    OutputWriter writer;
    writer.setLastError(u"earlier failure"_s);
    ASSERT_TRUE(writer.OpenFileForWrite(path, pcmFormat(16538, 1, 8), 24));
    EXPECT_FALSE(writer.isMp3());
    EXPECT_EQ(writer.frameBytes(), 1u);
    EXPECT_EQ(writer.lastError(), u""_s);
    writeBuffer(writer, QByteArray("\x10\x80\xF0", 3));
    writer.CloseOutputFile();

    const QByteArray expected = QByteArray::fromHex("52494646"
                                                    "2a000000" // 50 - 8
                                                    "57415645"
                                                    "666d7420"
                                                    "12000000"
                                                    "0100"
                                                    "0100"
                                                    "9a400000" // 16538
                                                    "9a400000"
                                                    "0100"
                                                    "0800"
                                                    "0000"
                                                    "64617461"
                                                    "03000000"
                                                    "1080f0"
                                                    "00"); // pad to an even size
    EXPECT_EQ(fileBytes(path).toHex(), expected.toHex());
}

TEST(WavWriter, HeaderSizesAndPadFollowTheDataWritten)
{
    struct Row
    {
        WaveFormat format;
        QList<int> buffers;
        quint32 dataBytes;
        qint64 fileBytes;
    };
    const Row rows[] = {
        {pcmFormat(44100, 2, 16), {}, 0, 46}, // stopped right after the start
        {pcmFormat(44100, 2, 16), {4, 8}, 12, 58},
        {pcmFormat(22050, 1, 8), {3, 2}, 5, 52},  // odd across buffers
        {pcmFormat(44100, 1, 16), {0, 6}, 6, 52}, // an empty buffer adds nothing
    };
    for (const Row& row : rows) {
        zuvtest::TempSuite suite;
        const QString path = suite.path(u"b.WAV"_s);
        OutputWriter writer;
        ASSERT_TRUE(writer.OpenFileForWrite(path, row.format, 128));
        int value = 1;
        for (int size : row.buffers) {
            QByteArray bytes(size, '\0');
            for (char& b : bytes)
                b = char(value++);
            writeBuffer(writer, bytes);
        }
        EXPECT_EQ(writer.wavDataBytes(), row.dataBytes);
        writer.CloseOutputFile();
        writer.CloseOutputFile(); // closing twice leaves the file as it is

        const QByteArray bytes = fileBytes(path);
        ASSERT_EQ(bytes.size(), row.fileBytes) << row.dataBytes;
        EXPECT_EQ(bytes.left(4), "RIFF");
        EXPECT_EQ(le32At(bytes, 4), quint32(row.fileBytes - 8));
        EXPECT_EQ(bytes.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(le32At(bytes, 16), 18u);
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 22), row.format.nChannels);
        EXPECT_EQ(le32At(bytes, 24), row.format.nSamplesPerSec);
        EXPECT_EQ(le32At(bytes, 28), row.format.nAvgBytesPerSec);
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 32), row.format.nBlockAlign);
        EXPECT_EQ(qFromLittleEndian<quint16>(bytes.constData() + 34), row.format.wBitsPerSample);
        EXPECT_EQ(bytes.mid(38, 4), "data");
        EXPECT_EQ(le32At(bytes, 42), row.dataBytes);
        for (quint32 i = 0; i < row.dataBytes; ++i)
            EXPECT_EQ(bytes[46 + i], char(i + 1));
        if (row.dataBytes % 2) {
            EXPECT_EQ(bytes.back(), '\0');
        }
    }
}

TEST(WavWriter, AnOpenFileShowsAsUnfinishedUntilTheClose)
{
    zuvtest::TempSuite suite;
    const QString path = suite.path(u"c.wav"_s);
    OutputWriter writer;
    ASSERT_TRUE(writer.OpenFileForWrite(path, pcmFormat(44100, 2, 16), 128));
    writeBuffer(writer, QByteArray(8, '\x7f'));
    // On disk while recording: an interrupted recording leaves these bytes.
    const QByteArray open = fileBytes(path);
    ASSERT_EQ(open.size(), 54);
    EXPECT_EQ(open.left(12), QByteArray(12, '\0'));
    EXPECT_EQ(open.mid(12, 4), "fmt ");
    EXPECT_EQ(open.mid(38, 8), QByteArray("data") + QByteArray(4, '\0'));
    EXPECT_EQ(open.mid(46), QByteArray(8, '\x7f'));
    writer.CloseOutputFile();
    EXPECT_EQ(fileBytes(path).left(4), "RIFF");
}

TEST(OutputWriter, TheLastExtensionChoosesTheWriterRegardlessOfCase)
{
    struct Row
    {
        QString name;
        bool opens;
        bool mp3;
    };
    const Row rows[] =
        {
            {u"x.wav"_s, true, false},      {u"x.Wav"_s, true, false},
            {u"x.mp3.wav"_s, true, false},  {u"X.MP3"_s, true, true},
            {u"x.mpga"_s, true, true},      {u"x.MpGa"_s, true, true},
            {u"x.ogg"_s, false, false},     {u"x.mp3x"_s, false, false},
            {u"x"_s, false, false},         {u"x."_s, false, false},
            {u"dir.mp3/x"_s, false, false}, // the last "." is in a folder name
        };
    for (const Row& row : rows) {
        zuvtest::TempSuite suite;
        QDir(suite.dir()).mkdir(u"dir.mp3"_s);
        const QString path = suite.path(row.name);
        OutputWriter writer;
        EXPECT_EQ(writer.OpenFileForWrite(path, pcmFormat(44100, 2, 16), 128), row.opens)
            << row.name;
        if (!row.opens) {
            EXPECT_EQ(writer.lastError(), u"OpenFileForWrite: Extension de archivo no soportada"_s)
                << row.name;
            EXPECT_FALSE(QFile::exists(path)) << row.name;
            continue;
        }
        EXPECT_EQ(writer.isMp3(), row.mp3) << row.name;
        writer.CloseOutputFile();
        const QByteArray head = fileBytes(path).left(4);
        if (row.mp3)
            EXPECT_EQ(quint8(head[0]), 0xFF) << row.name; // an MPEG frame, no RIFF
        else
            EXPECT_EQ(head, "RIFF") << row.name;
    }
}

TEST(OutputWriter, AFailedOpenLeavesNoFileAndSaysWhy)
{
    struct Row
    {
        QString name;
        WaveFormat format;
        int bitrate;
        QString error; // the whole text, or its start when it ends in ": "
    };
    const QString mp3Error = u"OpenMp3FileForWrite: Error al inicializar el codec MP3"_s;
    WaveFormat misaligned = pcmFormat(44100, 2, 16);
    misaligned.nBlockAlign = 2;
    const Row rows[] = {
        {u"missing/x.wav"_s, pcmFormat(44100, 2, 16), 128, u"OpenWavFileForWrite: "_s},
        {u"missing/x.mp3"_s, pcmFormat(44100, 2, 16), 128, mp3Error},
        {u"x.mp3"_s, pcmFormat(44100, 2, 24), 128, mp3Error},
        {u"x.mp3"_s, pcmFormat(44100, 3, 16), 128, mp3Error},
        {u"x.mp3"_s, pcmFormat(0, 2, 16), 128, mp3Error},
        {u"x.mp3"_s, pcmFormat(44100, 2, 16), 0, mp3Error},
        {u"x.mp3"_s, pcmFormat(44100, 2, 16), 1000, mp3Error},
        {u"x.mp3"_s, misaligned, 128, mp3Error},
    };
    for (const Row& row : rows) {
        zuvtest::TempSuite suite;
        const QString path = suite.path(row.name);
        OutputWriter writer;
        EXPECT_FALSE(writer.OpenFileForWrite(path, row.format, row.bitrate)) << row.name;
        if (row.error.endsWith(u": "_s)) {
            EXPECT_TRUE(writer.lastError().startsWith(row.error)) << writer.lastError();
            EXPECT_GT(writer.lastError().size(), row.error.size()) << "no system text";
        } else {
            EXPECT_EQ(writer.lastError(), row.error) << row.name;
        }
        EXPECT_FALSE(writer.isOpen());
        EXPECT_FALSE(QFile::exists(path)) << row.name;
        // The capture engine closes after a failed start; nothing may break.
        writer.CloseOutputFile();
        writeBuffer(writer, QByteArray(16, '\0'));
    }
}

TEST(OutputWriter, AFailedMp3OpenKeepsAFileThatWasThere)
{
    zuvtest::TempSuite suite;
    const QString path = suite.path(u"old.mp3"_s);
    suite.write(u"old.mp3"_s, "earlier recording");
    OutputWriter writer;
    EXPECT_FALSE(writer.OpenFileForWrite(path, pcmFormat(44100, 2, 24), 128));
    EXPECT_EQ(fileBytes(path), "earlier recording");
}
