#pragma once

#include <QByteArray>
#include <QString>
#include <core/outputwriter.h>
#include <core/waveformat.h>
#include <optional>
#include <vector>

namespace zuvtest {

// A PCM format as the capture engine builds it.
// The bytes of a file; none when it cannot be read.
QByteArray fileBytes(const QString& path);

zuv::recorder::WaveFormat pcmFormat(quint32 rate, quint16 channels, quint16 bits);

// Hands the bytes to the writer as one filled capture buffer of exactly their
// size.
void writeBuffer(zuv::recorder::OutputWriter& writer, const QByteArray& bytes);

// A sine of the frequency at half of full scale, the same on every channel.
QByteArray tone(const zuv::recorder::WaveFormat& format, qint64 frames, double frequency,
                qint64 firstFrame = 0);

// The file decoded by ffmpeg to mono 16-bit samples at the rate; nothing
// when ffmpeg fails.
std::optional<std::vector<qint16>> decodeMono(const QString& path, int rate);
bool haveFfmpeg();

double rms(const std::vector<qint16>& samples, std::size_t from, std::size_t count);
// Sign changes per second in the range.
double crossingsPerSecond(const std::vector<qint16>& samples, std::size_t from, std::size_t count,
                          int rate);

} // namespace zuvtest
