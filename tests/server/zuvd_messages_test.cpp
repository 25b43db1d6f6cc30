// Sending with message_add.php and delivery by the refresh.
#include <QDateTime>
#include <QRegularExpression>
#include <atomic>
#include <core/loadrequest.h>
#include <gtest/gtest.h>
#include <map>
#include <server/core/database.h>
#include <server/core/members.h>
#include <support/qtprint.h>
#include <support/zuvdprocess.h>
#include <thread>

using namespace Qt::StringLiterals;
using namespace zuvtest;

namespace {

std::string sendTarget(const std::string& id, const std::string& password, const std::string& to,
                       const QString& text)
{
    // Sent as the downloader sends it: "=" and the like go as they are.
    const std::string head =
        "/zuv/message_add.php?id=" + id + "&h=" + password + "&to=" + to + "&ver=1&text=";
    return zuv::load::wireUrl(QString::fromStdString(head) + text).toStdString();
}

QStringList messages(const QStringList& lines)
{
    QStringList out;
    for (const QString& line : lines) {
        if (line.startsWith(u">MsG>"_s))
            out.append(line);
    }
    return out;
}

QStringList fetch(const Zuvd& server, const std::string& script, const std::string& id,
                  const std::string& password)
{
    return messages(replyLines(server.get(refreshTarget(script, id, password)).body));
}

class ZuvdMessagesTest : public zuvtest::StorageTest
{};

TEST_P(ZuvdMessagesTest, SentTextComesBackStoredAndArrivesExactlyOnce)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const QRegularExpression sentReply(u"^<text>(.*)</text><time>(.*)</time>$"_s);
    // Texts as the chat window sends them: already escaped, ending in a space.
    const QString texts[] = {
        u"Ahoj Dane, jak se máš? Příliš žluťoučký kůň "_s,
        u"a*.and b*./=/ c*.plus d*.u1 e*.u2 f*.l "_s,
        u"první řádek <br>druhý řádek "_s,
        u"pole/@/s oddělovačem/@/ "_s,
        u"'); DROP TABLE messages;-- "_s,
        u"100% <b>tučně</b> "_s,
        // A value runs to the end of its pair, whatever "=" it holds.
        u"a=b c "_s,
        u"Ahoj *./=/1 == x=y= "_s,
        u"Proč? Protože! ?a=b "_s,
        u"/@/=/@/ žluťoučký=kůň "_s,
    };
    for (const QString& text : texts) {
        const qint64 before = QDateTime::currentSecsSinceEpoch();
        const Answer sent = server.get(sendTarget("100002", "eva", "100001", text));
        ASSERT_EQ(sent.status, 200);
        const QStringList lines = replyLines(sent.body);
        ASSERT_EQ(lines.size(), 1) << text.toStdString();
        const auto match = sentReply.match(lines[0]);
        ASSERT_TRUE(match.hasMatch()) << lines[0].toStdString();
        EXPECT_EQ(match.captured(1), text);
        const QString time = match.captured(2);
        const QDateTime stamp = QDateTime::fromString(time, u"yyyy-MM-dd HH:mm:ss"_s);
        ASSERT_TRUE(stamp.isValid()) << time.toStdString();
        EXPECT_GE(stamp.toSecsSinceEpoch(), before);
        EXPECT_LE(stamp.toSecsSinceEpoch(), before + 5);

        const char* script = text.startsWith(u'a') ? "all.php" : "all_msg.php";
        EXPECT_EQ(fetch(server, script, "100001", "demo"),
                  QStringList({u">MsG>100002/@/Eva/@/"_s + time + u"/@/"_s + text}));
        EXPECT_TRUE(fetch(server, "all.php", "100001", "demo").isEmpty());
    }
    // Nothing reached the sender.
    EXPECT_TRUE(fetch(server, "all.php", "100002", "eva").isEmpty());
}

TEST_P(ZuvdMessagesTest, QueuedMessagesArriveInOrder)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    for (int i = 1; i <= 3; ++i)
        server.get(sendTarget("100002", "eva", "100001", u"zpráva %1 "_s.arg(i)));
    const QStringList got = fetch(server, "all_msg.php", "100001", "demo");
    ASSERT_EQ(got.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(got[i].endsWith(u"/@/zpráva %1 "_s.arg(i + 1))) << got[i].toStdString();
}

TEST_P(ZuvdMessagesTest, RobotAnswersEveryMessage)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const QStringList sent = replyLines(
        server.get(sendTarget("100001", "demo", "100000", u"Ahoj robote, jak se máš? "_s)).body);
    ASSERT_EQ(sent.size(), 1);
    const QString time = sent[0].section(u"<time>"_s, 1).section(u"</time>"_s, 0, 0);
    EXPECT_EQ(fetch(server, "all_msg.php", "100001", "demo"),
              QStringList({u">MsG>100000/@/Zuv robot/@/"_s + time +
                           u"/@/Ahoj demo, tady Zuv robot. Tvoje zpráva došla: Ahoj robote, jak "
                           u"se máš?"_s}));

    // The robot's own words are escaped like any message.
    const int ab = registerMember(server, u"A&B"_s, u"x"_s);
    ASSERT_GT(ab, 0);
    server.get(sendTarget(std::to_string(ab), "x", "100000", u"1*.plus1 "_s));
    const QStringList answer = fetch(server, "all_msg.php", std::to_string(ab), "x");
    ASSERT_EQ(answer.size(), 1);
    EXPECT_TRUE(
        answer[0].endsWith(u"/@/Ahoj A*.andB, tady Zuv robot. Tvoje zpráva došla: 1*.plus1"_s))
        << answer[0].toStdString();
}

TEST_P(ZuvdMessagesTest, RefusedSends)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const int stop = registerMember(server, u"Stop"_s, u"s"_s);
    ASSERT_EQ(stop, 100003);
    {
        zuv::server::Database db(server.database());
        auto session = db.session();
        zuv::server::Members::setSuspended(session.sql(), stop, true);
    }
    const std::tuple<std::string, int, QByteArray> cases[] = {
        {sendTarget("100003", "s", "100001", u"x "_s), 200, "er:stopuserzuv\r\n"},
        {sendTarget("100002", "eva", "100003", u"x "_s), 200, "er:nouser\r\n"},
        {sendTarget("100002", "wrong", "100001", u"x "_s), 200, "er:pass57302918zuv\r\n"},
        {sendTarget("100002", "eva", "100099", u"x "_s), 200, "er:nouser\r\n"},
        {sendTarget("100002", "eva", "Eva", u"x "_s), 200, "er:nouser\r\n"},
        {sendTarget("100002", "eva", "100001", u""_s), 400, "er:badrequest\r\n"},
        {"/zuv/message_add.php?id=100002&h=eva&to=100001&ver=1", 400, "er:badrequest\r\n"},
        {"/zuv/message_add.php?id=100002&h=eva&text=x", 400, "er:badrequest\r\n"},
    };
    for (const auto& [target, status, body] : cases) {
        const Answer answer = server.get(target);
        EXPECT_EQ(answer.status, status) << target;
        EXPECT_EQ(answer.body, body) << target;
    }
    EXPECT_TRUE(fetch(server, "all.php", "100001", "demo").isEmpty());
}

TEST_P(ZuvdMessagesTest, ConcurrentSendersAndRefreshesDeliverEachMessageOnce)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    constexpr int kSenders = 4;
    constexpr int kEach = 25;
    std::atomic<bool> sending{true};
    std::vector<std::thread> senders;
    for (int s = 0; s < kSenders; ++s) {
        senders.emplace_back([&server, s] {
            for (int i = 0; i < kEach; ++i)
                server.get(sendTarget("100002", "eva", "100001", u"m%1-%2 "_s.arg(s).arg(i)));
        });
    }
    std::map<QString, int> seen;
    std::thread receiver([&] {
        auto take = [&] {
            for (const QString& line : fetch(server, "all_msg.php", "100001", "demo"))
                ++seen[line.section(u"/@/"_s, 3)];
        };
        while (sending)
            take();
        take();
    });
    for (std::thread& t : senders)
        t.join();
    sending = false;
    receiver.join();
    ASSERT_EQ(seen.size(), std::size_t(kSenders * kEach));
    for (const auto& [text, count] : seen)
        EXPECT_EQ(count, 1) << text.toStdString();
}

ZUV_STORAGE_SUITE(ZuvdMessagesTest);

} // namespace
