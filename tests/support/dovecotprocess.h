#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace zuvtest {

// A real dovecot serving POP3 on free loopback ports, with its
// configuration, state, log, users and maildirs in a temporary folder. With
// TLS it listens for POP3 with STLS and for POP3 over TLS, with a server
// certificate for 127.0.0.1 and localhost signed by a CA of its own
// (caPath()); without TLS it offers plain POP3 only. As root its processes
// run as unprivileged system users, who get the folder; otherwise dovecot
// runs as the test's own user.
class DovecotProcess
{
public:
    struct Mailbox
    {
        QString user;
        QString password;
        int messages = 0;
        int messageBytes = 0; // each message's size as POP3 counts it (CR LF lines)
    };
    enum class Tls
    {
        On,
        Off
    };

    // Whether dovecot (and openssl for the certificates) are installed.
    static bool available();

    DovecotProcess(const QList<Mailbox>& mailboxes, Tls tls = Tls::On);
    ~DovecotProcess();

    bool started() const { return m_pop3Port > 0; }
    int pop3Port() const { return m_pop3Port; }
    int pop3sPort() const { return m_pop3sPort; }
    // The CA that signed the server's certificate, and one that did not.
    QString caPath() const;
    QString otherCaPath() const;
    // The mailbox size STAT reports for the user.
    qint64 mailboxBytes(const QString& user) const;
    // The tail of the log, for a failure message.
    QString log() const;

private:
    bool makeCertificates();
    bool writeMailboxes(uint uid, uint gid);

    QTemporaryDir m_dir;
    QProcess m_server;
    QList<Mailbox> m_mailboxes;
    int m_pop3Port = 0;
    int m_pop3sPort = 0;
};

} // namespace zuvtest
