#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace zuvtest {

// A real icecast2 on a free loopback port, its configuration, logs and pid
// file in a temporary folder, and an ffmpeg source that sends a 440 Hz tone
// as a 128 kbit/s MP3 stream to the mount /test.mp3.
class IcecastProcess
{
public:
    // Whether icecast2 and ffmpeg are installed; tests skip without them.
    static bool available();

    // Starts the server; started() tells whether it listens.
    IcecastProcess();
    ~IcecastProcess();

    bool started() const { return m_port > 0; }
    int port() const { return m_port; }
    QString password() const { return m_password; }
    QString streamURL() const;
    // The tail of the server's error log, for a failure message.
    QString log() const;

    // Starts the source and waits until the mount is on the air.
    bool startSource(int timeoutMs = 10000);
    // Stops or continues the source process: the link stays, the data stops,
    // as with an encoder that hangs.
    void pauseSource(bool paused);
    // Kills the source, as when the encoder's link breaks, and waits until
    // the server has taken the mount down.
    bool killSource(int timeoutMs = 10000);

    // Sets the stream title through the admin interface. The bytes go out as
    // they are: without a charset the server passes a title on unchanged.
    bool setTitle(const QByteArray& bytes);
    bool setTitle(const QString& title) { return setTitle(title.toUtf8()); }

private:
    bool mountLive() const;

    QTemporaryDir m_dir;
    QProcess m_server;
    QProcess m_source;
    QString m_password;
    int m_port = 0;
};

} // namespace zuvtest
