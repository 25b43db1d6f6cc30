#include "wavefile.h"

#include <QtEndian>

namespace zuv {
namespace {

quint32 u32(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

quint16 u16(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

} // namespace

std::optional<WaveSound> parseWave(QByteArrayView bytes)
{
    if (bytes.size() < 12 || bytes.first(4) != "RIFF" || bytes.sliced(8, 4) != "WAVE")
        return std::nullopt;
    WaveSound sound;
    bool haveFormat = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArrayView id = bytes.sliced(at, 4);
        const qint64 size = u32(bytes, at + 4);
        const qsizetype body = at + 8;
        const qsizetype available = qMin<qint64>(size, bytes.size() - body);
        if (id == "fmt ") {
            if (available < 16 || u16(bytes, body) != 1)
                return std::nullopt; // not plain PCM
            sound.channels = u16(bytes, body + 2);
            sound.sampleRate = int(u32(bytes, body + 4));
            sound.bitsPerSample = u16(bytes, body + 14);
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            if (sound.channels < 1 || sound.channels > 8 || sound.sampleRate < 1000 ||
                sound.sampleRate > 384000 ||
                (sound.bitsPerSample != 8 && sound.bitsPerSample != 16))
                return std::nullopt;
            const qsizetype frame = qsizetype(sound.channels) * (sound.bitsPerSample / 8);
            sound.samples = bytes.sliced(body, available - available % frame).toByteArray();
            return sound;
        }
        // Chunks are padded to an even size.
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

} // namespace zuv
