// Two members chat through the real zuvd on loopback, each with an own
// program folder, bus folder and real messenger. Member A's chat window runs
// in this process so the test can type into it; member B's is the real
// program, started by B's messenger when the message comes.
#include <QDir>
#include <QProcess>
#include <core/historypage.h>
#include <core/records.h>
#include <form1.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/codepage.h>
#include <foundation/optionsfile.h>
#include <gtest/gtest.h>
#include <memory>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

// Makes a folder a member's program folder: the server's settings, the
// login, and the pictures the pages point at.
void prepareProgramFolder(const QString& dir, const zuvtest::Zuvd& zuvd, const QString& id,
                          const QString& password)
{
    QDir(dir).mkpath(u"Zuv_Data/img/sm"_s);
    const QString shipped = QStringLiteral(ZUV_SUITE_DIR) + u"/Zuv_Data/"_s;
    QFile::copy(shipped + u"0001.wav"_s, dir + u"/Zuv_Data/0001.wav"_s);
    for (const QString& name : QDir(shipped + u"img/sm"_s).entryList(QDir::Files))
        QFile::copy(shipped + u"img/sm/"_s + name, dir + u"/Zuv_Data/img/sm/"_s + name);
    QFile server(dir + u"/Zuv_Data/zuv_server.tt"_s);
    server.open(QIODevice::WriteOnly);
    server.write(zuvd.get("/server.tt?/").body);
    server.close();
    OptionsFile options(dir + u"/Zuv_Data/options.ini"_s);
    options.load();
    options.save({{OptionKeys::Zuvid, id}, {OptionKeys::Zuvpass, password}});
}

QString fileText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? CodePage::decode(file.readAll()) : QString();
}

// Member A lives in the test's own environment (TempSuite); member B in a
// folder of its own, with the environment its programs get.
struct ChatE2E : zuvtest::TempSuite
{
    ChatE2E() : zuvd({u"--intervals"_s, u"800/3000/400"_s})
    {
        setEnv("ZUV_ONLINE", "1");
        setEnv("ZUV_SOUND_LOG", QFile::encodeName(path(u"sound.log"_s)));
        prepareProgramFolder(dir(), zuvd, u"100001"_s, u"demo"_s);
        // The downloader A's window starts lies beside the real programs.
        QFile::link(zuvtest::suitePath(u"load"_s), path(u"load"_s));
        prepareProgramFolder(memberB.path(), zuvd, u"100002"_s, u"eva"_s);
        envB = QProcessEnvironment::systemEnvironment();
        const QString b = memberB.path();
        envB.insert(u"ZUV_PROGRAM_DIR"_s, b);
        envB.insert(u"ZUV_BUS_DIR"_s, b + u"/bus"_s);
        envB.insert(u"ZUV_SHELL_LOG"_s, b + u"/shell.log"_s);
        envB.insert(u"ZUV_MSGBOX_LOG"_s, b + u"/msgbox.log"_s);
        envB.insert(u"ZUV_SOUND_LOG"_s, b + u"/sound.log"_s);
        envB.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    }
    ~ChatE2E()
    {
        chat.reset();
        // B's messenger ends its chat window within 5 s; ending both
        // messengers the designed way lets everything go.
        for (QProcess* p : {&zuvA, &zuvB}) {
            p->kill();
            p->waitForFinished();
        }
        QProcess zuvbus;
        zuvbus.setProcessEnvironment(envB);
        zuvbus.start(zuvtest::suitePath(u"zuvbus"_s),
                     {u"wait"_s, chatTitleB, u"--gone"_s, u"--timeout"_s, u"10"_s});
        zuvbus.waitForFinished(15000);
    }
    void startMessengers(bool withB)
    {
        zuvA.setProcessChannelMode(QProcess::ForwardedChannels);
        zuvA.start(zuvtest::suitePath(u"zuv"_s));
        if (withB) {
            zuvB.setProcessEnvironment(envB);
            zuvB.setProcessChannelMode(QProcess::ForwardedChannels);
            zuvB.start(zuvtest::suitePath(u"zuv"_s));
        }
        ASSERT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(u"Zuv - Sorvanta"_s)); }, 10000));
    }
    // What A's messenger would start on a double click at the contact.
    chat::Form1& openChatA(const QString& nick, const QString& number)
    {
        const messenger::ChatContext own{u"100001"_s, u"demo"_s, zuvd.base(), u"demo"_s, u"11@1"_s};
        chat = std::make_unique<chat::Form1>();
        EXPECT_TRUE(chat->Form_Load(messenger::chatArguments(own, nick, number)));
        return *chat;
    }
    bool bHasWindow(const QString& title) const
    {
        QProcess zuvbus;
        zuvbus.setProcessEnvironment(envB);
        zuvbus.start(zuvtest::suitePath(u"zuvbus"_s), {u"find"_s, title});
        return zuvbus.waitForFinished(5000) && zuvbus.exitCode() == 0;
    }

    zuvtest::Zuvd zuvd;
    QTemporaryDir memberB;
    QProcessEnvironment envB;
    QProcess zuvA;
    QProcess zuvB;
    std::unique_ptr<chat::Form1> chat;
    const QString chatTitleB = u"demo [100001]"_s;
};

} // namespace

TEST(ChatEndToEnd, TwoMembersTalkThroughTheServer)
{
    ChatE2E suite;
    ASSERT_TRUE(suite.zuvd.started());
    suite.startMessengers(true);
    chat::Form1& chatA = suite.openChatA(u"Eva"_s, u"100002"_s);

    chatA.Text1.setPlainText(u"Ahoj **03 www.example.cz & \"uvozovky\""_s);
    chatA.Command1_Click();

    // The text as both pages hold it: the smiley a picture of the own
    // program folder, the link an anchor, "&" back, the quote still escaped.
    const auto shown = [](const QString& dir) {
        return u"Ahoj <img src='"_s + dir +
               u"\\Zuv_Data\\img\\sm\\03.gif'></img> <a target=_blank "
               "href='http://www.example.cz'>http://www.example.cz</a> & *.u1uvozovky*.u1  "_s;
    };
    const QString historyA = suite.path(u"Cache/100001-100002.htm"_s);
    ASSERT_TRUE(zuvtest::waitFor(
        [&] { return fileText(historyA).contains(u"<P class=text>"_s + shown(suite.dir())); },
        10000))
        << fileText(historyA).toStdString();
    EXPECT_TRUE(fileText(historyA).contains(u"<P class=header><SPAN class=zuv_n>demo:</SPAN>"
                                            "<SPAN class=qdate> ("_s));
    EXPECT_EQ(chatA.LastURL(), u"http://www.example.cz"_s);

    // B's messenger starts B's chat window, which keeps the message.
    const QString historyB = suite.memberB.path() + u"/Cache/100002-100001.htm"_s;
    const QString receivedB =
        u"<P class=header><SPAN class=zuv_t>demo:</SPAN> "_s; // then "hh:mm:ss (dd.mm.yy)"
    ASSERT_TRUE(zuvtest::waitFor(
        [&] {
            const QString page = fileText(historyB);
            return page.contains(receivedB) &&
                   page.contains(u"</P><P class=qtext>"_s + shown(suite.memberB.path()) +
                                 u"</P><A name=zuv_end></A></BODY></HTML>\r\n"_s);
        },
        15000))
        << fileText(historyB).toStdString();
    EXPECT_TRUE(suite.bHasWindow(suite.chatTitleB));
    const QStringList startsB = zuvtest::logLines(suite.memberB.path() + u"/shell.log"_s);
    EXPECT_TRUE(startsB.contains(u"1\tmsg.exe\tdemo [100001]/@/100002/@/eva/@/"_s +
                                 suite.zuvd.base() + u"/@/demo/@/Eva/@/100001/@/11@1"_s))
        << startsB.join(u'\n').toStdString();
    EXPECT_EQ(zuvtest::logLines(suite.memberB.path() + u"/sound.log"_s),
              QStringList{suite.memberB.path() + u"/Zuv_Data/0001.wav"_s});
    EXPECT_TRUE(zuvtest::logLines(suite.memberB.path() + u"/msgbox.log"_s).isEmpty());
}

TEST(ChatEndToEnd, TheRobotAnswersAndItsAnswerComesToTheOpenWindow)
{
    ChatE2E suite;
    ASSERT_TRUE(suite.zuvd.started());
    suite.startMessengers(false);
    chat::Form1& chat = suite.openChatA(u"Zuv robot"_s, u"100000"_s);
    chat.Text1.setPlainText(u"Ahoj robote, jak se máš?"_s);
    chat.Command1_Click();
    const QString history = suite.path(u"Cache/100001-100000.htm"_s);
    ASSERT_TRUE(zuvtest::waitFor(
        [&] { return fileText(history).contains(u"<SPAN class=zuv_t>Zuv robot:</SPAN>"_s); },
        15000))
        << chat.List1.join(u'|').toStdString()
        << " windows: " << ListWindows().join(u'|').toStdString();
    EXPECT_TRUE(fileText(history).contains(u"Ahoj demo, tady Zuv robot."_s));
    EXPECT_TRUE(chat.WebBrowser1.toPlainText().contains(u"tady Zuv robot"_s));
    ASSERT_EQ(chat.List1.size(), 1);
    EXPECT_TRUE(chat.List1[0].contains(u"Ahoj robote, jak se máš?"_s));
}
