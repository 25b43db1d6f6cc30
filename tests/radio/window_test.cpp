// The player window driven in-process: start-up and exit with the options
// file, skins, the commands of the other programs, the listening report.
#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QTimer>
#include <core/skinfile.h>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/codepage.h>
#include <foundation/gui/media/mediaplayer.h>
#include <foundation/loginlink.h>
#include <foundation/optionkeys.h>
#include <foundation/optionsfile.h>
#include <gtest/gtest.h>
#include <memory>
#include <menus.h>
#include <sorvanta.h>
#include <support/processes.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::radio;

namespace {

// Fields: id, name, mark, -, country, category, u1 … u5, k1 … k5, web page.
const QString kStation = QStringList{u"123456"_s,
                                     u"Rádio Zkouška"_s,
                                     u"x"_s,
                                     u"x"_s,
                                     u"x"_s,
                                     u"10"_s,
                                     u"http://127.0.0.1:9/u1"_s,
                                     u"http://127.0.0.1:9/u2"_s,
                                     {},
                                     {},
                                     {},
                                     u"64"_s,
                                     u"128"_s,
                                     {},
                                     {},
                                     {},
                                     u"http://radio.example"_s}
                             .join(u"/@/"_s);

// A program folder with the shipped skins, a one-station catalog, a server
// file and an options file of a member.
struct PlayerFixture : zuvtest::TempSuite
{
    explicit PlayerFixture(std::map<int, QString> values = {})
    {
        setEnv("ZUV_AUDIO_OUT", "null");
        copySkins();
        write(u"radios.tt"_s, zuvtest::cp1250(kStation + u"\r\n"_s));
        ServerSettings server;
        server.updateHost = u"127.0.0.1:9"_s;
        server.serverBase = u"http://127.0.0.1:9"_s;
        server.activeInterval = server.passiveInterval = server.thresholdInterval = u"10000"_s;
        write(u"Zuv_Data/zuv_server.tt"_s, server.toLines().join(u"\r\n"_s).toLatin1() + "\r\n");
        values.try_emplace(5, u"100001"_s);
        values.try_emplace(6, u"heslo"_s);
        values.try_emplace(12, u"123456/2"_s);
        values.try_emplace(18, u"on"_s);
        values.try_emplace(21, u"Noc"_s);
        writeOptions(values);
    }
    ~PlayerFixture()
    {
        form.reset();
        messenger.reset();
    }
    void copySkins() const
    {
        const QDir from(QStringLiteral(ZUV_SUITE_DIR) + u"/Zuv_Data/skins"_s);
        for (const QString& skin : from.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QDir().mkpath(data(u"skins/"_s + skin));
            for (const QString& file : QDir(from.filePath(skin)).entryList(QDir::Files))
                QFile::copy(from.filePath(skin + u'/' + file),
                            data(u"skins/"_s + skin + u'/' + file));
        }
        for (const QString& file : from.entryList({u"*.skin"_s}, QDir::Files))
            QFile::copy(from.filePath(file), data(u"skins/"_s + file));
    }
    void writeOptions(const std::map<int, QString>& values) const
    {
        QStringList lines = defaultOptionLines();
        for (const auto& [line, value] : values)
            lines[line] += value;
        write(u"Zuv_Data/options.ini"_s, zuvtest::cp1250(lines.join(u"\r\n"_s) + u"\r\n"_s));
    }
    QString option(OptionKey key) const
    {
        OptionsFile options;
        EXPECT_TRUE(options.load());
        return options.value(key);
    }
    Sorvanta& open(const QString& commandLine = {})
    {
        form = std::make_unique<Sorvanta>();
        EXPECT_TRUE(form->Form_Load(commandLine));
        form->show();
        return *form;
    }
    // A stand-in for the messenger's window; it keeps what it is sent.
    void publishMessenger()
    {
        messenger = std::make_unique<BusWindow>();
        messenger->setHandler([this](quint32, quint64, const QByteArray& bytes) {
            toMessenger << CodePage::decode(bytes);
            return qint64(-1);
        });
        ASSERT_TRUE(messenger->publish(u"Zuv - Sorvanta"_s));
    }
    qint64 send(const QString& command) const
    {
        return SendCopyData(FindWindowA(u"Sorvanta"_s), command).value_or(0);
    }
    QStringList shell() const { return zuvtest::logLines(shellLog()); }
    QList<QJsonObject> boxes() const
    {
        QList<QJsonObject> result;
        for (const QString& line : zuvtest::logLines(msgBoxLog()))
            result.append(QJsonDocument::fromJson(line.toUtf8()).object());
        return result;
    }

    std::unique_ptr<Sorvanta> form;
    std::unique_ptr<BusWindow> messenger;
    QStringList toMessenger;
};

} // namespace

TEST(PlayerWindow, StartsWithItsSkinAndStartsTheMessenger)
{
    PlayerFixture suite({{22, u"1500"_s}, {23, u"3000"_s}, {20, u"21"_s}});
    Sorvanta& form = suite.open();
    EXPECT_EQ(form.size(), QSize(330, 150));
    EXPECT_EQ(form.pos(), QPoint(100, 200));
    EXPECT_EQ(form.settings().SkinName, u"Noc"_s);
    EXPECT_EQ(form.skinMenu(), (QStringList{u"Den"_s, u"Noc"_s}));
    EXPECT_EQ(form.checkedSkin(), u"Noc"_s);
    EXPECT_EQ(form.volumeLevel(), 2);
    EXPECT_TRUE(form.LineMenu_End.isVisible());
    EXPECT_EQ(form.LineMenu_End.pos(), QPoint(4620 / 15, 45 / 15));
    EXPECT_FALSE(form.LineMenu_End.pixmap().isNull());
    // Idle with no favourites: the tune-in label instead of the list.
    EXPECT_TRUE(form.InfoNaladit.isVisible());
    EXPECT_FALSE(form.Control_List.isVisible());
    EXPECT_FALSE(form.InfoName.isVisible());
    EXPECT_EQ(form.serverBase(), u"http://127.0.0.1:9"_s);
    EXPECT_EQ(suite.shell(), QStringList{u"4\t"_s + suite.dir() + u"\\zuv.exe\tm"_s});
    EXPECT_TRUE(form.startedMessenger());
    EXPECT_TRUE(FindWindowA(u"Sorvanta"_s));
}

TEST(PlayerWindow, SkinFallbacksAndAGarbageSkin)
{
    {
        PlayerFixture suite({{21, u"Neni"_s}});
        EXPECT_EQ(suite.open().settings().SkinName, u"Den"_s) << "the first skin listed";
    }
    {
        PlayerFixture suite({{21, u""_s}, {20, u""_s}});
        Sorvanta& form = suite.open();
        EXPECT_EQ(form.settings().SkinName, u"Den"_s);
        EXPECT_EQ(form.volumeLevel(), 5) << "a volume never saved plays at full volume";
    }
    {
        PlayerFixture suite({{21, u"Zly"_s}});
        suite.write(u"Zuv_Data/skins/Zly.skin"_s,
                    "SVform|abc|-\r\nLineMenu_End|show|x|y\r\nControl_List|show|1|2\r\n"
                    "InfoStatus|1\r\nnonsense\r\n|||\r\nLineMenu_Min|show|30|60\r\n");
        Sorvanta& form = suite.open();
        EXPECT_EQ(form.checkedSkin(), u"Zly"_s);
        EXPECT_FALSE(form.LineMenu_End.isVisible()) << "a line with bad numbers changes nothing";
        EXPECT_TRUE(form.LineMenu_Min.isVisible()) << "its picture folder is missing";
        EXPECT_EQ(form.LineMenu_Min.pos(), QPoint(4, 2));
        form.LoadSkin(u"Den"_s);
        EXPECT_TRUE(form.LineMenu_End.isVisible());
        EXPECT_EQ(form.settings().SkinName, u"Den"_s);
    }
}

TEST(PlayerWindow, WithoutANumberTheMessengerComesFirst)
{
    PlayerFixture suite({{5, u""_s}});
    Sorvanta form;
    EXPECT_FALSE(form.Form_Load({}));
    ASSERT_EQ(suite.boxes().size(), 1);
    EXPECT_EQ(suite.boxes()[0][u"text"_s].toString(), u"Nejprve zapněte Zuv klienta."_s);
    EXPECT_EQ(suite.shell(), QStringList{u"1\t"_s + suite.dir() + u"\\zuv.exe\t"_s});
    EXPECT_FALSE(FindWindowA(u"Sorvanta"_s));
}

TEST(PlayerWindow, CommandsFromOtherPrograms)
{
    PlayerFixture suite;
    Sorvanta& form = suite.open();
    EXPECT_EQ(suite.send(u"id:654321"_s), -1);
    EXPECT_EQ(form.settings().CurrentStationId, u"654321"_s);
    suite.send(u"idk:3"_s);
    EXPECT_EQ(form.settings().CurrentQuality, u"3"_s);
    suite.send(u"ID:999999"_s);
    EXPECT_EQ(form.settings().CurrentStationId, u"654321"_s) << "commands are case-sensitive";

    // A station the catalog lacks plays the address the command brought.
    suite.send(u"remoteplay/@/15/@/2/@/http://127.0.0.1:9/remote/@/x"_s);
    EXPECT_EQ(form.settings().CurrentStationId, u"15"_s);
    EXPECT_EQ(form.settings().CurrentQuality, u"2"_s);
    EXPECT_EQ(form.remoteTitle(), u"x"_s);
    EXPECT_EQ(form.pendingURL(), u""_s) << "taken by the play";
    EXPECT_EQ(form.PlayTL.text(), u"Stop"_s);
    EXPECT_TRUE(form.InfoName.isVisible());
    EXPECT_FALSE(form.InfoNaladit.isVisible());
    EXPECT_TRUE(form.Timer1.isActive());

    // Short commands go as far as they reach.
    suite.send(u"remoteplay/@/123456"_s);
    EXPECT_EQ(form.settings().CurrentStationId, u"123456"_s);
    EXPECT_EQ(form.currentStationName(), u"Rádio Zkouška"_s);
    suite.send(u"remoteplay"_s);
    EXPECT_EQ(form.settings().CurrentStationId, u"123456"_s);

    form.PlayTL_Click();
    EXPECT_EQ(form.PlayTL.text(), u"Zapnout"_s);
    EXPECT_TRUE(form.InfoNaladit.isVisible());

    form.FormMin();
    EXPECT_EQ(form.windowShown(), u"0"_s);
    // Without a tray the window waits on the task bar, never out of reach.
    EXPECT_EQ(form.Tray, nullptr);
    EXPECT_NE(form.windowType(), Qt::Tool);
    EXPECT_TRUE(form.isMinimized());
    suite.send(u"fmax"_s);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.windowShown(), u"1"_s);
}

TEST(PlayerWindow, TheListeningReportAndItsReply)
{
    for (const QString& mode : {u"on"_s, u"off"_s}) {
        PlayerFixture suite({{18, mode}});
        // The scripted answers are used up across the whole test.
        suite.setEnv("ZUV_MSGBOX_ANSWERS", "yes,yes");
        suite.publishMessenger();
        Sorvanta& form = suite.open();
        form.AutoStart(u"123456"_s, u"2"_s);
        suite.write(u"zuvsv.tt"_s, "new:staré\r\ninf:staré\r\n");
        QFile::remove(suite.shellLog());
        form.Timer1_Timer();
        EXPECT_FALSE(QFile::exists(suite.path(u"zuvsv.tt"_s))) << "an old reply is no answer";
        const QString report =
            u"4\tload.exe\thttp://127.0.0.1:9/zuv/sv_all.php?idh=100001&h=heslo&zuvw="_s + mode +
            u"&sv=on&stanice=123456/@/"_s + suite.dir() + u"\\zuvsv.tt"_s;
        const QStringList expected =
            mode == u"on" ? QStringList{u"4\t"_s + suite.dir() + u"\\zuv.exe\tm"_s, report}
                          : QStringList{report};
        EXPECT_EQ(suite.shell(), expected);
        EXPECT_TRUE(form.Timer2.isActive());

        suite.write(u"zuvsv.tt"_s,
                    zuvtest::cp1250(u"new:Čekají 2 zprávy.\r\ninf:Přečtete je v Zuv.\r\n"_s));
        form.Timer2_Timer();
        EXPECT_FALSE(form.Timer2.isActive());
        ASSERT_EQ(suite.boxes().size(), 1);
        EXPECT_EQ(suite.boxes()[0][u"text"_s].toString(),
                  u"Čekají 2 zprávy.\r\nPřečtete je v Zuv.\r\n\r\nChcete zapnout Zuv klienta?"_s);
        EXPECT_EQ(suite.boxes()[0][u"answer"_s].toString(), u"yes"_s);
        EXPECT_EQ(suite.toMessenger, QStringList{u"sv:123456"_s});
    }
}

TEST(PlayerWindow, ExitSavesThePlayersLinesAndAHiddenWindowItsStartPosition)
{
    {
        PlayerFixture suite({{22, u"1500"_s}, {23, u"3000"_s}});
        Sorvanta& form = suite.open();
        form.FormMin();
        form.move(0, 0);
        form.OnTopYES();
        form.VolumeSet(40);
        suite.publishMessenger();
        form.Konec();
        EXPECT_EQ(suite.option(OptionKeys::SVpleft), u"1500"_s);
        EXPECT_EQ(suite.option(OptionKeys::SVptop), u"3000"_s);
        EXPECT_EQ(suite.option(OptionKeys::SVTop), u"1"_s);
        EXPECT_EQ(suite.option(OptionKeys::SVvolume), u"40"_s);
        EXPECT_EQ(suite.option(OptionKeys::SVLast), u"123456/2"_s);
        EXPECT_EQ(suite.option(OptionKeys::Zuvid), u"100001"_s);
        EXPECT_EQ(suite.toMessenger, QStringList{u"zuvend"_s}) << "the player started it";
        EXPECT_FALSE(FindWindowA(u"Sorvanta"_s));
    }
    {
        PlayerFixture suite({{22, u"1500"_s}, {23, u"3000"_s}});
        suite.publishMessenger();
        Sorvanta& form = suite.open();
        form.move(40, 60);
        form.Konec();
        EXPECT_EQ(suite.option(OptionKeys::SVpleft), u"600"_s);
        EXPECT_EQ(suite.option(OptionKeys::SVptop), u"900"_s);
        EXPECT_TRUE(suite.toMessenger.isEmpty()) << "the messenger ran before the player";
    }
}

TEST(PlayerWindow, ButtonsThatStartOtherPrograms)
{
    PlayerFixture suite;
    Sorvanta& form = suite.open();
    form.AutoStart(u"123456"_s, u"1"_s);
    QFile::remove(suite.shellLog());
    form.Control_Rec_Click();
    EXPECT_EQ(suite.shell(),
              QStringList{u"1\t"_s + suite.dir() + u"\\ZuvRecorder.exe\tRádio Zkouška"_s});

    // Mode "2": the messenger is started and the command waits for its window.
    QFile::remove(suite.shellLog());
    QTimer::singleShot(300, [&suite] { suite.publishMessenger(); });
    form.Control_ShowUser_Click();
    EXPECT_EQ(suite.shell(), QStringList{u"1\tzuv.exe\t"_s});
    EXPECT_EQ(suite.toMessenger, QStringList{u"svs:123456"_s});
}

TEST(PlayerWindow, TheConsole)
{
    PlayerFixture suite;
    Sorvanta& form = suite.open();
    form.runConsole(u"vol=60"_s);
    EXPECT_EQ(form.settings().VolumeText, u"60"_s);
    EXPECT_EQ(form.volumeLevel(), 3);
    form.runConsole(u"vol=abc"_s);
    EXPECT_EQ(form.settings().VolumeText, u"60"_s);
    form.runConsole(u"url=http://127.0.0.1:9/not-there"_s);
    EXPECT_EQ(form.PlayTL.text(), u"Stop"_s);
    EXPECT_EQ(form.currentStationName(), u"Zuv - Sorvanta"_s);
    form.runConsole(u"help"_s);
    ASSERT_EQ(suite.boxes().size(), 1);
    EXPECT_TRUE(suite.boxes()[0][u"text"_s].toString().startsWith(u"SVCC - HELP:"_s));
}

TEST(PlayerWindow, ASpoiltServerFileComesBackFromItsCopy)
{
    PlayerFixture suite;
    const QByteArray good = suite.read(u"Zuv_Data/zuv_server.tt"_s);
    suite.write(u"Zuv_Data/zuv_server.tt.tmp"_s, good);
    suite.write(u"Zuv_Data/zuv_server.tt"_s, "jen\r\ndva\r\n");
    suite.open();
    EXPECT_EQ(suite.read(u"Zuv_Data/zuv_server.tt"_s), good);
    const QStringList log = QString::fromLatin1(suite.read(u"Zuv_Data/error.log"_s))
                                .split(u"\r\n"_s, Qt::SkipEmptyParts);
    ASSERT_EQ(log.size(), 1);
    EXPECT_TRUE(log[0].endsWith(u" Sorvanta (LoadOptionsServer) zuv_server.tt"_s)) << log[0];
}

namespace {

QStringList captions(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* item : menu->actions())
        if (item->isVisible())
            texts << (item->isSeparator() ? u"-"_s : item->text());
    return texts;
}

} // namespace

TEST(PlayerMenus, TheMenusAndTheirCaptionsInOrder)
{
    PlayerFixture suite;
    Sorvanta& form = suite.open();
    Menus& m = form.menus();
    EXPECT_EQ(m.windowTitle(), u"SORVANTA"_s);
    EXPECT_FALSE(m.isVisible());
    EXPECT_EQ(captions(m.SV_TrayMenu),
              (QStringList{u"Zapnout"_s, u"Hlasitost"_s, u"-"_s, u"FreeMusic"_s, u"Seznam rádií"_s,
                           u"-"_s, u"Konec"_s}));
    EXPECT_EQ(captions(m.SV_Volume), (QStringList{u"lllllllllllllll"_s, u"llllllllllll"_s,
                                                  u"lllllllll"_s, u"llllll"_s, u"lll"_s, u"O"_s}));
    EXPECT_EQ(
        captions(m.SV_Menu),
        (QStringList{u"Zuvnet"_s, u"-"_s, u"Zobrazit posluchače tohoto rádia"_s,
                     u"Diskuze k rádiové stanici"_s, u"Mám potíže s poslechem..."_s, u"-"_s,
                     u"Mp3 nahrávání"_s, u"Knihovna nahrávek"_s, u"Zuv FreeMusic"_s,
                     u"Přidat nové rádio"_s, u"-"_s, u"Nápověda"_s, u"Skiny"_s, u"Nastavení"_s}));
    EXPECT_EQ(captions(m.SV_Menu_Skins), (QStringList{u"Den"_s, u"Noc"_s}));
    EXPECT_TRUE(m.SV_Menu_Skins->actions().last()->isChecked());
    EXPECT_EQ(captions(m.SV_Menu_Nastaveni),
              (QStringList{u"Zapnout rádio při startu"_s, u"Vždy nahoře"_s, u"Konzole"_s}));
    EXPECT_EQ(
        captions(m.SV_MenuRadia),
        (QStringList{u"Naladit rádio"_s, u"-"_s, u"Zobrazit uživatele poslouchající toto rádio"_s,
                     u"Diskuze k rádiové stanici"_s, u"Mám potíže s poslechem tohoto rádia"_s,
                     u"-"_s, u"Odebrat z oblíbených rádií"_s}));
    EXPECT_EQ(captions(m.SV_MenuPlRaria).first(), u"Web rádia"_s);
    EXPECT_EQ(captions(m.SV_MenuPlRaria).last(), u"Naladit jiné rádio"_s);
}

TEST(PlayerMenus, TheTrayPlayItemFollowsThePlayButton)
{
    PlayerFixture suite;
    Sorvanta& form = suite.open();
    Menus& m = form.menus();
    emit m.SV_TrayMenu->aboutToShow();
    EXPECT_EQ(m.SV_TrayMenu_Play->text(), u"Zapnout"_s);
    EXPECT_FALSE(m.SV_TrayMenu_Play->isEnabled()) << "nothing tuned yet";
    form.AutoStart(u"123456"_s, u"1"_s);
    emit m.SV_TrayMenu->aboutToShow();
    EXPECT_EQ(m.SV_TrayMenu_Play->text(), u"Stop"_s);
    EXPECT_TRUE(m.SV_TrayMenu_Play->isEnabled());
    m.SV_TrayMenu_Play->trigger();
    EXPECT_EQ(form.PlayTL.text(), u"Zapnout"_s);
}

TEST(PlayerMenus, ThePlayingStationsMenuOffersItsQualities)
{
    PlayerFixture suite;
    suite.write(u"radios.tt"_s, zuvtest::cp1250(kStation + u"\r\n"_s +
                                                QStringList{u"654321"_s,
                                                            u"Dvě kvality"_s,
                                                            u"x"_s,
                                                            u"x"_s,
                                                            u"x"_s,
                                                            u"10"_s,
                                                            u"http://127.0.0.1:9/a"_s,
                                                            {},
                                                            u"http://127.0.0.1:9/c"_s,
                                                            {},
                                                            {},
                                                            u"64"_s,
                                                            {},
                                                            u"192"_s,
                                                            {},
                                                            {},
                                                            {}}
                                                    .join(u"/@/"_s) +
                                                u"\r\n"_s));
    Sorvanta& form = suite.open();
    Menus& m = form.menus();
    form.AutoStart(u"654321"_s, u"3"_s);
    form.preparePlayingMenu();
    EXPECT_EQ(captions(m.SV_MenuPlRaria_K), (QStringList{u"64 kbps"_s, u"192 kbps"_s}));
    EXPECT_TRUE(m.SV_MenuPlRaria_K_[2]->isChecked());
    EXPECT_FALSE(m.SV_MenuPlRaria_K_[0]->isChecked());
    EXPECT_EQ(m.SV_MenuPlRaria_www->text(), u"Web rádia"_s);
    EXPECT_FALSE(m.SV_MenuPlRaria_www->isEnabled()) << "a station without web page";
    m.SV_MenuPlRaria_K_[0]->trigger();
    EXPECT_EQ(form.settings().CurrentQuality, u"1"_s);
    EXPECT_EQ(form.WindowsMediaPlayer1.URL(), u"http://127.0.0.1:9/a"_s);
    EXPECT_TRUE(m.SV_MenuPlRaria_K_[0]->isChecked());

    form.AutoStart(u"123456"_s, u"1"_s);
    form.preparePlayingMenu();
    EXPECT_EQ(m.SV_MenuPlRaria_www->text(), u"http://radio.example"_s);
    EXPECT_TRUE(m.SV_MenuPlRaria_www->isEnabled());
}

TEST(PlayerMenus, EachCommandStartsWhatItShould)
{
    PlayerFixture suite;
    Sorvanta& form = suite.open();
    form.AutoStart(u"123456"_s, u"1"_s);
    form.preparePlayingMenu();
    const QString dir = suite.dir();
    const QString account = u"idh=100001&h=heslo"_s;
    struct Row
    {
        QString item;
        QStringList started;
    };
    const Row rows[] = {
        {u"SV_Menu_Zuvnet"_s,
         {u"open\t\thttp://127.0.0.1:9/login/100001/"_s + LoginLink::Heslo(u"heslo"_s) + u"//1"_s}},
        {u"SV_Menu_Disk"_s,
         {u"2\t"_s + dir + u"\\ZuvBrowser.exe\thttp://127.0.0.1:9\\zuv\\diskuze.php?"_s + account +
          u"&t=100000&tid=123456/@/9000/@/9000/@/Diskuze k rádiové stanici: Rádio Zkouška "
          u"(Zuvnet)/@/normal/@/endtestnull/@/"_s}},
        {u"SV_Menu_Potize"_s,
         {u"1\tremind.exe\tRadioOFF/@/123456/@/Rádio Zkouška/@/100001/@/heslo/@/http://127.0.0.1:9"_s}},
        {u"SV_Menu_Mp3rec"_s, {u"1\t"_s + dir + u"\\ZuvRecorder.exe\tRádio Zkouška"_s}},
        {u"SV_Menu_library"_s, {u"1\t"_s + dir + u"\\ZuvRecorder.exe\tl"_s}},
        {u"SV_Menu_GFM"_s,
         {u"2\t"_s + dir + u"\\ZuvBrowser.exe\thttp://127.0.0.1:9\\zuv\\freemusic.php?"_s +
          account + u"/@/14000/@/8000/@/Zuv FreeMusic (Zuvnet)/@/max/@/endtestnull/@/"_s}},
        {u"SV_TrayMenu_FreeMusic"_s,
         {u"2\t"_s + dir + u"\\ZuvBrowser.exe\thttp://127.0.0.1:9\\zuv\\freemusic.php?"_s +
          account + u"/@/14000/@/8000/@/Zuv FreeMusic (Zuvnet)/@/max/@/endtestnull/@/"_s}},
        {u"SV_Menu_SVadd"_s,
         {u"2\t"_s + dir +
          u"\\ZuvBrowser.exe\thttp://127.0.0.1:9/sorvanta.trolvik/user_sv_add.php?"_s + account +
          u"/@/9000/@/9000/@/Přidat nové rádio (Zuvnet)/@/normal/@/endtestnull/@/"_s}},
        {u"SV_Menu_FAQ"_s, {u"open\t\thttp://127.0.0.1:9/faq"_s}},
        {u"SV_MenuPlRaria_www"_s, {u"open\t\thttp://radio.example"_s}},
    };
    for (const Row& row : rows) {
        QFile::remove(suite.shellLog());
        ASSERT_NE(form.menus().item(row.item), nullptr) << row.item;
        form.menus().item(row.item)->trigger();
        EXPECT_EQ(suite.shell(), row.started) << row.item;
    }
    EXPECT_TRUE(suite.boxes().isEmpty());

    // The listeners, from each of the three menus, in mode "2".
    suite.publishMessenger();
    for (const QString& item :
         {u"SV_Menu_ShowUsers"_s, u"SV_MenuPlRaria_Users"_s, u"SV_MenuRadia_ZobrazUzivatele"_s})
        form.menus().item(item)->trigger();
    EXPECT_EQ(suite.toMessenger, QStringList(3, u"svs:123456"_s));
}

TEST(PlayerMenus, WithoutAServerOrAStationTheMenusSaySo)
{
    PlayerFixture suite;
    // A player that never had a server file knows no server.
    QFile::remove(suite.data(u"zuv_server.tt"_s));
    Sorvanta& form = suite.open();
    form.menus().item(u"SV_Menu_Potize"_s)->trigger();
    for (const QString& item : {u"SV_Menu_GFM"_s, u"SV_Menu_Disk"_s, u"SV_Menu_Zuvnet"_s})
        form.menus().item(item)->trigger();
    QStringList texts;
    for (const QJsonObject& box : suite.boxes())
        texts << box[u"text"_s].toString();
    const QString notReady =
        u"(program ještě není úplně zaveden...)\r\nNejprve použujte funkci Naladit rádio."_s;
    EXPECT_EQ(texts, (QStringList{u"Vyberte stanici, s kterou máte potíže a klikněte na položku v "
                                  u"menu: 'Mám potíže s poslechem tohoto rádia'\r\nPokud máte "
                                  u"potíže s poslechem nějaké rádiové stanice, tak se přepněte do "
                                  u"seznamu všech stanic."_s,
                                  notReady, notReady, notReady}));
    EXPECT_TRUE(suite.shell().filter(u"ZuvBrowser"_s).isEmpty());
}

TEST(PlayerMenus, SwitchesSkinsVolumeAndFavourites)
{
    PlayerFixture suite;
    Sorvanta& form = suite.open();
    Menus& m = form.menus();
    m.item(u"SV_Menu_Nastaveni_AutoStart"_s)->trigger();
    EXPECT_EQ(form.settings().AutoStartFlag, u"1"_s);
    EXPECT_TRUE(m.SV_Menu_Nastaveni_AutoStart->isChecked());
    m.item(u"SV_Menu_Nastaveni_AutoStart"_s)->trigger();
    EXPECT_EQ(form.settings().AutoStartFlag, u"0"_s);
    EXPECT_FALSE(m.SV_Menu_Nastaveni_AutoStart->isChecked());
    m.item(u"SV_Menu_Nastaveni_OnTop"_s)->trigger();
    EXPECT_EQ(form.settings().OnTopFlag, u"1"_s);
    EXPECT_TRUE(m.SV_Menu_Nastaveni_OnTop->isChecked());
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    m.Volume[3]->trigger();
    EXPECT_EQ(form.settings().VolumeText, u"60"_s);
    EXPECT_TRUE(m.Volume[3]->isChecked());
    EXPECT_FALSE(m.Volume[5]->isChecked());
    m.SV_Menu_Skins->actions().at(1)->trigger(); // "Den"
    EXPECT_EQ(form.settings().SkinName, u"Den"_s);
    EXPECT_TRUE(m.SV_Menu_Skins->actions().at(1)->isChecked());

    // A favourite's menu: its name, and the removal.
    m.item(u"SV_MenuRadia_Delete"_s)->trigger();
    EXPECT_TRUE(suite.boxes().isEmpty()) << "no favourite chosen yet";
    suite.write(u"list.tt"_s, "\r\nsv:123456/2\r\n");
    form.ZobrazOblibene();
    // The right button selects the entry under the mouse and opens its menu.
    form.show();
    form.Control_List.show();
    const QPoint entry = form.Control_List.visualItemRect(form.Control_List.item(0)).center();
    QMouseEvent press(QEvent::MouseButtonPress, entry,
                      form.Control_List.viewport()->mapToGlobal(entry), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.Control_List.viewport(), &press);
    EXPECT_EQ(form.selectedFavourite(), u"sv:123456/2"_s);
    QMouseEvent release(QEvent::MouseButtonRelease, entry,
                        form.Control_List.viewport()->mapToGlobal(entry), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form.Control_List.viewport(), &release);
    EXPECT_TRUE(m.SV_MenuRadia->isVisible());
    EXPECT_EQ(m.SV_MenuRadia_Naladit->text(), u"Naladit rádio Rádio Zkouška"_s);
    m.SV_MenuRadia->hide();
    m.SV_MenuRadia_Naladit->trigger();
    EXPECT_EQ(form.PlayTL.text(), u"Stop"_s);
    m.item(u"SV_MenuRadia_Delete"_s)->trigger();
    EXPECT_EQ(suite.read(u"list.tt"_s), "\r\n");
}
