#include "icecastprocess.h"

#include "processes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>
#include <csignal>
#include <grp.h>
#include <httplib.h>
#include <pwd.h>
#include <unistd.h>

namespace zuvtest {
namespace {

const QString kMount = QStringLiteral("/test.mp3");

QString optionalPath(const QString& path)
{
    return QDir(path).exists() ? path : QString();
}

QByteArray configuration(const QString& dir, int port, const QString& password)
{
    QString webPaths;
    const QString web = optionalPath(QStringLiteral("/usr/share/icecast2/web"));
    const QString admin = optionalPath(QStringLiteral("/usr/share/icecast2/admin"));
    if (!web.isEmpty())
        webPaths += QStringLiteral("    <webroot>%1</webroot>\n").arg(web);
    if (!admin.isEmpty())
        webPaths += QStringLiteral("    <adminroot>%1</adminroot>\n").arg(admin);
    return QStringLiteral(R"(<icecast>
  <location>test</location>
  <admin>test@localhost</admin>
  <hostname>127.0.0.1</hostname>
  <limits>
    <clients>20</clients>
    <sources>2</sources>
  </limits>
  <authentication>
    <source-password>%3</source-password>
    <relay-password>%3</relay-password>
    <admin-user>admin</admin-user>
    <admin-password>%3</admin-password>
  </authentication>
  <listen-socket>
    <port>%2</port>
    <bind-address>127.0.0.1</bind-address>
  </listen-socket>
  <fileserve>1</fileserve>
  <paths>
    <basedir>%1</basedir>
    <logdir>%1</logdir>
    <pidfile>%1/icecast.pid</pidfile>
%4  </paths>
  <logging>
    <accesslog>access.log</accesslog>
    <errorlog>error.log</errorlog>
    <loglevel>3</loglevel>
  </logging>
  <security>
    <chroot>0</chroot>
  </security>
</icecast>
)")
        .arg(dir)
        .arg(port)
        .arg(password, webPaths)
        .toUtf8();
}

} // namespace

bool IcecastProcess::available()
{
    return !systemProgram(QStringLiteral("icecast2")).isEmpty() &&
           !systemProgram(QStringLiteral("ffmpeg")).isEmpty();
}

IcecastProcess::IcecastProcess()
    : m_password(QStringLiteral("zuv%1").arg(QRandomGenerator::global()->generate()))
{
    const QString program = systemProgram(QStringLiteral("icecast2"));
    const int port = freeLoopbackPort();
    if (program.isEmpty() || port == 0 || !m_dir.isValid())
        return;
    const QString configPath = m_dir.filePath(QStringLiteral("icecast.xml"));
    if (!writeFile(configPath, configuration(m_dir.path(), port, m_password)))
        return;

    // The server will not run as root; there it runs as nobody, who then
    // needs the folder for its logs.
    if (::geteuid() == 0) {
        if (const passwd* nobody = ::getpwnam("nobody")) {
            const uid_t uid = nobody->pw_uid;
            const gid_t gid = nobody->pw_gid;
            if (::chown(QFile::encodeName(m_dir.path()).constData(), uid, gid) != 0)
                return;
            m_server.setChildProcessModifier([uid, gid] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                    ::_exit(127);
            });
        }
    }
    m_server.setProcessChannelMode(QProcess::ForwardedChannels);
    m_server.start(program, {QStringLiteral("-c"), configPath});
    if (!m_server.waitForStarted(5000))
        return;
    if (waitUntilAnswering(m_server, port))
        m_port = port;
}

IcecastProcess::~IcecastProcess()
{
    if (m_source.state() != QProcess::NotRunning) {
        pauseSource(false);
        m_source.kill();
        m_source.waitForFinished(5000);
    }
    stopPeer(m_server);
}

QString IcecastProcess::streamURL() const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(kMount);
}

QString IcecastProcess::log() const
{
    return fileTail(m_dir.filePath(QStringLiteral("error.log")), QStringLiteral("(no error log)"));
}

bool IcecastProcess::startSource(int timeoutMs)
{
    if (!started() || m_source.state() != QProcess::NotRunning)
        return false;
    const QString target = QStringLiteral("icecast://source:%1@127.0.0.1:%2%3")
                               .arg(m_password)
                               .arg(m_port)
                               .arg(kMount);
    m_source.setProcessChannelMode(QProcess::ForwardedChannels);
    m_source.start(systemProgram(QStringLiteral("ffmpeg")),
                   {QStringLiteral("-hide_banner"), QStringLiteral("-nostdin"),
                    QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-re"),
                    QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                    QStringLiteral("sine=frequency=440"), QStringLiteral("-c:a"),
                    QStringLiteral("libmp3lame"), QStringLiteral("-b:a"), QStringLiteral("128k"),
                    QStringLiteral("-content_type"), QStringLiteral("audio/mpeg"),
                    QStringLiteral("-f"), QStringLiteral("mp3"), target});
    if (!m_source.waitForStarted(5000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!mountLive()) {
        if (clock.elapsed() > timeoutMs || m_source.state() != QProcess::Running)
            return false;
        QThread::msleep(20);
    }
    return true;
}

void IcecastProcess::pauseSource(bool paused)
{
    if (m_source.state() == QProcess::Running)
        ::kill(pid_t(m_source.processId()), paused ? SIGSTOP : SIGCONT);
}

bool IcecastProcess::killSource(int timeoutMs)
{
    if (m_source.state() == QProcess::NotRunning)
        return false;
    m_source.kill();
    m_source.waitForFinished(5000);
    QElapsedTimer clock;
    clock.start();
    while (mountLive()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(20);
    }
    return true;
}

bool IcecastProcess::setTitle(const QByteArray& bytes)
{
    httplib::Client client("127.0.0.1", m_port);
    client.set_url_encode(false);
    client.set_basic_auth("admin", m_password.toStdString());
    const std::string target = "/admin/metadata?mount=" + kMount.toStdString() +
                               "&mode=updinfo&song=" + bytes.toPercentEncoding().toStdString();
    const auto result = client.Get(target);
    return result && result->status == 200 &&
           result->body.find("<return>1</return>") != std::string::npos;
}

bool IcecastProcess::mountLive() const
{
    httplib::Client client("127.0.0.1", m_port);
    client.set_basic_auth("admin", m_password.toStdString());
    client.set_read_timeout(2, 0);
    const auto result = client.Get("/admin/listmounts");
    return result && result->status == 200 &&
           result->body.find("mount=\"" + kMount.toStdString() + '"') != std::string::npos;
}

} // namespace zuvtest
