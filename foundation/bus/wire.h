#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <cstring>
#include <optional>

namespace zuv::Bus::Wire {

// A command record on a bus socket:
//   "ZUV1" | dwData u32 | sender window u64 | cbData u32 | cbData bytes
// answered by the receiver's result as i64. Integers little-endian.
inline constexpr char kMagic[4] = {'Z', 'U', 'V', '1'};
inline constexpr qsizetype kHeaderSize = 4 + 4 + 8 + 4;
inline constexpr qsizetype kAnswerSize = 8;
inline constexpr quint32 kMaxPayload = 64 * 1024;

struct Header
{
    quint32 dwData = 0;
    quint64 sender = 0;
    quint32 cbData = 0;
};

template <typename T> void put(QByteArray& out, T value)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        out.append(char((quint64(value) >> (8 * i)) & 0xFF));
}

template <typename T> T get(const char* in)
{
    quint64 value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        value |= quint64(static_cast<unsigned char>(in[i])) << (8 * i);
    return T(value);
}

inline QByteArray encodeRecord(quint32 dwData, quint64 sender, const QByteArray& bytes)
{
    QByteArray out(kMagic, 4);
    put<quint32>(out, dwData);
    put<quint64>(out, sender);
    put<quint32>(out, quint32(bytes.size()));
    return out + bytes;
}

// The header at the start of `buffer`, once it is complete. An invalid one
// (wrong magic, oversized payload) sets `invalid`.
inline std::optional<Header> decodeHeader(const QByteArray& buffer, bool* invalid)
{
    *invalid = false;
    if (buffer.size() < kHeaderSize)
        return std::nullopt;
    if (std::memcmp(buffer.constData(), kMagic, 4) != 0) {
        *invalid = true;
        return std::nullopt;
    }
    Header header{get<quint32>(buffer.constData() + 4), get<quint64>(buffer.constData() + 8),
                  get<quint32>(buffer.constData() + 16)};
    if (header.cbData > kMaxPayload) {
        *invalid = true;
        return std::nullopt;
    }
    return header;
}

inline QByteArray encodeAnswer(qint64 result)
{
    QByteArray out;
    put<qint64>(out, result);
    return out;
}

} // namespace zuv::Bus::Wire
