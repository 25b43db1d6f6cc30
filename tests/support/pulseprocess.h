#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>

namespace zuvtest {

// A PulseAudio daemon of the test's own: a null sink "zuvtest" (its monitor
// "zuvtest.monitor" hears what is played into it), a native socket in a
// temporary folder, no cookie. While it lives, PULSE_SERVER of this process
// points at it; the previous value comes back afterwards.
class PulseProcess
{
public:
    // Whether pulseaudio, paplay and parec are installed; tests skip without them.
    static bool available();

    PulseProcess();
    ~PulseProcess();

    bool started() const { return m_started; }
    QString server() const { return QStringLiteral("unix:") + m_socket; }
    QString log() const;

    // Plays a sine tone of `frequency` Hz (16-bit stereo, 44.1 kHz) for
    // `seconds` into the null sink, in the background. Returns once the
    // monitor passes the tone on without delay.
    bool playTone(double frequency, double seconds);
    void stopTone();

private:
    bool serverAnswers() const;
    void keepSinkQuick(const QProcessEnvironment& daemonEnv);

    QTemporaryDir m_dir;
    QString m_socket;
    QProcess m_daemon;
    QProcess m_player;
    QProcess m_reader;
    QByteArray m_oldServer;
    bool m_hadServer = false;
    bool m_started = false;
};

} // namespace zuvtest
