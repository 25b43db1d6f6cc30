#include <QDateTime>
#include <gtest/gtest.h>
#include <server/core/httpfront.h>
#include <server/core/messagetext.h>
#include <server/core/replies.h>
#include <server/core/robot.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv::server;

namespace {

Member eva()
{
    Member m;
    m.number = 100002;
    m.profile.nickname = u"Eva"_s;
    m.profile.birthDate = u"1995-11-02"_s;
    m.mood = u":))"_s;
    return m;
}

TEST(ServerRecordsTest, ContactRecordCarriesStateAgeAndMood)
{
    const QDate today(2024, 11, 1); // a day before her 29th birthday
    EXPECT_EQ(contactRecord(eva(), true, today), u">Zuv>online/@/Eva/@/100002/@/28/@/:))/@/"_s);
    EXPECT_EQ(contactRecord(eva(), false, today.addDays(1)),
              u">Zuv>offline/@/Eva/@/100002/@/29/@/off/@/"_s);
    Member noBirthDate = eva();
    noBirthDate.profile.birthDate.clear();
    EXPECT_EQ(contactRecord(noBirthDate, true, today), u">Zuv>online/@/Eva/@/100002/@//@/:))/@/"_s);
}

TEST(ServerRecordsTest, MessageAndSentRecordsShareTheStoredTextAndTime)
{
    const qint64 sent = QDateTime(QDate(2024, 3, 9), QTime(7, 5, 3)).toMSecsSinceEpoch();
    Message m;
    m.sender = 100002;
    m.senderNick = u"Eva"_s;
    m.sent = sent;
    m.text = u"a/@/b *.and č "_s;
    EXPECT_EQ(messageRecord(m), u">MsG>100002/@/Eva/@/2024-03-09 07:05:03/@/a/@/b *.and č "_s);
    EXPECT_EQ(sentRecord(m), u"<text>a/@/b *.and č </text><time>2024-03-09 07:05:03</time>"_s);
    EXPECT_EQ(contactChangedRecord(u"Eva"_s), u"nick// Eva"_s);
}

TEST(ServerRecordsTest, RepliesAreWindows1250WithCrLf)
{
    const Reply text = Reply::lines({u"mynick:Šárka"_s, u"inbox:0"_s});
    EXPECT_EQ(text.body, QByteArray("mynick:\x8A\xE1rka\r\ninbox:0\r\n"));
    EXPECT_EQ(text.contentType, QByteArray("text/plain; charset=windows-1250"));

    const Reply page = Reply::html(u"<p>č</p>\n<p>\r\nx</p>\n"_s);
    EXPECT_EQ(page.body, QByteArray("<p>\xE8</p>\r\n<p>\r\nx</p>\r\n"));
    EXPECT_EQ(page.contentType, QByteArray("text/html; charset=windows-1250"));

    EXPECT_TRUE(Reply::lines({}).body.isEmpty());
    EXPECT_EQ(Reply::badRequest().status, 400);
}

TEST(ServerMessageTextTest, EscapesAsTheChatWindowDoes)
{
    const std::pair<QString, QString> cases[] = {
        {u"a&b"_s, u"a*.andb"_s},
        {u"#1+1"_s, u"*./=/1*.plus1"_s},
        {u"\"q\" 'a'"_s, u"*.u1q*.u1 *.u2a*.u2"_s},
        {u"c:\\x"_s, u"c:*.lx"_s},
        {u"one\r\ntwo"_s, u"one <br>two"_s},
        {u"čeština / @"_s, u"čeština / @"_s},
    };
    for (const auto& [plain, escaped] : cases) {
        EXPECT_EQ(MessageText::escape(plain), escaped) << plain.toStdString();
        EXPECT_EQ(MessageText::unescape(escaped), QString(plain).replace(u"\r\n"_s, u"\n"_s));
    }
}

TEST(ServerRobotTest, AnswerEchoesTheEscapedTextAndEscapesTheNickname)
{
    EXPECT_EQ(robotAnswer(u"A&B"_s, u"x*.plus1 "_s),
              u"Ahoj A*.andB, tady Zuv robot. Tvoje zpráva došla: x*.plus1"_s);
}

TEST(ServerRequestBaseTest, HostHeaderWinsWhenPlain)
{
    EXPECT_EQ(requestBase("zuv.example:8080", "127.0.0.1", 5000), u"http://zuv.example:8080"_s);
    EXPECT_EQ(requestBase("", "127.0.0.1", 5000), u"http://127.0.0.1:5000"_s);
    EXPECT_EQ(requestBase("evil/x\"", "10.0.0.2", 80), u"http://10.0.0.2:80"_s);
    EXPECT_EQ(requestBase("", "::1", 81), u"http://[::1]:81"_s);
}

} // namespace
