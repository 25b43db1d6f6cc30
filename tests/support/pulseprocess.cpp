#include "pulseprocess.h"

#include "processes.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>
#include <cmath>
#include <numbers>

namespace zuvtest {
namespace {

void appendLE(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

QByteArray toneWave(double frequency, double seconds)
{
    constexpr int rate = 44100;
    const int frames = int(seconds * rate);
    QByteArray wave;
    wave.reserve(44 + frames * 4);
    wave.append("RIFF");
    appendLE(wave, quint32(36 + frames * 4), 4);
    wave.append("WAVEfmt ");
    appendLE(wave, 16, 4);
    appendLE(wave, 1, 2);
    appendLE(wave, 2, 2);
    appendLE(wave, rate, 4);
    appendLE(wave, rate * 4, 4);
    appendLE(wave, 4, 2);
    appendLE(wave, 16, 2);
    wave.append("data");
    appendLE(wave, quint32(frames * 4), 4);
    for (int i = 0; i < frames; ++i) {
        const auto sample =
            qint16(std::lround(12000.0 * std::sin(2.0 * std::numbers::pi * frequency * i / rate)));
        appendLE(wave, quint16(sample), 2);
        appendLE(wave, quint16(sample), 2);
    }
    return wave;
}

} // namespace

bool PulseProcess::available()
{
    return !systemProgram(QStringLiteral("pulseaudio")).isEmpty() &&
           !systemProgram(QStringLiteral("paplay")).isEmpty() &&
           !systemProgram(QStringLiteral("parec")).isEmpty();
}

PulseProcess::PulseProcess()
{
    const QString program = systemProgram(QStringLiteral("pulseaudio"));
    if (program.isEmpty() || !m_dir.isValid())
        return;
    m_socket = m_dir.filePath(QStringLiteral("native"));
    const QString configPath = m_dir.filePath(QStringLiteral("default.pa"));
    if (!writeFile(configPath, QStringLiteral("load-module module-null-sink sink_name=zuvtest\n"
                                              "load-module module-native-protocol-unix socket=%1 "
                                              "auth-anonymous=1\n"
                                              "set-default-sink zuvtest\n")
                                   .arg(m_socket)
                                   .toUtf8()))
        return;

    // Everything the daemon keeps goes into the temporary folder. As root it
    // only warns, so it runs as whoever runs the tests.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("PULSE_SERVER"));
    env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    env.insert(QStringLiteral("HOME"), m_dir.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), m_dir.path());
    env.insert(QStringLiteral("PULSE_STATE_PATH"), m_dir.path());
    m_daemon.setProcessEnvironment(env);
    m_daemon.setStandardOutputFile(m_dir.filePath(QStringLiteral("pulse.log")));
    m_daemon.setStandardErrorFile(m_dir.filePath(QStringLiteral("pulse.log")));
    m_daemon.start(program,
                   {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                    QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                    QStringLiteral("--system=false"), QStringLiteral("--realtime=no"),
                    QStringLiteral("--high-priority=no"), QStringLiteral("--log-target=stderr"),
                    QStringLiteral("-F"), configPath});
    if (!m_daemon.waitForStarted(5000))
        return;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && m_daemon.state() == QProcess::Running) {
        if (serverAnswers()) {
            keepSinkQuick(env);
            m_hadServer = qEnvironmentVariableIsSet("PULSE_SERVER");
            m_oldServer = qgetenv("PULSE_SERVER");
            qputenv("PULSE_SERVER", server().toUtf8());
            m_started = true;
            return;
        }
        QThread::msleep(20);
    }
}

PulseProcess::~PulseProcess()
{
    stopTone();
    if (m_reader.state() != QProcess::NotRunning) {
        m_reader.kill();
        m_reader.waitForFinished(5000);
    }
    if (m_started) {
        if (m_hadServer)
            qputenv("PULSE_SERVER", m_oldServer);
        else
            qunsetenv("PULSE_SERVER");
    }
    stopPeer(m_daemon);
}

QString PulseProcess::log() const
{
    return fileTail(m_dir.filePath(QStringLiteral("pulse.log")), QStringLiteral("(no log)"));
}

bool PulseProcess::playTone(double frequency, double seconds)
{
    if (!m_started || m_player.state() != QProcess::NotRunning)
        return false;
    const QString path = m_dir.filePath(QStringLiteral("tone.wav"));
    if (!writeFile(path, toneWave(frequency, seconds)))
        return false;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), server());
    m_player.setProcessEnvironment(env);
    m_player.setProcessChannelMode(QProcess::ForwardedChannels);
    m_player.start(systemProgram(QStringLiteral("paplay")),
                   {QStringLiteral("--device=zuvtest"), path});
    if (!m_player.waitForStarted(5000))
        return false;
    // A new stream on the null sink holds its monitor back for up to two
    // seconds while the sink settles its latency; a recorder starting then
    // would miss the beginning.
    QThread::msleep(2500);
    return m_player.state() == QProcess::Running;
}

void PulseProcess::stopTone()
{
    if (m_player.state() == QProcess::NotRunning)
        return;
    m_player.kill();
    m_player.waitForFinished(5000);
}

void PulseProcess::keepSinkQuick(const QProcessEnvironment& daemonEnv)
{
    // A null sink renders blocks of up to two seconds while nobody asks for
    // less, and a recorder joining then hears nothing for that long. A
    // reader with a short latency keeps it in short blocks, as a sound card
    // runs.
    QProcessEnvironment env = daemonEnv;
    env.insert(QStringLiteral("PULSE_SERVER"), server());
    m_reader.setProcessEnvironment(env);
    m_reader.setStandardOutputFile(QProcess::nullDevice());
    m_reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_reader.start(systemProgram(QStringLiteral("parec")),
                   {QStringLiteral("--device=zuvtest.monitor"), QStringLiteral("--latency-msec=20"),
                    QStringLiteral("--raw")});
    m_reader.waitForStarted(5000);
}

bool PulseProcess::serverAnswers() const
{
    QLocalSocket probe;
    probe.connectToServer(m_socket);
    return probe.waitForConnected(200);
}

} // namespace zuvtest
