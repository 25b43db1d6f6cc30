// The messenger's refresh: all.php and all_msg.php.
#include <QDate>
#include <QThread>
#include <gtest/gtest.h>
#include <server/core/database.h>
#include <server/core/members.h>
#include <support/qtprint.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuvtest;

namespace {

QString yearsSince(const QDate& born)
{
    const QDate today = QDate::currentDate();
    int years = today.year() - born.year();
    if (born.addYears(years) > today)
        --years;
    return QString::number(years);
}

QStringList refresh(const Zuvd& server, const std::string& script, const std::string& id,
                    const std::string& password, const std::string& mood = ":)")
{
    const Answer answer = server.get(refreshTarget(script, id, password, mood));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.contentType, QByteArray("text/plain; charset=windows-1250"));
    return replyLines(answer.body);
}

QString recordOf(const QStringList& lines, int number)
{
    for (const QString& line : lines) {
        if (line.startsWith(u">Zuv>"_s) && line.contains(u"/@/%1/@/"_s.arg(number)))
            return line;
    }
    return {};
}

class ZuvdRefreshTest : public zuvtest::StorageTest
{};

TEST_P(ZuvdRefreshTest, FullRefreshListsCountNickInboxAndContacts)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const int karel = registerMember(server, u"Karel"_s, u"k"_s);
    ASSERT_EQ(karel, 100003);
    ASSERT_EQ(server.get("/zuv/user_add.php?id=100001&h=demo&user=100003").body,
              QByteArray("nick// Karel\r\n"));
    refresh(server, "all_msg.php", "100002", "eva", ":))");

    const Answer answer = server.get(refreshTarget("all.php", "100001", "demo"));
    EXPECT_EQ(answer.body, crlf({u"online:3"_s, u"mynick:demo"_s, u"inbox:0"_s,
                                 u">Zuv>online/@/Eva/@/100002/@/"_s +
                                     yearsSince(QDate(1995, 11, 2)) + u"/@/:))/@/"_s,
                                 u">Zuv>online/@/Zuv robot/@/100000/@//@/:)/@/"_s,
                                 u">Zuv>offline/@/Karel/@/100003/@//@/off/@/"_s}));

    // A message-only refresh carries neither the inbox nor the contacts.
    EXPECT_EQ(refresh(server, "all_msg.php", "100001", "demo"),
              QStringList({u"online:3"_s, u"mynick:demo"_s}));
}

TEST_P(ZuvdRefreshTest, WrongCredentialsAndSuspendedAccounts)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    {
        zuv::server::Database db(server.database());
        auto session = db.session();
        zuv::server::Members::setSuspended(session.sql(), kEva, true);
    }
    const std::pair<std::string, QByteArray> cases[] = {
        {refreshTarget("all.php", "100001", "wrong"), "er:pass57302918zuv\r\n"},
        {refreshTarget("all_msg.php", "100001", "wrong"), "er:pass57302918zuv\r\n"},
        {refreshTarget("all.php", "100099", "demo"), "er:pass57302918zuv\r\n"},
        {refreshTarget("all.php", "demo", "demo"), "er:pass57302918zuv\r\n"},
        {refreshTarget("all.php", "100002", "eva"), "er:stopuserzuv\r\n"},
        {refreshTarget("all_msg.php", "100002", "eva"), "er:stopuserzuv\r\n"},
        {refreshTarget("all.php", "100002", "wrong"), "er:pass57302918zuv\r\n"},
    };
    for (const auto& [target, body] : cases) {
        const Answer answer = server.get(target);
        EXPECT_EQ(answer.status, 200) << target;
        EXPECT_EQ(answer.body, body) << target;
    }
    // A suspended contact is shown off line.
    EXPECT_TRUE(recordOf(refresh(server, "all.php", "100001", "demo"), kEva)
                    .startsWith(u">Zuv>offline/@/"_s));
}

TEST_P(ZuvdRefreshTest, OlderBuildIsToldOfTheNewVersion)
{
    Zuvd server({u"--build"_s, u"100020"_s});
    ASSERT_TRUE(server.started());
    const std::string all = refreshTarget("all.php", "100001", "demo");
    const std::pair<std::string, bool> cases[] = {
        {all + "&build=100018", true},
        {all + "&build=100020", false},
        {all + "&build=100021", false},
        {all, false},
        {refreshTarget("all_msg.php", "100001", "demo") + "&build=1", true},
    };
    for (const auto& [target, told] : cases) {
        const QStringList lines = replyLines(server.get(target).body);
        ASSERT_FALSE(lines.isEmpty()) << target;
        EXPECT_EQ(lines.first() == u"zuvnewversion"_s, told) << target;
        EXPECT_TRUE(lines.contains(u"mynick:demo"_s)) << target;
    }

    Zuvd never;
    ASSERT_TRUE(never.started());
    EXPECT_FALSE(replyLines(never.get(all + "&build=1").body).contains(u"zuvnewversion"_s));
}

TEST_P(ZuvdRefreshTest, StoresTheSentMood)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const std::pair<std::string, QString> cases[] = {
        {"(:)", u"(:)"_s}, {":))", u":))"_s}, {":|", u":|"_s},
        {":(", u":("_s},   {"??", u":)"_s},   {"", u":)"_s},
    };
    for (const auto& [sent, shown] : cases) {
        refresh(server, "all_msg.php", "100002", "eva", sent);
        EXPECT_EQ(recordOf(refresh(server, "all.php", "100001", "demo"), kEva),
                  u">Zuv>online/@/Eva/@/100002/@/"_s + yearsSince(QDate(1995, 11, 2)) + u"/@/"_s +
                      shown + u"/@/"_s)
            << sent;
    }
    // A refresh without "nalada" keeps the stored mood.
    server.get("/zuv/all_msg.php?id=100002&h=eva");
    EXPECT_TRUE(
        recordOf(refresh(server, "all.php", "100001", "demo"), kEva).endsWith(u"/@/:)/@/"_s));
}

TEST_P(ZuvdRefreshTest, ContactGoesOffLineAfterThreeActiveIntervalsOrWithMoodOff)
{
    // Three active intervals are 1.5 s here.
    Zuvd server({u"--intervals"_s, u"500/1000/100"_s});
    ASSERT_TRUE(server.started());
    EXPECT_TRUE(recordOf(refresh(server, "all.php", "100001", "demo"), kEva)
                    .startsWith(u">Zuv>offline/@/"_s));

    refresh(server, "all_msg.php", "100002", "eva", ":)");
    EXPECT_TRUE(recordOf(refresh(server, "all.php", "100001", "demo"), kEva)
                    .startsWith(u">Zuv>online/@/"_s));
    QThread::msleep(1700);
    const QStringList later = refresh(server, "all.php", "100001", "demo");
    EXPECT_TRUE(recordOf(later, kEva).startsWith(u">Zuv>offline/@/"_s));
    EXPECT_EQ(later.first(), u"online:2"_s); // demo and the robot

    refresh(server, "all_msg.php", "100002", "eva", "off");
    EXPECT_EQ(recordOf(refresh(server, "all.php", "100001", "demo"), kEva),
              u">Zuv>offline/@/Eva/@/100002/@/"_s + yearsSince(QDate(1995, 11, 2)) +
                  u"/@/off/@/"_s);
}

ZUV_STORAGE_SUITE(ZuvdRefreshTest);

} // namespace
