#include "outputwriter.h"

#include <QtEndian>
#include <cstring>

using namespace Qt::StringLiterals;

namespace zuv::recorder {
namespace {

constexpr qint64 kWavHeaderBytes = 46;

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray le16(quint16 value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray formatBytes(const WaveFormat& f)
{
    return le16(f.wFormatTag) + le16(f.nChannels) + le32(f.nSamplesPerSec) +
           le32(f.nAvgBytesPerSec) + le16(f.nBlockAlign) + le16(f.wBitsPerSample) + le16(f.cbSize);
}

} // namespace

OutputWriter::OutputWriter() = default;

OutputWriter::~OutputWriter()
{
    CloseOutputFile();
}

bool OutputWriter::OpenFileForWrite(const QString& path, const WaveFormat& format, int mp3Bitrate)
{
    if (isOpen())
        CloseOutputFile();
    const qsizetype dot = path.lastIndexOf(u'.');
    const QString extension = dot < 0 ? QString() : path.mid(dot).toLower();
    if (extension == u".wav"_s) {
        IsMp3 = false;
        return OpenWavFileForWrite(path, format);
    }
    if (extension == u".mp3"_s || extension == u".mpga"_s) {
        IsMp3 = true;
        return OpenMp3FileForWrite(path, format, mp3Bitrate);
    }
    LastError = u"OpenFileForWrite: Extension de archivo no soportada"_s;
    return false;
}

bool OutputWriter::OpenMp3FileForWrite(const QString& path, const WaveFormat& format, int bitrate)
{
    const bool existed = QFile::exists(path);
    // The encoder pulls as many bytes per frame as the format says; a block
    // align that disagrees would make the writer step by another amount.
    const bool consistent = format.nBlockAlign > 0 &&
                            format.nBlockAlign == format.nChannels * format.wBitsPerSample / 8;
    const Mp3Encoder::InputRecord input{
        [this](char* destination, int count) { return Mp3UserFunction(destination, count); }, -1,
        format.wBitsPerSample, qint32(format.nSamplesPerSec), format.nChannels};
    const bool ready =
        consistent && m_encoder.initializeWork() == 0 &&
        m_encoder.setConfigure(Mp3Encoder::InputItem, Mp3Encoder::InputUserFunction, input) == 0 &&
        m_encoder.setConfigure(Mp3Encoder::OutputItem, Mp3Encoder::OutputFile, path) == 0 &&
        m_encoder.setConfigure(Mp3Encoder::ChannelModeItem, format.nChannels == 1 ? 0 : 1) == 0 &&
        m_encoder.setConfigure(Mp3Encoder::BitrateItem, bitrate) == 0 &&
        m_encoder.detectConfigure() == 0;
    if (!ready) {
        m_encoder.endCoder();
        if (!existed)
            QFile::remove(path);
        LastError = u"OpenMp3FileForWrite: Error al inicializar el codec MP3"_s;
        return false;
    }
    quint32 samplesPerFrame = 0;
    m_encoder.getConfigure(Mp3Encoder::FrameSamplesItem, &samplesPerFrame);
    FrameBytes = format.nBlockAlign * samplesPerFrame;
    m_silence = format.wBitsPerSample == 8 ? char(0x80) : char(0);
    Mp3Input.clear();
    Mp3ReadPos = 0;
    m_mp3Open = true;
    return true;
}

bool OutputWriter::OpenWavFileForWrite(const QString& path, const WaveFormat& format)
{
    WavFile.setFileName(path);
    bool ok = WavFile.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (ok) {
        // The RIFF header and the data size stay 0 until the close, so that
        // a recording cut off shows as unfinished.
        QByteArray header(12, '\0');
        header += "fmt " + le32(18) + formatBytes(format);
        WavDataChunkPos = header.size();
        header += "data" + le32(0);
        ok = WavFile.write(header) == kWavHeaderBytes && WavFile.flush();
    }
    FrameBytes = 1;
    WavDataBytes = 0;
    if (!ok) {
        LastError = u"OpenWavFileForWrite: "_s + WavFile.errorString();
        if (WavFile.isOpen()) {
            WavFile.close();
            WavFile.remove();
        }
        return false;
    }
    LastError.clear();
    return true;
}

void OutputWriter::WriteCapturedBuffer(const WaveHeader& header)
{
    const quint32 recorded = header.dwBytesRecorded;
    if (recorded == 0 || !header.lpData)
        return;
    if (IsMp3) {
        if (!m_mp3Open)
            return;
        Mp3Input.assign(header.lpData, header.lpData + recorded);
        // 64 bits so that the step past the last frame cannot wrap.
        for (qint64 pos = 0; pos <= qint64(recorded) - 1; pos += FrameBytes) {
            Mp3ReadPos = quint32(pos);
            m_encoder.processFrame();
        }
        return;
    }
    if (!WavFile.isOpen())
        return;
    WavFile.write(header.lpData, recorded);
    WavFile.flush();
    WavDataBytes += recorded;
}

void OutputWriter::CloseOutputFile()
{
    if (IsMp3)
        CloseMp3File();
    else
        CloseWavFile();
}

void OutputWriter::reserveInput(quint32 bytes)
{
    Mp3Input.reserve(bytes);
}

int OutputWriter::Mp3UserFunction(char* destination, int count)
{
    // Never past the captured bytes: the last frame of a recording is
    // completed with silence.
    const qint64 available = qMax<qint64>(0, qint64(Mp3Input.size()) - Mp3ReadPos);
    const qint64 copied = qBound<qint64>(0, qint64(count), available);
    if (copied > 0)
        std::memcpy(destination, Mp3Input.data() + Mp3ReadPos, std::size_t(copied));
    if (count > copied)
        std::memset(destination + copied, m_silence, std::size_t(count - copied));
    return 0;
}

void OutputWriter::CloseMp3File()
{
    if (!m_mp3Open)
        return;
    m_encoder.closeCoder();
    m_encoder.endCoder();
    m_mp3Open = false;
}

void OutputWriter::CloseWavFile()
{
    if (!WavFile.isOpen())
        return;
    if (WavDataBytes % 2 == 1)
        WavFile.write("\0", 1);
    const qint64 length = WavFile.pos();
    WavFile.seek(0);
    WavFile.write("RIFF" + le32(quint32(length - 8)) + "WAVE");
    WavFile.seek(WavDataChunkPos);
    WavFile.write("data" + le32(WavDataBytes));
    WavFile.close();
}

} // namespace zuv::recorder
