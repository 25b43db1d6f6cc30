#pragma once

#include <QByteArray>
#include <QtEndian>

namespace zuvtest {

// Sets an environment variable for a scope and puts the old value back.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

// A PCM WAV file around the samples.
inline QByteArray waveFile(quint16 channels, quint32 rate, quint16 bits, const QByteArray& pcm)
{
    QByteArray out;
    auto put = [&out](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out.append(char((value >> (8 * i)) & 0xFF));
    };
    const quint16 align = quint16(channels * bits / 8);
    out.append("RIFF");
    put(quint32(36 + pcm.size()), 4);
    out.append("WAVEfmt ");
    put(16, 4);
    put(1, 2);
    put(channels, 2);
    put(rate, 4);
    put(rate * align, 4);
    put(align, 2);
    put(bits, 2);
    out.append("data");
    put(quint32(pcm.size()), 4);
    out.append(pcm);
    return out;
}

} // namespace zuvtest
