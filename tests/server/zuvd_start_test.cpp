// Start, stop, the server settings file and login.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <foundation/serversettings.h>
#include <gtest/gtest.h>
#include <server/core/database.h>
#include <server/core/members.h>
#include <support/processes.h>
#include <support/qtprint.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuvtest;

namespace {

class ZuvdStartTest : public zuvtest::StorageTest
{};

TEST_P(ZuvdStartTest, ServerSettingsFileNamesThisServer)
{
    Zuvd server({u"--intervals"_s, u"3000/60000/1500"_s});
    ASSERT_TRUE(server.started());
    const QString base = server.base();
    const Answer answer = server.get("/server.tt?/");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.contentType, QByteArray("text/plain; charset=windows-1250"));
    EXPECT_EQ(
        answer.body,
        crlf({u"#000:Zuvnet:"_s, u"#001:Zuvnet:"_s, u"#002:Zuvnet:"_s, u"#003:Zuvnet:"_s,
              u"#004:Zuvnet:"_s, u"#005:ZuvServerUpdating:"_s + base, u"#006:ZuvServer:"_s + base,
              u"#007:TimerAktiv:3000"_s, u"#008:TimerPasiv:60000"_s, u"#009:TimerZprav:1500"_s}));

    // The messenger's reader takes the same file back.
    QTemporaryDir dir;
    const QString path = dir.path() + u"/zuv_server.tt"_s;
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(answer.body);
    file.close();
    zuv::ServerSettings settings;
    ASSERT_TRUE(settings.load(u"test"_s, path));
    EXPECT_EQ(settings.serverBase, base);
    EXPECT_EQ(settings.updateHost, base);
    EXPECT_EQ(settings.activeInterval, u"3000"_s);
    EXPECT_EQ(settings.passiveInterval, u"60000"_s);
    EXPECT_EQ(settings.thresholdInterval, u"1500"_s);

    // Reached under another name, the file names the server that way.
    const QStringList named = replyLines(server.get("/server.tt?/", "zuv.example:8080").body);
    ASSERT_EQ(named.size(), 10);
    EXPECT_EQ(named[6], u"#006:ZuvServer:http://zuv.example:8080"_s);
    EXPECT_EQ(replyLines(server.get("/server.tt").body)[7], u"#007:TimerAktiv:3000"_s);
}

TEST_P(ZuvdStartTest, DefaultIntervals)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const QStringList lines = replyLines(server.get("/server.tt?/").body);
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines.mid(7), QStringList({u"#007:TimerAktiv:10000"_s, u"#008:TimerPasiv:30000"_s,
                                         u"#009:TimerZprav:2000"_s}));
}

TEST_P(ZuvdStartTest, LoginAnswersTheLinesTheDialogReads)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    {
        zuv::server::Database db(server.database());
        auto session = db.session();
        const int number = zuv::server::Members::create(
                               session.sql(), {u"Stop"_s, {}, {}, {}, {}, {}, {}}, u"pw"_s)
                               .value();
        zuv::server::Members::setSuspended(session.sql(), number, true);
    }
    const QStringList welcome = {u"zuvid:100001"_s, u"zuvok:Vítejte v síti Zuv, demo!"_s};
    const QStringList wrong = {u"zuvx:Špatný nick, Zuv číslo nebo heslo."_s};
    const QStringList missing = {u"zuvx:Zadejte prosím svůj nick nebo Zuv číslo a heslo."_s};
    const std::pair<std::string, QStringList> cases[] = {
        {"id=demo&h=demo", welcome},
        {"id=100001&h=demo", welcome},
        {"id=DEMO&h=demo", welcome},
        {"id=demo&h=Demo", wrong},
        {"id=100001&h=", missing},
        {"id=&h=demo", missing},
        {"h=demo", missing},
        {"id=100099&h=demo", wrong},
        {"id=Zuv%20robot&h=", missing},
        {"id=Zuv%20robot&h=demo", wrong},
        {"id=Stop&h=pw", {u"zuvx:Váš účet byl pozastaven. Kontaktujte prosím správce Zuv sítě."_s}},
    };
    for (const auto& [query, lines] : cases) {
        const Answer answer = server.get("/zuv/login.php?" + query);
        EXPECT_EQ(answer.status, 200) << query;
        EXPECT_EQ(answer.body, crlf(lines)) << query;
    }
}

TEST_P(ZuvdStartTest, CzechNicknameAndPasswordRoundTrip)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const int number = registerMember(server, u"Šárka"_s, u"žluťoučký kůň"_s);
    ASSERT_EQ(number, 100003);
    // The query carries Windows-1250 bytes: "šárka" is %9A%E1rka.
    EXPECT_EQ(enc(u"šárka"_s), "%9A%E1rka");
    const Answer answer = server.get("/zuv/login.php?id=%9A%E1rka&h=" + enc(u"žluťoučký kůň"_s));
    EXPECT_EQ(answer.body, QByteArray("zuvid:100003\r\nzuvok:V\xEDtejte v s\xEDti Zuv, "
                                      "\x8A\xE1rka!\r\n"));
    EXPECT_EQ(
        replyLines(server.get(refreshTarget("all.php", "100003", enc(u"žluťoučký kůň"_s))).body)
            .value(1),
        u"mynick:Šárka"_s);
}

TEST_P(ZuvdStartTest, EndsCleanlyOnTermAndInterruptAndKeepsItsData)
{
    QTemporaryDir dir;
    for (const bool interrupt : {false, true}) {
        Zuvd server;
        ASSERT_TRUE(server.started());
        EXPECT_EQ(server.get("/zuv/login.php?id=demo&h=demo").status, 200);
        EXPECT_TRUE(server.stop(interrupt)) << (interrupt ? "SIGINT" : "SIGTERM");
    }

    // The same file on the next start: members and numbers stay.
    const QString db = dir.path() + u"/zuv.db"_s;
    for (int round = 0; round < 2; ++round) {
        QProcess zuvd;
        zuvd.start(suitePath(u"zuvd"_s), {u"--db"_s, db, u"--seed"_s, u"demo"_s});
        ASSERT_TRUE(zuvd.waitForReadyRead(15000));
        EXPECT_TRUE(zuvd.readLine().startsWith("zuvd listening on http://127.0.0.1:"));
        zuvd.terminate();
        ASSERT_TRUE(zuvd.waitForFinished(10000));
        EXPECT_EQ(zuvd.exitCode(), 0);
    }
    zuv::server::Database reopened(db);
    auto session = reopened.session();
    EXPECT_EQ(zuv::server::Members::all(session.sql()).size(), 3);
    EXPECT_EQ(zuv::server::Members::byNickname(session.sql(), u"demo"_s)->number, kDemo);
}

TEST_P(ZuvdStartTest, RefusesBadArgumentsAndUnusableFiles)
{
    const std::pair<QStringList, int> cases[] = {
        {{u"--listen"_s, u"127.0.0.1:0"_s}, 2},
        {{u"--db"_s, u"x.db"_s, u"--listen"_s, u"nowhere"_s}, 2},
        {{u"--db"_s, u"x.db"_s, u"--bogus"_s, u"1"_s}, 2},
        {{u"--db"_s, u"/nonexistent-folder/x.db"_s}, 1},
        {{u"--help"_s}, 0},
    };
    for (const auto& [args, code] : cases) {
        QProcess zuvd;
        zuvd.start(suitePath(u"zuvd"_s), args);
        ASSERT_TRUE(zuvd.waitForFinished(10000)) << args.join(u' ').toStdString();
        EXPECT_EQ(zuvd.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(zuvd.exitCode(), code) << args.join(u' ').toStdString();
        EXPECT_FALSE(zuvd.readAllStandardOutput().startsWith("zuvd listening"));
    }
}

TEST_P(ZuvdStartTest, ASecondServerOnAPortInUseIsRefused)
{
    Zuvd first;
    ASSERT_TRUE(first.started());
    const QString address = u"127.0.0.1:"_s + QString::number(first.port());
    QTemporaryDir dir;
    QProcess second;
    second.start(suitePath(u"zuvd"_s),
                 {u"--db"_s, dir.path() + u"/x.db"_s, u"--listen"_s, address});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 2);
    EXPECT_EQ(second.readAllStandardError(), "zuvd: " + address.toLatin1() + " is in use\n");
    EXPECT_FALSE(second.readAllStandardOutput().startsWith("zuvd listening"));
    // The first one still answers every request.
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(first.get("/server.tt?/").status, 200);
}

ZUV_STORAGE_SUITE(ZuvdStartTest);

} // namespace
