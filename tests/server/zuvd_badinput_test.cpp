// Requests the server must refuse without harm.
#include <gtest/gtest.h>
#include <httplib.h>
#include <support/qtprint.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuvtest;

namespace {

class ZuvdBadInputTest : public zuvtest::StorageTest
{};

TEST_P(ZuvdBadInputTest, RefusesMalformedRequestsAndKeepsServing)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const std::string send = "/zuv/message_add.php?id=100002&h=eva&to=100001&ver=1&text=";
    const std::pair<std::string, int> cases[] = {
        {"/zuv/all.php?id=100001", 400},
        {"/zuv/all.php?h=demo", 400},
        {"/zuv/all.php?id=100001&h=demo&build=abc", 400},
        {"/zuv/all.php?id=100001&h=demo&nalada=%0A", 400},
        {send + "a%00b", 400},
        {send + "one%0D%0Atwo", 400},
        {send + "a%81", 400},
        {send + "x&h%00=1", 400},
        {"/zuv/login.php?id=%01&h=x", 400},
        {"/zuv/whois%00.php?id=100001", 400},
        {"/zuv/nothing.php", 404},
        {"/", 404},
        {"/zuv/all.php/../../etc/passwd", 404},
    };
    for (const auto& [target, status] : cases) {
        const Answer answer = server.get(target);
        EXPECT_EQ(answer.status, status) << target;
        EXPECT_EQ(answer.body,
                  status == 400 ? QByteArray("er:badrequest\r\n") : QByteArray("er:notfound\r\n"))
            << target;
    }

    // An address too long for any caller is refused before it reaches a script.
    const Answer overlong = server.get(send + std::string(70 * 1024, 'a'));
    EXPECT_GE(overlong.status, 400);
    EXPECT_LT(overlong.status, 500);
    EXPECT_EQ(overlong.body, QByteArray("er:badrequest\r\n"));

    // Nobody posts to the server; a big body is refused, not read.
    httplib::Client client("127.0.0.1", server.port());
    const auto posted = client.Post("/zuv/message_add.php?id=100002&h=eva&to=100001",
                                    std::string(200 * 1024, 'x'), "text/plain");
    ASSERT_TRUE(posted);
    EXPECT_GE(posted->status, 400);

    // Nothing of it was stored, and the server still answers.
    const QStringList lines =
        replyLines(server.get(refreshTarget("all.php", "100001", "demo")).body);
    EXPECT_TRUE(lines.filter(u">MsG>"_s).isEmpty());
    EXPECT_EQ(server.get("/zuv/login.php?id=demo&h=demo").body.left(13),
              QByteArray("zuvid:100001\r"));
}

TEST_P(ZuvdBadInputTest, SqlLookingInputIsJustText)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const std::pair<std::string, QByteArray> cases[] = {
        {"/zuv/login.php?id=" + enc(u"' OR '1'='1"_s) + "&h=" + enc(u"' OR '1'='1"_s),
         "zuvx:\x8Apatn\xFD nick, Zuv \xE8\xEDslo nebo heslo.\r\n"},
        {"/zuv/login.php?id=" + enc(u"demo'--"_s) + "&h=x",
         "zuvx:\x8Apatn\xFD nick, Zuv \xE8\xEDslo nebo heslo.\r\n"},
        {refreshTarget("all.php", enc(u"100001 OR 1=1"_s), "demo"), "er:pass57302918zuv\r\n"},
        {"/zuv/user_add.php?id=100001&h=demo&user=" + enc(u"100002; DELETE FROM contacts"_s),
         "noadd//\r\n"},
    };
    for (const auto& [target, body] : cases)
        EXPECT_EQ(server.get(target).body, body) << target;

    // A nickname full of SQL is stored and shown as written.
    const QString nasty = u"x'); DROP TABLE members;--"_s;
    const int number = registerMember(server, nasty, u"p"_s);
    ASSERT_EQ(number, 100003);
    EXPECT_EQ(server.get("/zuv/user_add.php?id=100001&h=demo&user=100003").body,
              crlf({u"nick// "_s + nasty}));
    EXPECT_EQ(server.get("/zuv/login.php?id=" + enc(nasty) + "&h=p").body,
              crlf({u"zuvid:100003"_s, u"zuvok:Vítejte v síti Zuv, "_s + nasty + u"!"_s}));
}

ZUV_STORAGE_SUITE(ZuvdBadInputTest);

} // namespace
