#include "writertestutil.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <foundation/textfile.h>
#include <memory>
#include <numbers>

using namespace Qt::StringLiterals;
using zuv::recorder::OutputWriter;
using zuv::recorder::WaveFormat;
using zuv::recorder::WaveHeader;

namespace zuvtest {

QByteArray fileBytes(const QString& path)
{
    return zuv::TextFile::readBytes(path).value_or(QByteArray());
}

WaveFormat pcmFormat(quint32 rate, quint16 channels, quint16 bits)
{
    WaveFormat f;
    f.nChannels = channels;
    f.nSamplesPerSec = rate;
    f.wBitsPerSample = bits;
    f.nBlockAlign = quint16(channels * bits / 8);
    f.nAvgBytesPerSec = f.nBlockAlign * rate;
    return f;
}

void writeBuffer(OutputWriter& writer, const QByteArray& bytes)
{
    // A heap block of exactly the captured size, so that a read past it
    // shows under AddressSanitizer.
    const auto memory = std::make_unique<char[]>(std::size_t(bytes.size()));
    std::memcpy(memory.get(), bytes.constData(), std::size_t(bytes.size()));
    WaveHeader header;
    header.lpData = memory.get();
    header.dwBufferLength = quint32(bytes.size());
    header.dwBytesRecorded = quint32(bytes.size());
    writer.WriteCapturedBuffer(header);
}

QByteArray tone(const WaveFormat& format, qint64 frames, double frequency, qint64 firstFrame)
{
    QByteArray bytes;
    bytes.reserve(frames * format.nBlockAlign);
    for (qint64 i = 0; i < frames; ++i) {
        const double t = double(firstFrame + i) / format.nSamplesPerSec;
        const double value = 0.5 * std::sin(2 * std::numbers::pi * frequency * t);
        for (int c = 0; c < format.nChannels; ++c) {
            if (format.wBitsPerSample == 8) {
                bytes += char(quint8(std::lround(128 + 127 * value)));
            } else {
                char le[2];
                qToLittleEndian(qint16(std::lround(32767 * value)), le);
                bytes.append(le, 2);
            }
        }
    }
    return bytes;
}

bool haveFfmpeg()
{
    return !QStandardPaths::findExecutable(u"ffmpeg"_s).isEmpty();
}

std::optional<std::vector<qint16>> decodeMono(const QString& path, int rate)
{
    QProcess ffmpeg;
    ffmpeg.start(u"ffmpeg"_s, {u"-v"_s, u"error"_s, u"-i"_s, path, u"-f"_s, u"s16le"_s, u"-ac"_s,
                               u"1"_s, u"-ar"_s, QString::number(rate), u"-"_s});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitStatus() != QProcess::NormalExit ||
        ffmpeg.exitCode() != 0)
        return std::nullopt;
    const QByteArray out = ffmpeg.readAllStandardOutput();
    std::vector<qint16> samples(std::size_t(out.size() / 2));
    qFromLittleEndian<qint16>(out.constData(), qsizetype(samples.size()), samples.data());
    return samples;
}

double rms(const std::vector<qint16>& samples, std::size_t from, std::size_t count)
{
    double sum = 0;
    for (std::size_t i = from; i < from + count && i < samples.size(); ++i)
        sum += double(samples[i]) * samples[i];
    return count == 0 ? 0 : std::sqrt(sum / double(count));
}

double crossingsPerSecond(const std::vector<qint16>& samples, std::size_t from, std::size_t count,
                          int rate)
{
    int crossings = 0;
    for (std::size_t i = from + 1; i < from + count && i < samples.size(); ++i)
        if ((samples[i - 1] < 0) != (samples[i] < 0))
            ++crossings;
    return double(crossings) * rate / double(count);
}

} // namespace zuvtest
