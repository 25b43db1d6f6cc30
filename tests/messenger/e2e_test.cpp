// The real messenger against the real zuvd on loopback, each test in its own
// program folder and bus folder, watched through files and the bus.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <csignal>
#include <form1.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/optionsfile.h>
#include <gtest/gtest.h>
#include <hledej.h>
#include <sqlite3.h>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

struct MessengerE2E : zuvtest::TempSuite
{
    explicit MessengerE2E(const QString& password = u"demo"_s)
        : zuvd({u"--intervals"_s, u"800/3000/400"_s})
    {
        setEnv("ZUV_ONLINE", "1");
        setEnv("QT_QPA_PLATFORM", "offscreen");
        write(u"Zuv_Data/zuv_server.tt"_s, zuvd.get("/server.tt?/").body);
        OptionsFile options(data(u"options.ini"_s));
        options.load();
        options.save({{OptionKeys::Zuvid, u"100001"_s}, {OptionKeys::Zuvpass, password}});
    }
    QString option(const OptionKey& key) const
    {
        OptionsFile options(data(u"options.ini"_s));
        options.load();
        return options.value(key);
    }
    ~MessengerE2E()
    {
        for (QProcess* p : {&zuv, &second}) {
            p->kill();
            p->waitForFinished();
        }
    }
    void start(const QStringList& args = {}, bool keepStandardError = false)
    {
        zuv.setProcessChannelMode(keepStandardError ? QProcess::ForwardedOutputChannel
                                                    : QProcess::ForwardedChannels);
        zuv.start(zuvtest::suitePath(u"zuv"_s), args);
        zuv.waitForStarted();
    }
    QStringList refreshes() const
    {
        QStringList found;
        for (const QString& line : zuvtest::logLines(shellLog())) {
            if (line.startsWith(u"4\tload2.exe\t"_s))
                found.append(line.mid(12));
        }
        return found;
    }
    QStringList boxTexts() const
    {
        QStringList texts;
        for (const QString& line : zuvtest::logLines(msgBoxLog()))
            texts.append(QJsonDocument::fromJson(line.toUtf8()).object()[u"text"_s].toString());
        return texts;
    }
    bool messengerUp() const { return bool(FindWindowA(u"Zuv - Sorvanta"_s)); }
    void sql(const char* statement)
    {
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(zuvd.database()).constData(), &db);
        sqlite3_busy_timeout(db, 2000);
        sqlite3_exec(db, statement, nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }

    zuvtest::Zuvd zuvd;
    QProcess zuv;
    QProcess second;
};

} // namespace

TEST(MessengerEndToEnd, LogsInAndRefreshesAtTheServersIntervals)
{
    MessengerE2E suite;
    ASSERT_TRUE(suite.zuvd.started());
    suite.start();
    ASSERT_TRUE(zuvtest::waitFor([&] { return suite.messengerUp(); }, 10000));
    ASSERT_TRUE(zuvtest::waitFor([&] { return suite.refreshes().size() >= 3; }, 10000));

    const QString replyFile = u"/@/"_s + suite.dir() + u"/zuv.tt"_s;
    const QStringList refreshes = suite.refreshes();
    EXPECT_EQ(refreshes[0], suite.zuvd.base() +
                                u"/zuv/all.php?id=100001&h=demo&aktualizace=&radio=off&nalada=:)"
                                "&zuvrezim=&ws=1&build=100018"_s +
                                replyFile);
    EXPECT_TRUE(refreshes[1].contains(u"&zuvrezim=&ws=1"_s));
    // The server settings were fetched first, into the data folder.
    const QStringList starts = zuvtest::logLines(suite.shellLog());
    EXPECT_EQ(starts.first(), u"4\tload.exe\t"_s + suite.zuvd.base() + u"/server.tt?//@/"_s +
                                  suite.dir() + u"\\Zuv_Data\\zuv_server-new.tt"_s);
    // The server reported the nickname: it is stored in line 7.
    EXPECT_TRUE(zuvtest::waitFor([&] {
        OptionsFile options(suite.data(u"options.ini"_s));
        options.load();
        return !options.value(OptionKeys::Zuvnick).isEmpty();
    }));
    EXPECT_TRUE(suite.boxTexts().isEmpty()) << suite.boxTexts().join(u'|').toStdString();
}

TEST(MessengerEndToEnd, WrongPasswordIsSaidAndTheLoginDialogComes)
{
    MessengerE2E suite(u"spatne"_s);
    suite.start();
    ASSERT_TRUE(zuvtest::waitFor([&] { return !suite.boxTexts().isEmpty(); }, 10000));
    EXPECT_EQ(suite.boxTexts().first(), u"Špatné Zuv číslo nebo heslo!"_s);
    // The login dialog is up: no refresh follows while it is shown.
    const qsizetype made = suite.refreshes().size();
    zuvtest::waitFor([] { return false; }, 2000);
    EXPECT_EQ(suite.refreshes().size(), made);
    EXPECT_EQ(suite.zuv.state(), QProcess::Running);
}

TEST(MessengerEndToEnd, SuspendedAccountEndsTheProgram)
{
    MessengerE2E suite;
    suite.sql("UPDATE members SET suspended = 1 WHERE number = 100001");
    suite.start();
    ASSERT_TRUE(suite.zuv.waitForFinished(15000));
    EXPECT_EQ(suite.boxTexts(), QStringList{u"Váš účet byl pravděpodobně pozastaven...\r\n"
                                            "Kontaktujte prosím správce Zuv sítě."_s});
    EXPECT_FALSE(suite.messengerUp());
}

TEST(MessengerEndToEnd, SecondCopyHandsOverOrEndsSilently)
{
    MessengerE2E suite;
    suite.start({u"m"_s});
    ASSERT_TRUE(zuvtest::waitFor([&] { return suite.messengerUp(); }, 10000));
    // Someone else stands in for nothing here: the first copy is the messenger
    // itself, so a hand-over shows up as the second copy ending at once.
    for (const QStringList& args : {QStringList{}, QStringList{u"m"_s}}) {
        suite.second.start(zuvtest::suitePath(u"zuv"_s), args);
        ASSERT_TRUE(suite.second.waitForFinished(10000));
        EXPECT_EQ(suite.second.exitCode(), 0);
        EXPECT_EQ(suite.zuv.state(), QProcess::Running);
    }
    EXPECT_TRUE(suite.messengerUp());
}

TEST(MessengerEndToEnd, ZuvendEndsItAndTheMailCheckerIsTold)
{
    MessengerE2E suite;
    QProcess mailChecker;
    mailChecker.start(zuvtest::suitePath(u"zuvbus"_s), {u"listen"_s, u"Zuv Postrel! (Zuvnet)"_s});
    ASSERT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(u"Zuv Postrel! (Zuvnet)"_s)); }));
    suite.start();
    ASSERT_TRUE(zuvtest::waitFor([&] { return suite.messengerUp(); }, 10000));
    QProcess::execute(zuvtest::suitePath(u"zuvbus"_s),
                      {u"send"_s, u"Zuv - Sorvanta"_s, u"zuvend"_s});
    EXPECT_TRUE(suite.zuv.waitForFinished(5000));
    EXPECT_FALSE(suite.messengerUp());
    EXPECT_TRUE(zuvtest::waitFor([&] { return mailChecker.bytesAvailable() > 0; }));
    EXPECT_EQ(mailChecker.readAllStandardOutput(), "1\temailend\n");
    mailChecker.terminate();
    mailChecker.waitForFinished();
}

TEST(MessengerEndToEnd, APasswordWithAHashWorksAndNeverReachesTheTerminal)
{
    MessengerE2E suite;
    const QString password = u"tajné#heslo"_s;
    const int number = zuvtest::registerMember(suite.zuvd, u"Hašek"_s, password);
    ASSERT_GT(number, 0);
    OptionsFile options(suite.data(u"options.ini"_s));
    options.load();
    options.save({{OptionKeys::Zuvid, QString::number(number)}, {OptionKeys::Zuvpass, password}});
    suite.start({}, true);
    // The refreshes get through: the server tells the nickname.
    ASSERT_TRUE(
        zuvtest::waitFor([&] { return suite.option(OptionKeys::Zuvnick) == u"Hašek"_s; }, 10000))
        << suite.boxTexts().join(u'|').toStdString();
    EXPECT_TRUE(suite.boxTexts().isEmpty()) << suite.boxTexts().join(u'|').toStdString();

    // With the server gone the downloader says why, without the password.
    const QString address = suite.zuvd.base();
    ASSERT_TRUE(suite.zuvd.stop());
    QByteArray said;
    ASSERT_TRUE(zuvtest::waitFor(
        [&] {
            said += suite.zuv.readAllStandardError();
            return said.contains("load2: ");
        },
        10000));
    EXPECT_TRUE(said.contains("load2: " + address.toLatin1() + "/zuv/all_msg.php: ") ||
                said.contains("load2: " + address.toLatin1() + "/zuv/all.php: "))
        << said.toStdString();
    EXPECT_FALSE(said.contains("heslo")) << said.toStdString();
    EXPECT_FALSE(said.contains("h=")) << said.toStdString();
}

TEST(MessengerEndToEnd, CtrlCAndTermEndItThroughKonec)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        MessengerE2E suite;
        QProcess mailChecker;
        mailChecker.start(zuvtest::suitePath(u"zuvbus"_s),
                          {u"listen"_s, u"Zuv Postrel! (Zuvnet)"_s});
        ASSERT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(u"Zuv Postrel! (Zuvnet)"_s)); }));
        suite.start();
        ASSERT_TRUE(zuvtest::waitFor([&] { return suite.messengerUp(); }, 10000));
        ASSERT_TRUE(zuvtest::waitFor([&] { return !suite.option(OptionKeys::Zuvnick).isEmpty(); }));
        // Only a save of the messenger's settings puts its values back.
        OptionsFile options(suite.data(u"options.ini"_s));
        options.load();
        options.save({{OptionKeys::Zuvmode, u"x"_s}});
        ::kill(pid_t(suite.zuv.processId()), signal);
        ASSERT_TRUE(suite.zuv.waitForFinished(10000));
        EXPECT_EQ(suite.zuv.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(suite.zuv.exitCode(), 0);
        // Konec saved the settings and told the mail checker.
        EXPECT_EQ(suite.option(OptionKeys::Zuvmode), u"1"_s);
        EXPECT_TRUE(zuvtest::waitFor([&] { return mailChecker.bytesAvailable() > 0; }));
        EXPECT_EQ(mailChecker.readAllStandardOutput(), "1\temailend\n");
        EXPECT_FALSE(suite.messengerUp());
        mailChecker.terminate();
        mailChecker.waitForFinished();
    }
}

TEST(MessengerEndToEnd, ALostServerIsSaidAndTheFirstReplyBringsEverythingBack)
{
    MessengerE2E suite;
    ASSERT_TRUE(suite.zuvd.started());
    for (const QString& name : {u"load"_s, u"load2"_s})
        QFile::link(zuvtest::suitePath(u"load"_s), suite.path(name));
    messenger::Form1 form;
    ASSERT_TRUE(form.Form_Load(QString()));
    const auto online = [&] {
        return form.StatusOnline.text().startsWith(u"V Zuv je právě online: "_s);
    };
    ASSERT_TRUE(zuvtest::waitFor(online, 10000)) << form.StatusOnline.text().toStdString();

    const int port = suite.zuvd.port();
    ASSERT_TRUE(suite.zuvd.stop());
    ASSERT_TRUE(zuvtest::waitFor([&] { return form.serverLost(); }, 15000));
    EXPECT_EQ(form.StatusOnline.text(), u"Nelze se spojit se serverem…"_s);
    EXPECT_TRUE(form.StatusOnline.styleSheet().contains(u"color"_s));

    // The server comes back on its address: the next reply restores it all.
    zuvtest::Zuvd again({u"--listen"_s, u"127.0.0.1:"_s + QString::number(port)});
    ASSERT_TRUE(again.started());
    ASSERT_TRUE(zuvtest::waitFor(online, 15000)) << form.StatusOnline.text().toStdString();
    EXPECT_FALSE(form.serverLost());
    EXPECT_TRUE(form.StatusOnline.styleSheet().isEmpty());
}

TEST(MessengerEndToEnd, ASearchFindsAMemberWhoIsAddedAndThenInTheList)
{
    MessengerE2E suite;
    ASSERT_TRUE(suite.zuvd.started());
    const int number = zuvtest::registerMember(suite.zuvd, u"Bohouš"_s, u"b"_s);
    ASSERT_GT(number, 0);
    // The messenger in this process, the downloader and the server real.
    QFile::link(zuvtest::suitePath(u"load"_s), suite.path(u"load"_s));
    QFile::link(zuvtest::suitePath(u"load"_s), suite.path(u"load2"_s));
    messenger::Form1 form;
    form.bus().publish(u"Zuv - Sorvanta"_s);
    form.SetSubclass(true);
    ASSERT_TRUE(form.Form_Load(QString()));
    auto inList = [&] {
        for (QTreeWidgetItemIterator it(&form.TreeView1); *it; ++it) {
            if ((*it)->text(0) == u"Bohouš"_s)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(zuvtest::waitFor([&] { return form.TreeView1.topLevelItemCount() > 0; }, 10000));
    EXPECT_FALSE(inList());

    messenger::Hledej& search = form.showSearch();
    search.TextNick.setText(u"bohou"_s);
    search.Command1_Click();
    ASSERT_TRUE(zuvtest::waitFor([&] { return search.ListView1.topLevelItemCount() == 1; }, 10000));
    EXPECT_EQ(search.Label8.text(), u"Nalezeno uživatelů: 1"_s);
    QTreeWidgetItem* found = search.ListView1.topLevelItem(0);
    EXPECT_EQ(found->text(0), u" Bohouš"_s);
    search.showMenuUser(found, {});
    search.MenuUser.close();
    search.AddUser->trigger();
    ASSERT_TRUE(zuvtest::waitFor([&] { return !suite.boxTexts().isEmpty(); }, 10000));
    EXPECT_EQ(suite.boxTexts(), QStringList{u"Bohouš byl přidán do vašeho seznamu"_s});
    EXPECT_TRUE(zuvtest::waitFor(inList, 10000));
}

TEST(MessengerEndToEnd, TheListenersOfAStationAskedThroughTheBus)
{
    MessengerE2E suite;
    ASSERT_TRUE(suite.zuvd.started());
    // Eva is on line with her player on, and reported what she listens to.
    EXPECT_EQ(suite.zuvd.get(zuvtest::refreshTarget("all.php", "100002", "eva", ":)", "on")).status,
              200);
    EXPECT_EQ(suite.zuvd.get("/zuv/sv_all.php?idh=100002&h=eva&sv=on&stanice=r15").status, 200);
    suite.start();
    ASSERT_TRUE(zuvtest::waitFor([&] { return suite.messengerUp(); }, 10000));
    QProcess::execute(zuvtest::suitePath(u"zuvbus"_s),
                      {u"send"_s, u"Zuv - Sorvanta"_s, u"svs:r15"_s});
    ASSERT_TRUE(zuvtest::waitFor([&] { return QFile::exists(suite.path(u"search.tt"_s)); }, 10000));
    const QStringList reply = zuvtest::replyLines(suite.read(u"search.tt"_s));
    EXPECT_TRUE(reply.contains(u"svs//r15"_s)) << reply.join(u'|').toStdString();
    const QStringList results = reply.filter(u"add//"_s);
    ASSERT_EQ(results.size(), 1) << reply.join(u'|').toStdString();
    EXPECT_TRUE(results[0].startsWith(u"add//100002/@/"_s));
    EXPECT_TRUE(suite.boxTexts().isEmpty()) << suite.boxTexts().join(u'|').toStdString();
}
