#include "dovecotprocess.h"

#include "processes.h"

#include <QDir>
#include <QFile>
#include <grp.h>
#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace zuvtest {
namespace {

bool run(const QString& program, const QStringList& arguments, const QString& dir)
{
    const ToolResult result =
        runTool(program, arguments, dir, QProcessEnvironment::systemEnvironment(), 30000);
    if (!result.ok())
        qWarning("%s failed: %s", qPrintable(program), qPrintable(result.output));
    return result.ok();
}

// A message of exactly `size` bytes with CR LF line ends, so the size POP3
// reports is the file's size.
QByteArray message(int number, int size)
{
    QByteArray text =
        "From: sender@example.invalid\r\nSubject: test " + QByteArray::number(number) + "\r\n\r\n";
    qsizetype remaining = qMax<qsizetype>(size - text.size(), 2);
    while (remaining > 0) {
        qsizetype take = qMin<qsizetype>(72, remaining);
        if (remaining - take == 1)
            --take;
        text += QByteArray(take - 2, 'x') + "\r\n";
        remaining -= take;
    }
    return text;
}

struct Account
{
    QString name;
    uint uid = 0;
    gid_t gid = 0;
};

std::optional<Account> systemUser(const char* name)
{
    const passwd* entry = ::getpwnam(name);
    if (!entry)
        return std::nullopt;
    return Account{QString::fromLocal8Bit(entry->pw_name), entry->pw_uid, entry->pw_gid};
}

} // namespace

bool DovecotProcess::available()
{
    return !systemProgram(QStringLiteral("dovecot")).isEmpty() &&
           !systemProgram(QStringLiteral("openssl")).isEmpty();
}

DovecotProcess::DovecotProcess(const QList<Mailbox>& mailboxes, Tls tls) : m_mailboxes(mailboxes)
{
    const QString program = systemProgram(QStringLiteral("dovecot"));
    const int pop3Port = freeLoopbackPort();
    const int pop3sPort = freeLoopbackPort();
    if (program.isEmpty() || pop3Port == 0 || pop3sPort == 0 || !m_dir.isValid())
        return;
    if (!makeCertificates())
        return;

    // As root the services run as dovecot's own unprivileged users and the
    // mail belongs to nobody; otherwise everything runs as the test's user.
    Account internal;
    Account login;
    Account mail;
    QString internalGroup = QStringLiteral("dovecot");
    const bool root = ::geteuid() == 0;
    if (root) {
        const auto self = systemUser("dovecot");
        const auto nobody = systemUser("nobody");
        const auto dovenull = systemUser("dovenull");
        if (!nobody)
            return;
        internal = self ? *self : *nobody;
        if (const group* own = ::getgrgid(internal.gid))
            internalGroup = QString::fromLocal8Bit(own->gr_name);
        login = dovenull ? *dovenull : *nobody;
        mail = *nobody;
        // The mail user must reach its maildir below the folder.
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                QFile::ExeGroup | QFile::ExeOther);
    } else {
        const passwd* me = ::getpwuid(::geteuid());
        if (!me)
            return;
        internal = login = mail = {QString::fromLocal8Bit(me->pw_name), me->pw_uid, me->pw_gid};
        const group* own = ::getgrgid(me->pw_gid);
        if (!own)
            return;
        internalGroup = QString::fromLocal8Bit(own->gr_name);
    }
    if (!writeMailboxes(mail.uid, mail.gid))
        return;

    const QString dir = m_dir.path();
    QDir(dir).mkpath(QStringLiteral("run"));
    QDir(dir).mkpath(QStringLiteral("state"));
    const bool withTls = tls == Tls::On;
    QString config = QStringLiteral(R"(base_dir = %1/run
state_dir = %1/state
log_path = %1/dovecot.log
protocols = pop3
listen = 127.0.0.1
default_internal_user = %2
default_internal_group = %7
default_login_user = %3
first_valid_uid = %4
last_valid_uid = 0
disable_plaintext_auth = no
auth_mechanisms = plain
mail_location = maildir:%1/mail/%u
passdb {
  driver = passwd-file
  args = scheme=PLAIN username_format=%u %1/users
}
userdb {
  driver = passwd-file
  args = username_format=%u %1/users
}
service pop3-login {
  chroot =
  inet_listener pop3 {
    address = 127.0.0.1
    port = %5
  }
  inet_listener pop3s {
    address = 127.0.0.1
    port = %6
    ssl = yes
  }
}
service anvil {
  chroot =
}
)")
                         .arg(dir, internal.name, login.name)
                         .arg(mail.uid)
                         .arg(pop3Port)
                         .arg(withTls ? pop3sPort : 0)
                         .arg(internalGroup);
    if (withTls)
        config += QStringLiteral("ssl = yes\nssl_cert = <%1/server.pem\nssl_key = <%1/server.key\n")
                      .arg(dir);
    else
        config += QStringLiteral("ssl = no\n");
    const QString configPath = m_dir.filePath(QStringLiteral("dovecot.conf"));
    if (!writeFile(configPath, config.toUtf8()))
        return;

    m_server.setProcessChannelMode(QProcess::ForwardedChannels);
    m_server.start(program, {QStringLiteral("-F"), QStringLiteral("-c"), configPath});
    if (!m_server.waitForStarted(5000))
        return;
    if (waitUntilAnswering(m_server, pop3Port, "+OK")) {
        m_pop3Port = pop3Port;
        m_pop3sPort = withTls ? pop3sPort : 0;
    }
}

DovecotProcess::~DovecotProcess()
{
    stopPeer(m_server);
}

QString DovecotProcess::caPath() const
{
    return m_dir.filePath(QStringLiteral("ca.pem"));
}

QString DovecotProcess::otherCaPath() const
{
    return m_dir.filePath(QStringLiteral("other-ca.pem"));
}

qint64 DovecotProcess::mailboxBytes(const QString& user) const
{
    for (const Mailbox& box : m_mailboxes) {
        if (box.user == user) {
            qint64 sum = 0;
            for (int n = 0; n < box.messages; ++n)
                sum += message(n, box.messageBytes).size();
            return sum;
        }
    }
    return 0;
}

QString DovecotProcess::log() const
{
    return fileTail(m_dir.filePath(QStringLiteral("dovecot.log")),
                    QStringLiteral("(no dovecot log)"));
}

bool DovecotProcess::makeCertificates()
{
    const QString openssl = systemProgram(QStringLiteral("openssl"));
    const QString dir = m_dir.path();
    const QStringList ecKey = {
        QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
        QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};
    auto selfSigned = [&](const QString& name, const QString& subject) {
        return run(openssl,
                   QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + ecKey +
                       QStringList{QStringLiteral("-keyout"), name + QStringLiteral(".key"),
                                   QStringLiteral("-out"), name + QStringLiteral(".pem"),
                                   QStringLiteral("-days"), QStringLiteral("2"),
                                   QStringLiteral("-subj"), subject},
                   dir);
    };
    if (!selfSigned(QStringLiteral("ca"), QStringLiteral("/CN=Zuv test CA")) ||
        !selfSigned(QStringLiteral("other-ca"), QStringLiteral("/CN=Zuv untrusted CA")))
        return false;
    if (!writeFile(m_dir.filePath(QStringLiteral("server.ext")),
                   "basicConstraints = CA:FALSE\n"
                   "extendedKeyUsage = serverAuth\n"
                   "subjectAltName = IP:127.0.0.1, DNS:localhost\n"))
        return false;
    return run(openssl,
               QStringList{QStringLiteral("req")} + ecKey +
                   QStringList{QStringLiteral("-keyout"), QStringLiteral("server.key"),
                               QStringLiteral("-out"), QStringLiteral("server.csr"),
                               QStringLiteral("-subj"), QStringLiteral("/CN=localhost")},
               dir) &&
           run(openssl,
               {QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                QStringLiteral("server.csr"), QStringLiteral("-CA"), QStringLiteral("ca.pem"),
                QStringLiteral("-CAkey"), QStringLiteral("ca.key"),
                QStringLiteral("-CAcreateserial"), QStringLiteral("-days"), QStringLiteral("2"),
                QStringLiteral("-extfile"), QStringLiteral("server.ext"), QStringLiteral("-out"),
                QStringLiteral("server.pem")},
               dir);
}

bool DovecotProcess::writeMailboxes(uint uid, uint gid)
{
    QByteArray users;
    const QString dir = m_dir.path();
    for (const Mailbox& box : m_mailboxes) {
        users += QStringLiteral("%1:{PLAIN}%2:%3:%4::%5/mail/%1::\n")
                     .arg(box.user, box.password)
                     .arg(uid)
                     .arg(gid)
                     .arg(dir)
                     .toUtf8();
        const QString maildir = dir + QStringLiteral("/mail/") + box.user;
        for (const char* sub : {"cur", "new", "tmp"}) {
            if (!QDir().mkpath(maildir + u'/' + QLatin1StringView(sub)))
                return false;
        }
        for (int n = 0; n < box.messages; ++n) {
            const QString name =
                QStringLiteral("%1/new/%2.M%3P1.zuvtest").arg(maildir).arg(1700000000 + n).arg(n);
            if (!writeFile(name, message(n, box.messageBytes)))
                return false;
        }
    }
    if (!writeFile(m_dir.filePath(QStringLiteral("users")), users))
        return false;
    // The mail goes to its user: folders and files below mail/.
    const QString mailRoot = dir + QStringLiteral("/mail");
    auto own = [uid, gid](const QString& path) {
        return ::chown(QFile::encodeName(path).constData(), uid, gid) == 0;
    };
    if (!own(mailRoot))
        return false;
    QList<QString> pending{mailRoot};
    while (!pending.isEmpty()) {
        const QDir folder(pending.takeLast());
        for (const QFileInfo& entry :
             folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
            if (!own(entry.filePath()))
                return false;
            if (entry.isDir())
                pending.append(entry.filePath());
        }
    }
    return true;
}

} // namespace zuvtest
