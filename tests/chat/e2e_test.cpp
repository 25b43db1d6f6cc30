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

// The command lines of the running processes whose environment names this
// program folder, as any local user sees them in the process list.
QStringList commandLinesIn(const QString& programDir)
{
    QStringList found;
    const QByteArray marker = "ZUV_PROGRAM_DIR=" + QFile::encodeName(programDir) + '\0';
    for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        if (!pid.front().isDigit())
            continue;
        QFile environ(u"/proc/"_s + pid + u"/environ"_s);
        if (!environ.open(QIODevice::ReadOnly) || !environ.readAll().contains(marker))
            continue;
        QFile cmdline(u"/proc/"_s + pid + u"/cmdline"_s);
        if (cmdline.open(QIODevice::ReadOnly))
            found.append(QString::fromLocal8Bit(cmdline.readAll().replace('\0', ' ')).trimmed());
    }
    return found;
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

    // B's chat window got its arguments, password and all, and no other
    // user can read them from the process list.
    const QStringList commandLines = commandLinesIn(suite.memberB.path());
    EXPECT_TRUE(commandLines.contains(zuvtest::suitePath(u"msg"_s)))
        << commandLines.join(u'\n').toStdString();
    for (const QString& line : commandLines)
        EXPECT_FALSE(line.contains(u"eva"_s)) << line.toStdString();
}

TEST(ChatEndToEnd, TwoWindowsSendingAtOnceKeepTheirOwnAnswers)
{
    ChatE2E suite;
    ASSERT_TRUE(suite.zuvd.started());
    suite.startMessengers(false);
    chat::Form1& toEva = suite.openChatA(u"Eva"_s, u"100002"_s);
    auto toRobot = std::make_unique<chat::Form1>();
    const messenger::ChatContext own{u"100001"_s, u"demo"_s, suite.zuvd.base(), u"demo"_s,
                                     u"11@1"_s};
    ASSERT_TRUE(toRobot->Form_Load(messenger::chatArguments(own, u"Zuv robot"_s, u"100000"_s)));
    for (int round = 0; round < 5; ++round) {
        toEva.Text1.setPlainText(u"pro Evu %1"_s.arg(round));
        toRobot->Text1.setPlainText(u"pro robota %1"_s.arg(round));
        toEva.Command1_Click();
        toRobot->Command1_Click();
    }
    const QString eva = suite.path(u"Cache/100001-100002.htm"_s);
    const QString robot = suite.path(u"Cache/100001-100000.htm"_s);
    ASSERT_TRUE(zuvtest::waitFor(
        [&] {
            return fileText(eva).count(u"<SPAN class=zuv_n>demo:"_s) == 5 &&
                   fileText(robot).count(u"<SPAN class=zuv_n>demo:"_s) == 5;
        },
        20000))
        << fileText(eva).toStdString() << fileText(robot).toStdString();
    EXPECT_FALSE(fileText(eva).contains(u"pro robota"_s));
    EXPECT_FALSE(fileText(robot).contains(u"pro Evu"_s));
    for (int round = 0; round < 5; ++round) {
        EXPECT_TRUE(fileText(eva).contains(u"pro Evu %1"_s.arg(round)));
        EXPECT_TRUE(fileText(robot).contains(u"pro robota %1"_s.arg(round)));
    }
    toRobot->Form_Unload();
    EXPECT_FALSE(QFile::exists(suite.path(u"zuv_add-100001-100000.tt"_s)));
}

TEST(ChatEndToEnd, ATextSentWhileTheServerIsDownComesBack)
{
    ChatE2E suite;
    ASSERT_TRUE(suite.zuvd.started());
    chat::Form1& chat = suite.openChatA(u"Eva"_s, u"100002"_s);
    ASSERT_TRUE(suite.zuvd.stop());
    chat.Text1.setPlainText(u"Jsi tam?"_s);
    chat.Command1_Click();
    ASSERT_TRUE(zuvtest::waitFor([&] { return !chat.isSending(); }, 20000));
    EXPECT_EQ(chat.Text1.toPlainText(), u"Jsi tam?"_s);
    EXPECT_TRUE(chat.WebBrowser1.toPlainText().contains(
        u"Zprávu se nepodařilo odeslat, server neodpovídá."_s));
    EXPECT_FALSE(fileText(suite.path(u"Cache/100001-100002.htm"_s)).contains(u"nepodařilo"_s));
}

TEST(ChatEndToEnd, TheRobotAnswersAndItsAnswerComesToTheOpenWindow)
{
    ChatE2E suite;
    ASSERT_TRUE(suite.zuvd.started());
    suite.startMessengers(false);
    chat::Form1& chat = suite.openChatA(u"Zuv robot"_s, u"100000"_s);
    const QString history = suite.path(u"Cache/100001-100000.htm"_s);
    // "=" and "#" (which goes as "*./=/") reach the server whole.
    const QString texts[] = {u"Ahoj robote, jak se máš?"_s, u"Ahoj #1, a=b == c?"_s,
                             u"žluťoučký kůň /@/ 1+1=2"_s};
    for (const QString& text : texts) {
        const qsizetype before = fileText(history).count(u"<SPAN class=zuv_t>"_s);
        chat.Text1.setPlainText(text);
        chat.Command1_Click();
        ASSERT_TRUE(zuvtest::waitFor(
            [&] { return fileText(history).count(u"<SPAN class=zuv_t>"_s) > before; }, 15000))
            << chat.List1.join(u'|').toStdString()
            << " windows: " << ListWindows().join(u'|').toStdString();
        // The sent text stands above the answer to it, and whole.
        const QString page = fileText(history);
        const qsizetype sent = page.lastIndexOf(u"<P class=text>"_s + text + u"  </P>"_s);
        const qsizetype answer = page.lastIndexOf(u"<SPAN class=zuv_t>Zuv robot:</SPAN>"_s);
        EXPECT_GE(sent, 0) << text.toStdString() << "\n" << page.toStdString();
        EXPECT_LT(sent, answer) << text.toStdString();
        EXPECT_TRUE(page.mid(answer).contains(u"Tvoje zpráva došla: "_s + text))
            << page.mid(answer).toStdString();
    }
    EXPECT_TRUE(chat.WebBrowser1.toPlainText().contains(u"tady Zuv robot"_s));
    ASSERT_EQ(chat.List1.size(), 3);
    EXPECT_TRUE(chat.List1[0].contains(u"Ahoj robote, jak se máš?"_s));
}
