#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <string>

namespace zuvtest {

// One answer of the server.
struct Answer
{
    int status = 0; // 0: no answer at all
    QByteArray contentType;
    QByteArray body;
};

// A real zuvd on a free loopback port with its own database file.
class Zuvd
{
public:
    // Starts with --seed demo plus `extraArgs`; started() tells whether the
    // port line came.
    explicit Zuvd(const QStringList& extraArgs = {});
    ~Zuvd();

    bool started() const { return m_port > 0; }
    int port() const { return m_port; }
    QString base() const;
    QString dbPath() const { return m_dir.path() + QStringLiteral("/zuv.db"); }

    // GET of a request target sent exactly as given (already percent-encoded).
    Answer get(const std::string& target, const std::string& host = {}) const;

    // Sends SIGTERM (or SIGINT) and waits; true when zuvd ended by itself with 0.
    // The destructor stops a running server this way and fails the test if
    // it does not end cleanly.
    bool stop(bool interrupt = false);

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

// Percent-encoded Windows-1250 bytes of a text, as the downloader sends it.
std::string enc(const QString& text);

// Lines of a Windows-1250 CR LF body; fails the calling test on a bare LF.
QStringList replyLines(const QByteArray& body);

// The bytes of a reply made of these lines.
QByteArray crlf(const QStringList& lines);

// A refresh request as the messenger builds it.
std::string refreshTarget(const std::string& script, const std::string& id,
                          const std::string& password, const std::string& mood = ":)",
                          const std::string& radio = "off");

// Registers a member through the registration page; their number, or 0.
int registerMember(const Zuvd& server, const QString& nickname, const QString& password,
                   const std::string& moreKeys = {});

// The demo members of --seed demo.
inline constexpr int kRobot = 100000;
inline constexpr int kDemo = 100001;
inline constexpr int kEva = 100002;

} // namespace zuvtest
