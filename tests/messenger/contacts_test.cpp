// The contact list and the dispatch of incoming records, in the real main
// window with its handlers driven directly.
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <csignal>
#include <form1.h>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/bus/windowproc.h>
#include <foundation/codepage.h>
#include <foundation/optionsfile.h>
#include <gtest/gtest.h>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::messenger;

namespace {

struct ContactsFixture : zuvtest::TempSuite
{
    ContactsFixture()
    {
        setEnv("ZUV_ONLINE", "1");
        setEnv("CHAT_LOG", QFile::encodeName(path(u"chat.log"_s)));
        form.settings().Zuvid = u"100001"_s;
        form.settings().Zuvpass = u"demo"_s;
        form.settings().Zuvnick = u"demo"_s;
        form.settings().Zuvset = u"21@0"_s;
    }
    ~ContactsFixture()
    {
        for (const WindowRef& w : {FindWindowA(u"Eva [100002]"_s)}) {
            if (w)
                ::kill(pid_t(w.id >> 20), SIGTERM);
        }
    }
    // Processes a full reply of these lines.
    void reply(const QString& lines)
    {
        QFile::remove(path(u"zuv.tt"_s));
        form.Aktualizuj(u"all"_s); // the request whose reply the file below is
        write(u"zuv.tt"_s, CodePage::encode(lines));
        form.ZpracujData();
    }
    QStringList topLevel() const
    {
        QStringList texts;
        for (int i = 0; i < form.TreeView1.topLevelItemCount(); ++i)
            texts << form.TreeView1.topLevelItem(i)->text(0);
        return texts;
    }
    QStringList starts(const QString& program = {}) const
    {
        QStringList found;
        for (const QString& line : zuvtest::logLines(shellLog())) {
            if (program.isEmpty() || line.section(u'\t', 1, 1).endsWith(program))
                found << line;
        }
        return found;
    }
    Form1 form;
};

} // namespace

TEST(ContactList, FullReplyBuildsTheTreeWithTheOfflineGroupOnDemand)
{
    ContactsFixture suite;
    suite.reply(u"online:3\r\n"
                ">Zuv>offline/@/Karel/@/100003/@/0/@/off/@/\r\n"
                ">Zuv>online/@/Eva/@/100002/@/25/@/:))/@/\r\n"
                ">Zuv>offline/@/Šárka/@/100004/@//@/:(/@/\r\n"
                ">Zuv>online/@/Zuv robot/@/100000/@/0/@/:)/@/\r\n"
                ">Zuv>online/@/Eva/@/100002/@/25/@/:))/@/\r\n"
                ">Zuv>online/@/Zlý/@/../../x/@/0/@/:)/@/\r\n"
                ">Zuv>online/@/Useknutý/@/100009\r\n"_s);
    EXPECT_EQ(suite.topLevel(), (QStringList{u">OffLine"_s, u"Eva"_s, u"Zuv robot"_s}));
    QTreeWidgetItem* offline = suite.form.TreeView1.topLevelItem(0);
    ASSERT_EQ(offline->childCount(), 2);
    EXPECT_EQ(offline->child(0)->text(0), u"Karel"_s);
    EXPECT_EQ(offline->child(1)->text(0), u"Šárka"_s);
    EXPECT_EQ(suite.form.contactInfo(u"100002"_s), u"Eva (25 let)"_s);
    EXPECT_EQ(suite.form.contactInfo(u"100003"_s), u"Karel"_s);
    EXPECT_EQ(suite.form.contactInfo(u"100009"_s), u""_s) << "a truncated record adds nobody";
    EXPECT_FALSE(suite.form.Label1.isVisibleTo(&suite.form));

    // Clicks: the information line.
    suite.form.TreeView1_NodeClick(suite.form.TreeView1.topLevelItem(1));
    EXPECT_EQ(suite.form.Status.text(), u"Eva (25 let)"_s);
    EXPECT_EQ(suite.form.settings().Zuvtree, u"4"_s)
        << "nodes count from 1 in the order they stand";
    suite.form.TreeView1_NodeClick(offline);
    EXPECT_EQ(suite.form.Status.text(), u"Uživatelé offline"_s);

    // A full reply without contacts leaves the tree empty and shows the hint.
    suite.reply(u"online:1\r\n"_s);
    EXPECT_TRUE(suite.topLevel().isEmpty());
    EXPECT_TRUE(suite.form.Label1.isVisibleTo(&suite.form));
}

TEST(ContactList, ListViewSubItems)
{
    ContactsFixture suite;
    suite.form.ZobrazeniList();
    suite.reply(u">Zuv>online/@/Eva/@/100002/@/25/@/:))/@/\r\n"
                ">Zuv>offline/@/Karel/@/100003/@/0/@/off/@/\r\n"_s);
    ASSERT_EQ(suite.form.ListView1.topLevelItemCount(), 2);
    QTreeWidgetItem* eva = suite.form.ListView1.topLevelItem(0);
    EXPECT_EQ((QStringList{eva->text(0), eva->text(1), eva->text(2), eva->text(3), eva->text(4)}),
              (QStringList{u"Eva"_s, u"100002"_s, u"25"_s, u":))"_s, u"online"_s}));
    EXPECT_EQ(suite.form.ListView1.topLevelItem(1)->text(4), u"offline"_s);
    EXPECT_EQ(suite.form.TreeView1.topLevelItemCount(), 0);

    // The selection survives the next full rebuild.
    suite.form.ListView1.setCurrentItem(suite.form.ListView1.topLevelItem(1));
    suite.reply(u">Zuv>online/@/Nový/@/100005/@/0/@/:)/@/\r\n"
                ">Zuv>online/@/Eva/@/100002/@/25/@/:))/@/\r\n"
                ">Zuv>offline/@/Karel/@/100003/@/0/@/off/@/\r\n"_s);
    ASSERT_TRUE(suite.form.ListView1.currentItem());
    EXPECT_EQ(suite.form.ListView1.currentItem()->text(0), u"Karel"_s);
}

TEST(ContactList, InboxNodeAndTheMenuOnIt)
{
    for (const QString& value : {u"0"_s, u""_s}) {
        ContactsFixture suite;
        suite.reply(u"inbox:"_s + value + u"\r\n"_s);
        EXPECT_TRUE(suite.topLevel().isEmpty()) << value.toStdString();
    }
    ContactsFixture suite;
    suite.reply(u"inbox:3\r\n>Zuv>online/@/Eva/@/100002/@/25/@/:)/@/\r\n"_s);
    EXPECT_EQ(suite.topLevel(), (QStringList{u">Schránka (3)"_s, u"Eva"_s}));
    QTreeWidgetItem* inbox = suite.form.TreeView1.topLevelItem(0);
    EXPECT_TRUE(inbox->font(0).bold());
    // A later count shows in the same node; none left takes it away.
    suite.form.SetInBoX(u"7"_s);
    EXPECT_EQ(suite.topLevel(), (QStringList{u">Schránka (7)"_s, u"Eva"_s}));
    suite.form.SetInBoX(u"0"_s);
    EXPECT_EQ(suite.topLevel(), QStringList{u"Eva"_s});
    suite.form.SetInBoX(u"3"_s);
    inbox = suite.form.TreeView1.topLevelItem(1);
    ASSERT_EQ(suite.topLevel(), (QStringList{u"Eva"_s, u">Schránka (3)"_s}));

    suite.form.showMenuUser(u"inbox"_s, {});
    for (QAction* item : suite.form.MenuUser.actions())
        EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    suite.form.showMenuUser(u"zuv100002"_s, {});
    for (QAction* item : suite.form.MenuUser.actions())
        EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();

    suite.form.TreeView1_DblClick(inbox);
    EXPECT_EQ(suite.starts(u"ZuvBrowser.exe"_s).last(),
              u"2\t"_s + suite.dir() +
                  u"\\ZuvBrowser.exe\t/zuv/inbox.php?idh=100001&h=demo/@/7200/@/7500/@/Schránka"
                  "/@/normal/@/noendtest/@/"_s);
}

TEST(Dispatch, MessageStartsTheChatWindowOnceAndDeliversTheWholeLine)
{
    ContactsFixture suite;
    QFile::link(zuvtest::helperPath(u"chatstandin"_s), suite.path(u"msg"_s));
    const QString first = u">MsG>100002/@/Eva/@/2026-12-09 10:00:00/@/Ahoj /@/ *.and"_s;
    const QString second = u">MsG>100002/@/Eva/@/2026-12-09 10:00:05/@/Jsi tam?"_s;
    suite.reply(first + u"\r\n"_s + second + u"\r\n"_s);

    QStringList msgStarts;
    for (const QString& line : suite.starts(u"msg.exe"_s))
        msgStarts << line;
    EXPECT_EQ(msgStarts, QStringList{u"1\tmsg.exe\tEva [100002]/@/100001/@/demo/@//@/Eva/@/demo"
                                     "/@/100002/@/21@0"_s});
    EXPECT_TRUE(
        zuvtest::waitFor([&] { return zuvtest::logLines(suite.path(u"chat.log"_s)).size() == 2; }));
    EXPECT_EQ(zuvtest::logLines(suite.path(u"chat.log"_s)),
              (QStringList{u"Eva [100002]\t"_s + first + u"\r"_s,
                           u"Eva [100002]\t"_s + second + u"\r"_s}));
    EXPECT_TRUE(suite.form.cycle().fastMode());

    // A number that is no member's starts nothing.
    suite.reply(u">MsG>../../etc/@/x/@/t/@/text\r\n"_s);
    for (const QString& line : suite.starts())
        EXPECT_FALSE(line.contains(u"../../etc"_s));
}

TEST(Dispatch, MissingChatProgramDoesNotStallTheReply)
{
    ContactsFixture suite;
    suite.reply(u">MsG>100002/@/Eva/@/t/@/x\r\nonline:9\r\n"_s);
    EXPECT_EQ(suite.form.StatusOnline.text(), u"V Zuv je právě online: 9"_s);
}

TEST(Dispatch, WebWindowsRemotePlayAndSharedFiles)
{
    ContactsFixture suite;
    suite.reply(u">WWW>http://s/a.php?x=1/@/Okno/@/0/@/0/@/normal/@/6000/@/5000/@/\r\n"
                ">WWW>http://s/b.php?x=1/@/Přihlášené/@/1/@/1/@/max/@/7000/@/8000/@/\r\n"
                ">WWW>http://s/c.php/@/Useknuté/@/1\r\n"
                ">SVPlay>/@/15/@/2/@/http://stream/@/x\r\n"_s);
    const QString browser = u"2\t"_s + suite.dir() + u"\\ZuvBrowser.exe\t"_s;
    EXPECT_EQ(
        suite.starts(u"ZuvBrowser.exe"_s),
        (QStringList{browser + u"http://s/a.php?x=1/@/6000/@/5000/@/Okno/@/normal/@/noendtest/@/"_s,
                     browser + u"http://s/b.php?x=1&idh=100001&h=demo/@/7000/@/8000/@/Přihlášené"
                               "/@/max/@/endtest/@/"_s}));
    EXPECT_EQ(suite.starts().size(), 3)
        << "the radio player is not running: remote play is dropped";

    BusWindow radio;
    radio.publish(u"Sorvanta"_s);
    QStringList got;
    SetSubclass(radio, true, {[&](const QString& c) { got << c; }, {}});
    suite.reply(u">SVPlay>/@/15/@/2/@/http://stream/@/x\r\n>SVPlay>/@/kratší\r\n"_s);
    EXPECT_EQ(got, QStringList{u"remoteplay/@/15/@/2/@/http://stream/@/x"_s});

    // The shared-files program is outside the suite: when it cannot start
    // the notice is dropped at once.
    suite.reply(u">FiQ>soubor/@/x\r\nonline:2\r\n"_s);
    EXPECT_TRUE(suite.starts().contains(u"1\tPelsh.exe\t"_s));
    EXPECT_EQ(suite.form.StatusOnline.text(), u"V Zuv je právě online: 2"_s);
}

TEST(ContactList, RemovalThroughZuvdAndTheFullRefreshAfter)
{
    zuvtest::Zuvd zuvd;
    ASSERT_TRUE(zuvd.started());
    ContactsFixture suite;
    QFile::link(zuvtest::suitePath(u"load"_s), suite.path(u"load"_s));
    QFile::link(zuvtest::suitePath(u"load"_s), suite.path(u"load2"_s));
    suite.write(u"Zuv_Data/zuv_server.tt"_s, zuvd.get("/server.tt?/").body);
    suite.form.bus().publish(u"Zuv - Sorvanta"_s);
    suite.form.SetSubclass(true);
    OptionsFile options(suite.data(u"options.ini"_s));
    options.load();
    options.save({{OptionKeys::Zuvid, u"100001"_s}, {OptionKeys::Zuvpass, u"demo"_s}});
    suite.form.Form_Load(QString()); // signs in against zuvd from the folder's settings
    auto hasEva = [&] {
        for (QTreeWidgetItemIterator it(&suite.form.TreeView1); *it; ++it) {
            if ((*it)->text(0) == u"Eva"_s)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(zuvtest::waitFor(hasEva, 10000));
    suite.form.showMenuUser(u"zuv100002"_s, {});
    suite.form.MenuUserDelete_Click();
    ASSERT_TRUE(
        zuvtest::waitFor([&] { return !zuvtest::logLines(suite.msgBoxLog()).isEmpty(); }, 10000));
    const QJsonObject box =
        QJsonDocument::fromJson(zuvtest::logLines(suite.msgBoxLog()).first().toUtf8()).object();
    EXPECT_EQ(box[u"text"_s].toString(), u"Eva byl odstraněn z vašeho seznamu"_s);
    EXPECT_TRUE(zuvtest::waitFor([&] { return !hasEva(); }, 10000));
}
