// Contact lists (user_add.php, user_del.php), user search and listening reports.
#include <QDate>
#include <gtest/gtest.h>
#include <server/core/database.h>
#include <server/core/members.h>
#include <support/qtprint.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuvtest;

namespace {

class ZuvdContactsTest : public zuvtest::StorageTest
{};
class ZuvdSearchTest : public zuvtest::StorageTest
{};

TEST_P(ZuvdContactsTest, AddAndRemoveAnswerTheLinesTheMessengerReads)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    ASSERT_EQ(registerMember(server, u"Karel"_s, u"k"_s), 100003);
    const std::pair<std::string, QByteArray> cases[] = {
        {"/zuv/user_add.php?id=100001&h=demo&user=100003", "nick// Karel\r\n"},
        {"/zuv/user_add.php?id=100001&h=demo&user=100003", "exist//\r\n"},
        {"/zuv/user_add.php?id=100001&h=demo&user=100002", "exist//\r\n"},
        {"/zuv/user_add.php?id=100001&h=demo&user=100001", "noadd//\r\n"},
        {"/zuv/user_add.php?id=100001&h=demo&user=100099", "noadd//\r\n"},
        {"/zuv/user_add.php?id=100001&h=demo&user=Karel", "noadd//\r\n"},
        {"/zuv/user_add.php?id=100001&h=bad&user=100003", "noadd//\r\n"},
        {"/zuv/user_del.php?id=100001&h=bad&user=100003", "noadd//\r\n"},
        {"/zuv/user_del.php?id=100001&h=demo&user=100003", "nick// Karel\r\n"},
        {"/zuv/user_del.php?id=100001&h=demo&user=100003", "noadd//\r\n"},
        {"/zuv/user_del.php?id=100001&h=demo&user=100099", "noadd//\r\n"},
        {"/zuv/user_add.php?id=100001&h=demo&user=100003", "nick// Karel\r\n"},
    };
    for (const auto& [target, body] : cases) {
        const Answer answer = server.get(target);
        EXPECT_EQ(answer.status, 200) << target;
        EXPECT_EQ(answer.body, body) << target;
    }
    const QStringList lines =
        replyLines(server.get(refreshTarget("all.php", "100001", "demo")).body);
    EXPECT_TRUE(lines.contains(u">Zuv>offline/@/Karel/@/100003/@//@/off/@/"_s));
    // The list is the owner's own: Karel's stays empty.
    for (const QString& line : replyLines(server.get(refreshTarget("all.php", "100003", "k")).body))
        EXPECT_FALSE(line.startsWith(u">Zuv>"_s)) << line.toStdString();

    for (const char* script : {"user_add", "user_del"}) {
        EXPECT_EQ(server.get(std::string("/zuv/") + script + ".php?id=100001&h=demo").status, 400);
        EXPECT_EQ(server.get(std::string("/zuv/") + script + ".php?user=100003").status, 400);
    }
}

TEST_P(ZuvdContactsTest, CzechNicknameInTheAddReply)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    ASSERT_EQ(registerMember(server, u"Čestmír"_s, u"c"_s), 100003);
    EXPECT_EQ(server.get("/zuv/user_add.php?id=100001&h=demo&user=100003").body,
              QByteArray("nick// \xC8"
                         "estm\xEDr\r\n"));
}

TEST_P(ZuvdSearchTest, FindsByFieldsStateAndStation)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const QDate born(1995, 11, 2);
    const QDate today = QDate::currentDate();
    const int age =
        today.year() - born.year() - (born.addYears(today.year() - born.year()) > today);
    const std::string search = "/zuv/search.php?idh=100001&h=demo&id=&agefrom=&ageto=&line=&"
                               "radiostav=&jmeno=&prijmeni=&zm=&poznamky=&mesto=";
    EXPECT_EQ(replyLines(server.get(search + "&nick=EVA&radio=").body),
              QStringList({u"num//1"_s, u"svs//"_s,
                           u"add//100002/@/off/@/Eva/@/Eva/@/Nováková/@/%1/@/ne/@/offline/@/"
                           u"/@/Žena/@//@/Brno"_s.arg(age)}));

    // Eva on line with her radio on a station she reported.
    server.get(refreshTarget("all_msg.php", "100002", "eva", ":))", "on"));
    EXPECT_EQ(server.get("/zuv/sv_all.php?idh=100002&h=eva&zuvw=on&sv=on&stanice=abc123").status,
              200);
    const std::string listeners = "/zuv/search.php?idh=100001&h=demo&id=&agefrom=&ageto=&nick=&"
                                  "line=online&radiostav=on&radio=abc123&jmeno=&prijmeni=&zm=&"
                                  "poznamky=&mesto=";
    EXPECT_EQ(replyLines(server.get(listeners).body),
              QStringList({u"num//1"_s, u"svs//abc123"_s,
                           u"add//100002/@/:))/@/Eva/@/Eva/@/Nováková/@/%1/@/ano/@/online/@/abc123"
                           u"/@/Žena/@//@/Brno"_s.arg(age)}));

    const std::pair<std::string, QString> counts[] = {
        {search + "&nick=&radio=", u"num//3"_s},
        {"/zuv/search.php?idh=100001&h=demo&line=online", u"num//2"_s}, // the robot and Eva
        {"/zuv/search.php?idh=100001&h=demo&zm=z", u"num//1"_s},
        {"/zuv/search.php?idh=100001&h=demo&mesto=" + enc(u"brno"_s), u"num//1"_s},
        {"/zuv/search.php?idh=100001&h=demo&prijmeni=" + enc(u"nováková"_s), u"num//1"_s},
        {"/zuv/search.php?idh=100001&h=demo&agefrom=0&ageto=100", u"num//2"_s},
        {"/zuv/search.php?idh=100001&h=demo&agefrom=200&ageto=300", u"num//0"_s},
        {"/zuv/search.php?idh=100001&h=demo&id=100000", u"num//1"_s},
        {"/zuv/search.php?idh=100001&h=demo&radio=other1", u"num//0"_s},
        {"/zuv/search.php?idh=100001&h=bad&nick=Eva", u"num//0"_s},
    };
    for (const auto& [target, first] : counts)
        EXPECT_EQ(replyLines(server.get(target).body).value(0), first) << target;
    EXPECT_EQ(server.get("/zuv/search.php?nick=Eva").status, 400);
}

TEST_P(ZuvdSearchTest, LongResultsComeInPages)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    {
        zuv::server::Database db(server.database());
        auto session = db.session();
        for (int i = 1; i <= 25; ++i) {
            zuv::server::Members::create(
                session.sql(), {u"člen%1"_s.arg(i, 2, 10, QChar(u'0')), {}, {}, {}, {}, {}, {}},
                u"x"_s);
        }
    }
    const QStringList first =
        replyLines(server.get("/zuv/search.php?idh=100001&h=demo&nick=" + enc(u"ČLEN"_s)).body);
    ASSERT_EQ(first.size(), 23);
    EXPECT_EQ(first[0], u"num//25"_s);
    EXPECT_EQ(first.filter(u"add//"_s).size(), 20);
    ASSERT_TRUE(first.last().startsWith(u"next//search.php?"_s));

    // The messenger asks for "/zuv/" + the text after "next//".
    const QString next = first.last().mid(6);
    const QStringList second = replyLines(server.get("/zuv/" + next.toStdString()).body);
    EXPECT_EQ(second.value(0), u"num//25"_s);
    const QStringList rest = second.filter(u"add//"_s);
    ASSERT_EQ(rest.size(), 5);
    EXPECT_TRUE(rest.last().contains(u"/@/člen25/@/"_s));
    EXPECT_FALSE(second.last().startsWith(u"next//"_s));
}

TEST_P(ZuvdSearchTest, ListeningReportNeedsTheRightPassword)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    EXPECT_EQ(server.get("/zuv/sv_all.php?idh=100002&h=bad&sv=on&stanice=abc123").body,
              QByteArray("er:pass57302918zuv\r\n"));
    EXPECT_EQ(server.get("/zuv/sv_all.php?sv=on").status, 400);
    const Answer ok = server.get("/zuv/sv_all.php?idh=100002&h=eva&zuvw=off&sv=on&stanice=x");
    EXPECT_EQ(ok.status, 200);
    EXPECT_TRUE(ok.body.isEmpty());
}

TEST_P(ZuvdSearchTest, AListeningReportTellsOfMessagesWhenTheMessengerIsOff)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    for (const char* text : {"ahoj", "jsi tam?"})
        ASSERT_EQ(server
                      .get(std::string("/zuv/message_add.php?id=100001&h=demo&to=100002&ver=1"
                                       "&text=") +
                           enc(QString::fromUtf8(text)))
                      .status,
                  200);
    // The messenger keeps running with the session: it delivers them itself.
    EXPECT_TRUE(
        server.get("/zuv/sv_all.php?idh=100002&h=eva&zuvw=on&sv=on&stanice=r15").body.isEmpty());
    const QStringList told =
        replyLines(server.get("/zuv/sv_all.php?idh=100002&h=eva&zuvw=off&sv=on&stanice=r15").body);
    EXPECT_EQ(told, (QStringList{u"new:Na Zuv na vás čeká 2 nepřečtených zpráv (od 1 uživatelů)."_s,
                                 u"inf:Zprávy si přečtete v programu Zuv."_s}));
}

ZUV_STORAGE_SUITE(ZuvdContactsTest);
ZUV_STORAGE_SUITE(ZuvdSearchTest);

} // namespace
