#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace zuv {

// The PCM content of a WAV file.
struct WaveSound
{
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0; // 8 (unsigned) or 16 (signed little-endian)
    QByteArray samples;    // whole frames only
};

// Reads a RIFF WAVE file of uncompressed 8- or 16-bit PCM. Nothing for any
// other format or for a damaged file; a data chunk cut short keeps what is
// there.
std::optional<WaveSound> parseWave(QByteArrayView bytes);

} // namespace zuv
