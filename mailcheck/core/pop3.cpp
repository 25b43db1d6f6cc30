#include "pop3.h"

#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>
#include <cmath>
#include <foundation/codepage.h>

namespace zuv::mailcheck {
namespace {

// A reply line is short; a server that sends more without a line end is
// broken or hostile, and the buffer must not grow without end.
constexpr qsizetype kMaxLine = 64 * 1024;

const QString kNotFound = QStringLiteral("NOT FOUND");

// The leading number of a text as the size field is read: digits up to the
// first other character, 0 when there are none.
double leadingValue(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    while (end < trimmed.size() && trimmed[end].isDigit())
        ++end;
    if (end < trimmed.size() && trimmed[end] == u'.') {
        ++end;
        while (end < trimmed.size() && trimmed[end].isDigit())
            ++end;
    }
    bool ok = false;
    const double value = trimmed.left(end).toDouble(&ok);
    return ok ? value : 0.0;
}

// The system's certificate authorities and those of $ZUV_MAIL_CA, read once
// per file name: reading the system store takes longer than a whole visit.
std::optional<QList<QSslCertificate>> trustedAuthorities()
{
    const QString extra = qEnvironmentVariable("ZUV_MAIL_CA");
    if (extra.isEmpty())
        return std::nullopt;
    static QString cachedFor;
    static QList<QSslCertificate> cached;
    if (cachedFor != extra || cached.isEmpty()) {
        cached = QSslConfiguration::systemCaCertificates();
        cached += QSslCertificate::fromPath(extra, QSsl::Pem);
        cachedFor = extra;
    }
    return cached;
}

} // namespace

QString Get_After_Seperator(const QString& strString, int intNthOccurance,
                            const QString& strSeperator)
{
    if (strSeperator.isEmpty())
        return intNthOccurance == 0 ? strString : kNotFound;
    if (intNthOccurance < 0)
        return kNotFound;
    qsizetype start = 0;
    for (int n = 0; n < intNthOccurance; ++n) {
        const qsizetype found = strString.indexOf(strSeperator, start);
        if (found < 0)
            return kNotFound;
        start = found + strSeperator.size();
    }
    const qsizetype next = strString.indexOf(strSeperator, start);
    return next < 0 ? strString.mid(start) : strString.mid(start, next - start);
}

StatResult statResult(const QString& reply)
{
    QString line = reply;
    while (line.endsWith(u'\n') || line.endsWith(u'\r'))
        line.chop(1);
    StatResult result;
    result.count = Get_After_Seperator(line, 1, QStringLiteral(" "));
    const double bytes = leadingValue(Get_After_Seperator(line, 2, QStringLiteral(" ")));
    // Halves round up, as the number format "0" does.
    result.size = QString::number(std::floor(bytes / 1024.0 + 0.5), 'f', 0) + QStringLiteral(" KB");
    return result;
}

std::optional<MailServer> parseMailServer(const QString& field)
{
    QString rest = field.trimmed();
    MailServer server;
    const QLatin1StringView secure("pop3s://");
    const QLatin1StringView plain("pop3://");
    if (rest.startsWith(secure, Qt::CaseInsensitive)) {
        server.implicitTls = true;
        server.port = 995;
        rest = rest.mid(secure.size());
    } else if (rest.startsWith(plain, Qt::CaseInsensitive)) {
        rest = rest.mid(plain.size());
    }
    if (rest.endsWith(u'/'))
        rest.chop(1);

    QString portText;
    bool hasPort = false;
    if (rest.startsWith(u'[')) { // [IPv6 address] with an optional port
        const qsizetype close = rest.indexOf(u']');
        if (close < 0)
            return std::nullopt;
        server.host = rest.mid(1, close - 1);
        const QString after = rest.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(u':'))
                return std::nullopt;
            portText = after.mid(1);
            hasPort = true;
        }
    } else if (rest.count(u':') == 1) {
        server.host = rest.section(u':', 0, 0);
        portText = rest.section(u':', 1);
        hasPort = true;
    } else {
        server.host = rest; // a name, or a bare IPv6 address
    }
    if (server.host.isEmpty() || server.host.contains(u' ') || server.host.contains(u'/'))
        return std::nullopt;
    if (hasPort) {
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return std::nullopt;
        server.port = quint16(port);
    }
    if (server.port == 995)
        server.implicitTls = true;
    return server;
}

struct Pop3Check::Impl
{
    enum class Step
    {
        Idle,
        Greeting,
        Capa,
        CapaList,
        Stls,
        Upgrading,
        User,
        Pass,
        Stat,
        Quit
    };

    Pop3Check* q = nullptr;
    QPointer<QSslSocket> socket;
    QByteArray buffer;
    Step step = Step::Idle;
    bool busy = false;
    bool tls = false; // the connection is encrypted, or is to be from the first byte
    bool stlsOffered = false;
    quint64 visit = 0; // changes whenever a visit starts or ends
    QString user;
    QString pass;

    void drop()
    {
        const bool saidGoodbye = step == Step::Quit;
        ++visit;
        busy = false;
        step = Step::Idle;
        buffer.clear();
        stlsOffered = false;
        tls = false;
        if (socket) {
            socket->disconnect(q);
            if (saidGoodbye) {
                // The visit has said goodbye: the QUIT still goes out, and
                // the socket goes once the server has closed.
                QObject::connect(socket, &QAbstractSocket::disconnected, socket,
                                 &QObject::deleteLater);
                QTimer::singleShot(5000, socket, &QObject::deleteLater);
                socket->disconnectFromHost();
            } else {
                socket->abort();
                socket->deleteLater();
            }
            socket = nullptr;
        }
    }

    void send(const QString& line)
    {
        if (socket) {
            socket->write(CodePage::encode(line) + "\r\n");
            // Out now rather than on the next turn of the event loop: each
            // step waits for the server's answer to this line.
            socket->flush();
        }
    }

    // Ends the visit for a problem that waiting cannot mend.
    void giveUp(const QString& why)
    {
        const quint64 current = visit;
        drop();
        emit q->problem(why);
        if (visit == current + 1)
            emit q->skipped();
    }

    void readAvailable()
    {
        if (!socket)
            return;
        const quint64 current = visit;
        buffer += socket->readAll();
        while (visit == current && step != Step::Idle) {
            const qsizetype end = buffer.indexOf('\n');
            if (end < 0)
                break;
            QByteArray line = buffer.left(end);
            buffer.remove(0, end + 1);
            if (line.endsWith('\r'))
                line.chop(1);
            if (line.size() > kMaxLine)
                return giveUp(
                    QStringLiteral("Server poslal řádek delší než %1 bajtů.").arg(kMaxLine));
            handleLine(CodePage::decode(line));
        }
        if (visit == current && buffer.size() > kMaxLine)
            giveUp(QStringLiteral("Server poslal přes %1 bajtů bez konce řádku.").arg(kMaxLine));
    }

    void handleLine(const QString& line)
    {
        const quint64 current = visit;
        emit q->received(line);
        if (visit != current)
            return;
        const bool ok = line.startsWith(QLatin1StringView("+OK"), Qt::CaseInsensitive);
        switch (step) {
        case Step::Idle:
        case Step::Upgrading:
        case Step::Quit:
            return;
        case Step::Greeting:
            if (!ok)
                return;
            if (tls) {
                sendUser();
            } else {
                step = Step::Capa;
                send(QStringLiteral("CAPA"));
            }
            return;
        case Step::Capa:
            // A server without CAPA answers "-ERR" and offers no STLS.
            if (ok)
                step = Step::CapaList;
            else
                sendUser();
            return;
        case Step::CapaList:
            if (line == u'.') {
                if (stlsOffered) {
                    step = Step::Stls;
                    send(QStringLiteral("STLS"));
                } else {
                    sendUser();
                }
            } else if (line.trimmed().compare(QLatin1StringView("STLS"), Qt::CaseInsensitive) ==
                       0) {
                stlsOffered = true;
            }
            return;
        case Step::Stls:
            if (!ok)
                return giveUp(QStringLiteral("Server nabídl STLS, ale odmítl ho; heslo se "
                                             "nešifrovaně neposílá."));
            // Whatever came after the "+OK" in plain text is not to be trusted.
            buffer.clear();
            step = Step::Upgrading;
            socket->startClientEncryption();
            return;
        case Step::User:
            if (ok) {
                step = Step::Pass;
                send(QStringLiteral("PASS ") + pass);
            }
            return;
        case Step::Pass:
            if (ok) {
                step = Step::Stat;
                send(QStringLiteral("STAT"));
            }
            return;
        case Step::Stat:
            if (ok) {
                step = Step::Quit;
                send(QStringLiteral("QUIT"));
                busy = false;
                emit q->statReceived(statResult(line));
            }
            return;
        }
    }

    void sendUser()
    {
        step = Step::User;
        send(QStringLiteral("USER ") + user);
    }

    void encrypted()
    {
        tls = true;
        if (step == Step::Upgrading)
            sendUser();
    }

    void sslErrors(const QList<QSslError>& errors)
    {
        QStringList texts;
        for (const QSslError& error : errors)
            texts.append(error.errorString());
        giveUp(QStringLiteral("Certifikát serveru byl odmítnut: ") +
               texts.join(QStringLiteral("; ")));
    }

    void socketError(QAbstractSocket::SocketError error)
    {
        // A handshake that fails cannot get better by waiting; every other
        // error (a refused connection, an unknown host, a closed link) is
        // left to the caller's time-out.
        // During an STLS upgrade any error means the password cannot go
        // out encrypted, so the visit is over.
        if (step == Step::Upgrading) {
            giveUp(QStringLiteral("Přechod na šifrované spojení selhal: ") +
                   (socket ? socket->errorString() : QString()));
        } else if (error == QAbstractSocket::SslHandshakeFailedError && step != Step::Idle) {
            giveUp(QStringLiteral("Šifrované spojení selhalo: ") +
                   (socket ? socket->errorString() : QString()));
        }
    }
};

Pop3Check::Pop3Check(QObject* parent) : QObject(parent), d(std::make_unique<Impl>())
{
    d->q = this;
}

Pop3Check::~Pop3Check()
{
    d->drop();
}

void Pop3Check::CheckEmail(const QString& server, const QString& user, const QString& pass)
{
    d->drop();
    d->busy = true;
    d->user = user;
    d->pass = pass;
    const auto target = parseMailServer(server);
    if (!target)
        return;
    d->socket = new QSslSocket(this);
    QSslSocket* socket = d->socket;
    QSslConfiguration config = socket->sslConfiguration();
    if (const auto authorities = trustedAuthorities())
        config.setCaCertificates(*authorities);
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    socket->setSslConfiguration(config);
    socket->setPeerVerifyName(target->host);
    connect(socket, &QSslSocket::readyRead, this, [this] { d->readAvailable(); });
    connect(socket, &QSslSocket::encrypted, this, [this] { d->encrypted(); });
    connect(socket, &QSslSocket::sslErrors, this,
            [this](const QList<QSslError>& errors) { d->sslErrors(errors); });
    connect(socket, &QSslSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError error) { d->socketError(error); });
    d->step = Impl::Step::Greeting;
    d->tls = target->implicitTls;
    if (target->implicitTls)
        socket->connectToHostEncrypted(target->host, target->port);
    else
        socket->connectToHost(target->host, target->port);
}

void Pop3Check::abort()
{
    d->drop();
}

bool Pop3Check::busy() const
{
    return d->busy;
}

bool Pop3Check::sendRaw(const QString& line)
{
    if (!d->socket || d->socket->state() != QAbstractSocket::ConnectedState)
        return false;
    d->send(line);
    return true;
}

QString Pop3Check::state() const
{
    switch (d->step) {
    case Impl::Step::User:
        return QStringLiteral("USER");
    case Impl::Step::Pass:
        return QStringLiteral("PASS");
    case Impl::Step::Stat:
        return QStringLiteral("STAT");
    case Impl::Step::Quit:
        return QStringLiteral("QUIT");
    default:
        return QString();
    }
}

} // namespace zuv::mailcheck
