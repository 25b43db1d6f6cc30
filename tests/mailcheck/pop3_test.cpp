// The POP3 visit on a real socket: against a scripted server in the test for
// the dialogue's timing and bad replies, and against a real dovecot for
// plain POP3, STLS, POP3 over TLS and certificates.
#include <QHostAddress>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <core/pop3.h>
#include <functional>
#include <gtest/gtest.h>
#include <support/dovecotprocess.h>
#include <support/processes.h>
#include <support/tempsuite.h>

using namespace zuv::mailcheck;
using zuvtest::waitFor;

namespace {

// A POP3 peer whose every answer the test writes: it greets (unless told
// not to), records each command line and answers it through `reply`.
class ScriptedServer : public QObject
{
public:
    explicit ScriptedServer(QByteArray greeting = "+OK ready\r\n") : m_greeting(greeting)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            m_client = m_server.nextPendingConnection();
            connect(m_client, &QTcpSocket::readyRead, this, [this] { readCommands(); });
            connect(m_client, &QTcpSocket::disconnected, this, [this] { m_closed = true; });
            send(m_greeting);
        });
    }

    QString address() const { return QStringLiteral("127.0.0.1:%1").arg(m_server.serverPort()); }
    bool connected() const { return m_client != nullptr; }
    bool closed() const { return m_closed; }
    void closeClient()
    {
        if (m_client)
            m_client->disconnectFromHost();
    }
    const QStringList& commands() const { return m_commands; }
    void send(const QByteArray& bytes)
    {
        if (m_client && !bytes.isEmpty()) {
            m_client->write(bytes);
            m_client->flush();
        }
    }

    // The answer to a command line; empty bytes answer nothing.
    std::function<QByteArray(const QString& command)> reply;

private:
    void readCommands()
    {
        m_buffer += m_client->readAll();
        qsizetype end;
        while ((end = m_buffer.indexOf("\r\n")) >= 0) {
            const QString command = QString::fromLatin1(m_buffer.left(end));
            m_buffer.remove(0, end + 2);
            m_commands << command;
            if (reply)
                send(reply(command));
        }
    }

    QTcpServer m_server;
    QTcpSocket* m_client = nullptr;
    QByteArray m_greeting;
    QByteArray m_buffer;
    QStringList m_commands;
    bool m_closed = false;
};

// A server without CAPA that accepts anyone and has 7 messages.
QByteArray plainServer(const QString& command)
{
    if (command == u"CAPA")
        return "-ERR unknown command\r\n";
    if (command == u"STAT")
        return "+OK 7 51200\r\n";
    return "+OK\r\n";
}

// What a visit told its caller.
struct Seen
{
    explicit Seen(Pop3Check& check)
    {
        QObject::connect(&check, &Pop3Check::received, [this](const QString& t) { received << t; });
        QObject::connect(&check, &Pop3Check::problem, [this](const QString& t) { problems << t; });
        QObject::connect(&check, &Pop3Check::statReceived,
                         [this](const StatResult& r) { stats.append(r); });
        QObject::connect(&check, &Pop3Check::skipped, [this] { ++skipped; });
    }
    QStringList received;
    QStringList problems;
    QList<StatResult> stats;
    int skipped = 0;
};

// Lets events run for a while, for what must not happen.
void settle(int ms)
{
    waitFor([] { return false; }, ms);
}

const QStringList kDialogue = {QStringLiteral("CAPA"), QStringLiteral("USER jan"),
                               QStringLiteral("PASS tajne"), QStringLiteral("STAT"),
                               QStringLiteral("QUIT")};

} // namespace

TEST(Pop3ScriptedTest, FullDialogueGivesCountAndSize)
{
    ScriptedServer server;
    server.reply = plainServer;
    Pop3Check check;
    Seen seen(check);
    check.CheckEmail(server.address(), QStringLiteral("jan"), QStringLiteral("tajne"));
    EXPECT_TRUE(check.busy());
    ASSERT_TRUE(waitFor([&] { return !seen.stats.isEmpty(); }));
    EXPECT_EQ(seen.stats[0].count, "7");
    EXPECT_EQ(seen.stats[0].size, "50 KB");
    EXPECT_EQ(check.state(), "QUIT");
    EXPECT_FALSE(check.busy());
    ASSERT_TRUE(waitFor([&] { return seen.received.size() == 6; }));
    EXPECT_EQ(server.commands(), kDialogue);
    EXPECT_EQ(seen.received.first(), "+OK ready");
    EXPECT_EQ(seen.received.last(), "+OK"); // the QUIT reply, shown and ignored
    EXPECT_EQ(seen.stats.size(), 1);
    EXPECT_EQ(seen.skipped, 0);
}

TEST(Pop3ScriptedTest, ReplyInPiecesWaitsForItsLineEnd)
{
    ScriptedServer server("+OK re");
    server.reply = plainServer;
    Pop3Check check;
    Seen seen(check);
    check.CheckEmail(server.address(), QStringLiteral("jan"), QStringLiteral("tajne"));
    ASSERT_TRUE(waitFor([&] { return server.connected(); }));
    settle(100);
    EXPECT_TRUE(server.commands().isEmpty());
    EXPECT_TRUE(seen.received.isEmpty());
    server.send("ady");
    settle(50);
    server.send("\r");
    settle(50);
    EXPECT_TRUE(server.commands().isEmpty());
    server.send("\n");
    ASSERT_TRUE(waitFor([&] { return !seen.stats.isEmpty(); }));
    EXPECT_EQ(seen.received.first(), "+OK ready");
    EXPECT_EQ(server.commands().first(), "CAPA");
}

TEST(Pop3ScriptedTest, RepliesInOnePieceAreAnsweredInTurn)
{
    // The greeting, the capability list and the USER reply come at once.
    ScriptedServer server("+OK hi\r\n+OK list follows\r\nUSER\r\n.\r\n+OK\r\n");
    server.reply = [](const QString& command) -> QByteArray {
        if (command == u"PASS tajne")
            return "+OK\r\n+OK 3 1500\r\n"; // and the STAT reply with it
        return {};
    };
    Pop3Check check;
    Seen seen(check);
    check.CheckEmail(server.address(), QStringLiteral("jan"), QStringLiteral("tajne"));
    ASSERT_TRUE(waitFor([&] { return !seen.stats.isEmpty(); }));
    EXPECT_EQ(seen.stats[0].count, "3");
    EXPECT_EQ(seen.stats[0].size, "1 KB");
    ASSERT_TRUE(waitFor([&] { return server.commands().size() == 5; }));
    EXPECT_EQ(server.commands(), kDialogue);
}

TEST(Pop3ScriptedTest, RepliesThatAreNotOkGetNoAnswerAndNoSignal)
{
    struct Case
    {
        const char* name;
        QByteArray greeting;
        const char* refused; // the command answered with "-ERR"
        QStringList sent;
    };
    const Case cases[] = {
        {"silence", QByteArray(), "", {}},
        {"garbage greeting", "\x01\xff garbage \x7f\r\n", "", {}},
        {"error greeting", "-ERR go away\r\n", "", {}},
        {"wrong user", "+OK\r\n", "USER jan", {"CAPA", "USER jan"}},
        {"wrong password", "+OK\r\n", "PASS tajne", {"CAPA", "USER jan", "PASS tajne"}},
        {"no stat", "+OK\r\n", "STAT", {"CAPA", "USER jan", "PASS tajne", "STAT"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server(c.greeting);
        const QString refused = QString::fromLatin1(c.refused);
        server.reply = [refused](const QString& command) -> QByteArray {
            return command == refused ? "-ERR no\r\n" : plainServer(command);
        };
        Pop3Check check;
        Seen seen(check);
        check.CheckEmail(server.address(), QStringLiteral("jan"), QStringLiteral("tajne"));
        ASSERT_TRUE(waitFor([&] { return server.connected(); }));
        settle(300);
        EXPECT_EQ(server.commands(), c.sent);
        EXPECT_TRUE(seen.stats.isEmpty());
        EXPECT_EQ(seen.skipped, 0);
        EXPECT_TRUE(check.busy());
        // The caller's time-out ends the visit.
        check.abort();
        EXPECT_FALSE(check.busy());
        EXPECT_EQ(check.state(), "");
        ASSERT_TRUE(waitFor([&] { return server.closed(); }));
    }
}

TEST(Pop3ScriptedTest, StatWithoutNumbersStillEndsTheVisit)
{
    ScriptedServer server;
    server.reply = [](const QString& command) -> QByteArray {
        return command == u"STAT" ? "+OK mailbox ready\r\n" : plainServer(command);
    };
    Pop3Check check;
    Seen seen(check);
    check.CheckEmail(server.address(), QStringLiteral("jan"), QStringLiteral("tajne"));
    ASSERT_TRUE(waitFor([&] { return !seen.stats.isEmpty(); }));
    EXPECT_EQ(seen.stats[0].count, "mailbox");
    EXPECT_EQ(seen.stats[0].size, "0 KB");
    ASSERT_TRUE(waitFor([&] { return server.commands().size() == 5; }));
}

TEST(Pop3ScriptedTest, LineWithoutEndOverTheBoundIsSkipped)
{
    ScriptedServer server(QByteArray(1024 * 1024, 'x'));
    Pop3Check check;
    Seen seen(check);
    check.CheckEmail(server.address(), QStringLiteral("jan"), QStringLiteral("tajne"));
    ASSERT_TRUE(waitFor([&] { return seen.skipped == 1; }));
    EXPECT_EQ(seen.problems.size(), 1);
    EXPECT_FALSE(check.busy());
    ASSERT_TRUE(waitFor([&] { return server.closed(); }));
    EXPECT_TRUE(server.commands().isEmpty());
    EXPECT_TRUE(seen.received.isEmpty());
}

TEST(Pop3ScriptedTest, FailedStlsUpgradeNeverSendsThePassword)
{
    struct Case
    {
        const char* name;
        QByteArray stlsReply;
        QByteArray thenPlain; // sent in place of the TLS handshake
        bool thenClose;
    };
    const Case cases[] = {
        {"refused", "-ERR not now\r\n", {}, false},
        // Plain text right behind the "+OK" must not count as a reply.
        {"plain text instead of TLS", "+OK begin\r\n+OK\r\n", "+OK not TLS at all\r\n", false},
        {"closed instead of TLS", "+OK begin\r\n", {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedServer server;
        server.reply = [&server, &c](const QString& command) -> QByteArray {
            if (command == u"CAPA")
                return "+OK\r\nUSER\r\nSTLS\r\n.\r\n";
            if (command != u"STLS")
                return "+OK\r\n";
            QTimer::singleShot(50, &server, [&server, &c] {
                server.send(c.thenPlain);
                if (c.thenClose)
                    server.closeClient();
            });
            return c.stlsReply;
        };
        Pop3Check check;
        Seen seen(check);
        check.CheckEmail(server.address(), QStringLiteral("jan"), QStringLiteral("tajne"));
        ASSERT_TRUE(waitFor([&] { return seen.skipped == 1; }));
        EXPECT_EQ(seen.problems.size(), 1);
        settle(100);
        EXPECT_EQ(server.commands(), (QStringList{QStringLiteral("CAPA"), QStringLiteral("STLS")}));
        EXPECT_TRUE(seen.stats.isEmpty());
        EXPECT_FALSE(check.busy());
    }
}

TEST(Pop3ScriptedTest, UnreachableServersGiveNoSignal)
{
    QTcpServer closedPort;
    closedPort.listen(QHostAddress::LocalHost, 0);
    const QString refused = QStringLiteral("127.0.0.1:%1").arg(closedPort.serverPort());
    closedPort.close();
    for (const QString& field : {refused, QStringLiteral("no-such-host.invalid"),
                                 QStringLiteral("host:99999"), QString()}) {
        SCOPED_TRACE(field.toStdString());
        Pop3Check check;
        Seen seen(check);
        check.CheckEmail(field, QStringLiteral("jan"), QStringLiteral("tajne"));
        settle(500);
        EXPECT_TRUE(seen.stats.isEmpty());
        EXPECT_EQ(seen.skipped, 0);
        EXPECT_TRUE(check.busy());
        EXPECT_FALSE(check.sendRaw(QStringLiteral("NOOP")));
    }
}

TEST(Pop3ScriptedTest, NextVisitStartsFromTheResultAndRawLinesGoOut)
{
    ScriptedServer first;
    first.reply = plainServer;
    ScriptedServer second;
    second.reply = [](const QString& command) -> QByteArray {
        return command == u"STAT" ? "+OK 2 2048\r\n" : plainServer(command);
    };
    Pop3Check check;
    Seen seen(check);
    // The window starts the next account's visit from the result itself.
    QObject::connect(&check, &Pop3Check::statReceived, [&](const StatResult&) {
        if (seen.stats.size() == 1)
            check.CheckEmail(second.address(), QStringLiteral("eva"), QStringLiteral("heslo"));
    });
    check.CheckEmail(first.address(), QStringLiteral("jan"), QStringLiteral("tajne"));
    ASSERT_TRUE(waitFor([&] { return seen.stats.size() == 2; }));
    EXPECT_EQ(seen.stats[1].count, "2");
    EXPECT_EQ(seen.stats[1].size, "2 KB");
    EXPECT_TRUE(second.commands().contains(QStringLiteral("USER eva")));
    EXPECT_EQ(check.state(), "QUIT");

    EXPECT_TRUE(check.sendRaw(QStringLiteral("NOOP")));
    ASSERT_TRUE(waitFor([&] { return second.commands().contains(QStringLiteral("NOOP")); }));
}

// Against dovecot. The server's certificate is signed by a CA of the test,
// trusted through ZUV_MAIL_CA.
class Pop3DovecotTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!zuvtest::DovecotProcess::available())
            GTEST_SKIP() << "dovecot or openssl is not installed (scripts/install-deps)";
        if (!QSslSocket::supportsSsl())
            GTEST_SKIP() << "Qt has no TLS backend";
    }

    static QList<zuvtest::DovecotProcess::Mailbox> mailboxes()
    {
        return {{QStringLiteral("jan"), QStringLiteral("tajne"), 7, 7314},
                {QStringLiteral("eva"), QStringLiteral("heslo"), 0, 0}};
    }

    // One visit; the result, or nothing after `timeoutMs`.
    static std::optional<StatResult> visit(Pop3Check& check, Seen& seen, const QString& server,
                                           const QString& user, const QString& pass,
                                           int timeoutMs = 5000)
    {
        check.CheckEmail(server, user, pass);
        if (!waitFor([&] { return !seen.stats.isEmpty() || seen.skipped > 0; }, timeoutMs))
            return std::nullopt;
        if (seen.stats.isEmpty())
            return std::nullopt;
        return seen.stats.takeFirst();
    }

    zuvtest::TempSuite m_suite;
};

TEST_F(Pop3DovecotTest, PlainStlsAndTlsGiveCountsAndSizes)
{
    zuvtest::DovecotProcess plain(mailboxes(), zuvtest::DovecotProcess::Tls::Off);
    ASSERT_TRUE(plain.started()) << plain.log().toStdString();
    zuvtest::DovecotProcess secure(mailboxes());
    ASSERT_TRUE(secure.started()) << secure.log().toStdString();
    m_suite.setEnv("ZUV_MAIL_CA", QFile::encodeName(secure.caPath()));

    const qint64 bytes = secure.mailboxBytes(QStringLiteral("jan"));
    ASSERT_EQ(bytes, 7 * 7314);
    const QString size = QStringLiteral("%1 KB").arg(qRound(double(bytes) / 1024));
    struct Case
    {
        QString server;
        bool stls;
    };
    const Case cases[] = {
        {QStringLiteral("127.0.0.1:%1").arg(plain.pop3Port()), false},
        {QStringLiteral("localhost:%1").arg(secure.pop3Port()), true},
        {QStringLiteral("pop3s://127.0.0.1:%1").arg(secure.pop3sPort()), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.server.toStdString());
        Pop3Check check;
        Seen seen(check);
        const auto jan =
            visit(check, seen, c.server, QStringLiteral("jan"), QStringLiteral("tajne"));
        ASSERT_TRUE(jan) << seen.problems.join(u'\n') << secure.log();
        EXPECT_EQ(jan->count, "7");
        EXPECT_EQ(jan->size, size);
        const auto eva =
            visit(check, seen, c.server, QStringLiteral("eva"), QStringLiteral("heslo"));
        ASSERT_TRUE(eva);
        EXPECT_EQ(eva->count, "0");
        EXPECT_EQ(eva->size, "0 KB");
        EXPECT_EQ(seen.skipped, 0);
        // STLS shows in the capabilities only where the upgrade is offered.
        EXPECT_EQ(seen.received.contains(QStringLiteral("STLS"), Qt::CaseInsensitive), c.stls);
    }
}

TEST_F(Pop3DovecotTest, WrongPasswordGivesNoSignal)
{
    zuvtest::DovecotProcess dovecot(mailboxes());
    ASSERT_TRUE(dovecot.started()) << dovecot.log().toStdString();
    m_suite.setEnv("ZUV_MAIL_CA", QFile::encodeName(dovecot.caPath()));
    Pop3Check check;
    Seen seen(check);
    EXPECT_FALSE(visit(check, seen, QStringLiteral("127.0.0.1:%1").arg(dovecot.pop3Port()),
                       QStringLiteral("jan"), QStringLiteral("wrong"), 3500));
    EXPECT_EQ(seen.skipped, 0);
    EXPECT_EQ(check.state(), "PASS");
    EXPECT_TRUE(seen.received.last().startsWith(QStringLiteral("-ERR")));
}

TEST_F(Pop3DovecotTest, CertificateThatDoesNotVerifyIsRefused)
{
    zuvtest::DovecotProcess dovecot(mailboxes());
    ASSERT_TRUE(dovecot.started()) << dovecot.log().toStdString();
    const QString servers[] = {QStringLiteral("127.0.0.1:%1").arg(dovecot.pop3Port()),
                               QStringLiteral("pop3s://127.0.0.1:%1").arg(dovecot.pop3sPort())};
    // Without the test's CA, and with a CA that did not sign the certificate.
    for (const QByteArray& ca : {QByteArray(), QFile::encodeName(dovecot.otherCaPath())}) {
        m_suite.setEnv("ZUV_MAIL_CA", ca);
        for (const QString& server : servers) {
            SCOPED_TRACE((server + u' ' + QString::fromLocal8Bit(ca)).toStdString());
            Pop3Check check;
            Seen seen(check);
            EXPECT_FALSE(
                visit(check, seen, server, QStringLiteral("jan"), QStringLiteral("tajne")));
            EXPECT_EQ(seen.skipped, 1);
            ASSERT_EQ(seen.problems.size(), 1);
            EXPECT_TRUE(
                seen.problems[0].contains(QStringLiteral("certificate"), Qt::CaseInsensitive))
                << seen.problems[0];
            EXPECT_FALSE(check.busy());
            for (const QString& line : seen.received)
                EXPECT_FALSE(line.startsWith(QStringLiteral("+OK Logged in"))) << line;
        }
    }
}
