// The messenger's windows driven in-process: the login dialog's replies and
// time-out, and the refresh timer's choices.
#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <form1.h>
#include <form2.h>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/codepage.h>
#include <foundation/optionsfile.h>
#include <gtest/gtest.h>
#include <support/processes.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::messenger;

namespace {

QList<QJsonObject> boxes(const zuvtest::TempSuite& suite)
{
    QList<QJsonObject> result;
    for (const QString& line : zuvtest::logLines(suite.msgBoxLog()))
        result.append(QJsonDocument::fromJson(line.toUtf8()).object());
    return result;
}

struct LoginFixture : zuvtest::TempSuite
{
    LoginFixture() : dialog(u"http://127.0.0.1:9"_s, u"100001"_s, u""_s, u""_s)
    {
        setEnv("ZUV_ONLINE", "1");
        dialog.IDText.setText(u"Šárka"_s);
        dialog.HText.setText(u"heslo & #1"_s);
    }
    Form2 dialog;
};

} // namespace

TEST(LoginDialog, SendsTheLoginAsTypedAndDropsAnOldReply)
{
    LoginFixture suite;
    suite.write(u"zuvlogin.tt"_s, "zuvok:staré\r\n");
    suite.dialog.Command1_Click();
    EXPECT_FALSE(QFile::exists(suite.path(u"zuvlogin.tt"_s)));
    EXPECT_FALSE(suite.dialog.Command1.isEnabled());
    EXPECT_FALSE(suite.dialog.IDText.isEnabled());
    EXPECT_EQ(
        zuvtest::logLines(suite.shellLog()),
        QStringList{u"4\tload.exe\thttp://127.0.0.1:9/zuv/login.php?id=Šárka&h=heslo & #1/@/"_s +
                    suite.dir() + u"/zuvlogin.tt"_s});
    EXPECT_TRUE(suite.dialog.Timer1.isActive());
    EXPECT_TRUE(suite.dialog.Timer2.isActive());
}

TEST(LoginDialog, TheThreeReplyKinds)
{
    {
        LoginFixture suite;
        suite.dialog.Command1_Click();
        suite.write(u"zuvlogin.tt"_s, zuvtest::cp1250(u"zuvid:100007\r\nzuvok:Vítejte!\r\n"_s));
        suite.dialog.Timer1_Timer();
        EXPECT_EQ(suite.dialog.number(), u"100007"_s);
        EXPECT_EQ(suite.dialog.password(), u"heslo & #1"_s);
        EXPECT_EQ(suite.dialog.result(), QDialog::Accepted);
        const auto shown = boxes(suite);
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0][u"text"_s].toString(), u"Vítejte!"_s);
        EXPECT_EQ(shown[0][u"icon"_s].toString(), u"information"_s);
    }
    {
        LoginFixture suite;
        suite.dialog.Command1_Click();
        suite.write(u"zuvlogin.tt"_s, "zuvid:100008\r\n");
        suite.dialog.Timer1_Timer();
        EXPECT_EQ(suite.dialog.number(), u"100008"_s);
        EXPECT_EQ(suite.dialog.password(), u""_s) << "no zuvok: the dialog keeps waiting";
        EXPECT_FALSE(suite.dialog.Timer1.isActive());
        EXPECT_TRUE(boxes(suite).isEmpty());
    }
    {
        LoginFixture suite;
        suite.dialog.Command1_Click();
        suite.write(u"zuvlogin.tt"_s, zuv::CodePage::encode(u"zuvx:Špatné heslo.\r\n"_s));
        suite.dialog.Timer1_Timer();
        const auto shown = boxes(suite);
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown[0][u"text"_s].toString(), u"Špatné heslo."_s);
        EXPECT_EQ(shown[0][u"icon"_s].toString(), u"critical"_s);
        EXPECT_TRUE(suite.dialog.Command1.isEnabled()) << "a refusal lets the user try again";
        EXPECT_NE(suite.dialog.result(), QDialog::Accepted);
    }
}

TEST(LoginDialog, TimeOutWithoutAReply)
{
    LoginFixture suite;
    suite.dialog.Command1_Click();
    suite.dialog.Timer2_Timer();
    const auto shown = boxes(suite);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0][u"text"_s].toString().startsWith(
        u"Program nemohl navázat spojení se vzdáleným serverem.\r\n"_s));
    EXPECT_EQ(shown[0][u"icon"_s].toString(), u"none"_s);
    EXPECT_TRUE(suite.dialog.Command1.isEnabled());

    // Off line nothing is said, but the controls come back all the same.
    LoginFixture offline;
    offline.setEnv("ZUV_ONLINE", "0");
    offline.dialog.Command1_Click();
    offline.dialog.Timer2_Timer();
    EXPECT_TRUE(boxes(offline).isEmpty());
    EXPECT_TRUE(offline.dialog.HText.isEnabled());
}

TEST(MainWindow, RefreshRequestAndFastModeOnTheTimer)
{
    zuvtest::TempSuite suite;
    suite.setEnv("ZUV_ONLINE", "1");
    Form1 form;
    form.settings().Zuvid = u"100001"_s;
    form.settings().Zuvpass = u"demo"_s;
    form.settings().Zuvnalada = u":)"_s;
    form.settings().Zuvrezim = u"0"_s;
    form.cycle().setIntervals(u"10000"_s, u"30000"_s, u"2000"_s);
    suite.write(u"zuv.tt"_s, "online:5\r\n");

    form.Timer1_Timer();
    EXPECT_EQ(form.requestPending(), u"1"_s);
    EXPECT_FALSE(QFile::exists(suite.path(u"zuv.tt"_s))) << "an old reply is never replayed";
    QStringList starts = zuvtest::logLines(suite.shellLog());
    ASSERT_EQ(starts.size(), 1);
    EXPECT_TRUE(starts[0].startsWith(u"4\tload2.exe\t/zuv/all.php?id=100001&h=demo&aktualizace="
                                     "&radio=off&nalada=:)&zuvrezim=0&ws=1&build=100018/@/"_s))
        << starts[0].toStdString();
    EXPECT_EQ(form.Timer1.interval(), 10000);

    // A tick at once still waits: the downloader may not have its window yet.
    form.Timer1_Timer();
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()).size(), 1);
    // The downloader "ends" (no window) and a tick after it had time to come
    // up processes the reply of the request that was made, then asks for
    // messages only.
    suite.write(u"zuv.tt"_s, zuv::CodePage::encode(u"online:7\r\nmynick:Šárka\r\n"_s));
    zuvtest::waitFor([] { return false; }, 1600);
    form.Timer1_Timer();
    EXPECT_EQ(form.StatusOnline.text(), u"V Zuv je právě online: 7"_s);
    EXPECT_EQ(form.settings().Zuvnick, u"Šárka"_s);
    starts = zuvtest::logLines(suite.shellLog());
    ASSERT_EQ(starts.size(), 2);
    EXPECT_TRUE(starts[1].contains(u"/zuv/all_msg.php?"_s));

    // A chat window reports itself: fast interval until four ticks pass without.
    form.MSGseOzvalo();
    EXPECT_EQ(form.Timer1.interval(), 2000);
    for (int tick = 0; tick < 4; ++tick)
        form.Timer1_Timer();
    EXPECT_FALSE(form.cycle().fastMode());
    form.Timer1_Timer();
    EXPECT_EQ(form.Timer1.interval(), 10000);
}

TEST(MainWindow, CommandsFromTheBus)
{
    zuvtest::TempSuite suite;
    suite.setEnv("ZUV_ONLINE", "1");
    Form1 form;
    form.bus().publish(u"Zuv - Sorvanta"_s);
    form.SetSubclass(true);
    auto send = [](const QString& text) {
        return zuv::SendCopyData(zuv::FindWindowA(u"Zuv - Sorvanta"_s), text);
    };
    EXPECT_EQ(send(u"sv:abc123"_s), -1);
    EXPECT_EQ(form.stationHeard(), u"abc123"_s);
    EXPECT_EQ(send(u"msgon"_s), -1);
    EXPECT_TRUE(form.cycle().fastMode());
    form.hide();
    EXPECT_EQ(send(u"FmaxXYZ"_s), -1);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(send(u"dwokX"_s), -1);
    EXPECT_EQ(send(u"zuvendnow"_s), -1);
    EXPECT_TRUE(form.Timer3.isActive());
    form.Timer3.stop();
}

TEST(MainWindow, GoingOnLineStartsTheRadioAndItsPlayWaitsForTheWindow)
{
    zuvtest::TempSuite suite;
    suite.setEnv("ZUV_ONLINE", "1");
    Form1 form;
    form.settings().ZuvsvStart = u"1"_s;
    EXPECT_TRUE(form.TestOnLine());
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()),
              QStringList{u"1\t"_s + suite.dir() + u"\\sorvanta.exe\t"_s});
    EXPECT_TRUE(form.TestOnLine()) << "still on line: no second start";
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()).size(), 1);

    // The player's window comes up a moment after its start.
    QStringList received;
    zuv::BusWindow player;
    player.setHandler([&received](quint32, quint64, const QByteArray& bytes) {
        received << QString::fromLatin1(bytes);
        return qint64(-1);
    });
    QTimer::singleShot(600, [&player] { player.publish(u"Sorvanta"_s); });
    EXPECT_TRUE(zuvtest::waitFor([&] { return !received.isEmpty(); }));
    EXPECT_EQ(received, QStringList{u"play"_s});
}

TEST(MainWindow, BadRepliesAreProcessedWithoutACrash)
{
    zuvtest::TempSuite suite;
    Form1 form;
    QByteArray reply;
    for (int i = 0; i < 256; ++i)
        reply += char(i); // binary garbage, with a NUL and bare CRs in it
    reply += "\r\n" + QByteArray(1024 * 1024, 'x') + "\r\n"; // a 1 MB line
    reply += ">Zuv>\r\n>MsG>\r\n>MsG>100002\r\n>WWW>\r\n>SVPlay>\r\n>FiQ>\r\ntimerakta:\r\n"
             "timeraktc:abc\r\nonline:\r\nmynick:\r\n";
    for (int i = 0; i < 5000; ++i)
        reply += "?neznámý záznam " + QByteArray::number(i) + "\r\n";
    suite.write(u"zuv.tt"_s, reply);
    form.ZpracujData();
    // The loop guard speaks at the 999th line and every 999 after it.
    const QStringList texts = [&] {
        QStringList t;
        for (const QJsonObject& box : boxes(suite))
            t << box[u"text"_s].toString();
        return t;
    }();
    EXPECT_EQ(texts, QStringList(5, u"Chyba #1"_s));
    EXPECT_EQ(form.cycle().activeInterval(), 10000) << "an empty interval is no interval";
    EXPECT_EQ(form.cycle().fastInterval(), 2000);
    // A missing reply file is skipped quietly.
    QFile::remove(suite.path(u"zuv.tt"_s));
    form.ZpracujData();
    EXPECT_EQ(boxes(suite).size(), 5);
}

TEST(LoginDialog, EnterInABoxLogsInAndNothingElse)
{
    LoginFixture suite;
    suite.dialog.show();
    suite.dialog.activateWindow();
    ASSERT_TRUE(zuvtest::waitFor([&] { return suite.dialog.isActiveWindow(); }));
    for (QLineEdit* box : {&suite.dialog.HText, &suite.dialog.IDText}) {
        box->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), box);
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
        QApplication::sendEvent(box, &enter);
        const QStringList starts = zuvtest::logLines(suite.shellLog());
        ASSERT_EQ(starts.size(), 1) << starts.join(u'\n').toStdString();
        EXPECT_TRUE(starts[0].startsWith(u"4\tload.exe\t"_s));
        // The server says no: the boxes come back, and the password box is
        // ready for the next attempt.
        suite.write(u"zuvlogin.tt"_s, "zuvx:ne\r\n");
        suite.dialog.Timer1_Timer();
        EXPECT_TRUE(suite.dialog.HText.isEnabled());
        EXPECT_EQ(QApplication::focusWidget(), &suite.dialog.HText);
        QFile::remove(suite.shellLog());
    }
}

TEST(MainWindow, WithoutATrayHiddenMeansMinimisedOnTheTaskBar)
{
    zuvtest::TempSuite suite;
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "the offscreen desktop has none";
    suite.setEnv("ZUV_ONLINE", "0"); // no server: start-up only
    OptionsFile options(suite.data(u"options.ini"_s));
    options.load();
    options.save({{OptionKeys::Zuvid, u"100001"_s}, {OptionKeys::Zuvpass, u"demo"_s}});
    Form1 form;
    ASSERT_TRUE(form.Form_Load(u"m"_s)); // as with the desktop session: hidden
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.isMinimized());
    EXPECT_EQ(form.settings().Zuvmode, u"0"_s);
    form.ZuvMinMax(); // the tray's click, or the task bar's
    EXPECT_FALSE(form.isMinimized());
    EXPECT_EQ(form.settings().Zuvmode, u"1"_s);
    form.close(); // the close box only puts it away
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(form.isMinimized());
}

TEST(MainWindow, StartUpWritesTheMarkersSwitchAtOnceAndKeepsAnUnchangedGeometry)
{
    zuvtest::TempSuite suite;
    suite.setEnv("ZUV_ONLINE", "0"); // no server: start-up only
    OptionsFile options(suite.data(u"options.ini"_s));
    options.load();
    options.save({{OptionKeys::Zuvid, u"100001"_s},
                  {OptionKeys::Zuvpass, u"demo"_s},
                  {OptionKeys::Zuv, u"on"_s},
                  {OptionKeys::ZuvHeight, u"7000"_s},
                  {OptionKeys::ZuvFx, u"1000"_s},
                  {OptionKeys::ZuvFy, u"1010"_s}});
    suite.write(u"Zuv_Data/gstzuv.tt"_s, "1");
    Form1 form;
    ASSERT_TRUE(form.Form_Load(QString()));
    options.load();
    EXPECT_EQ(options.value(OptionKeys::Zuv), u"off"_s) << "saved before any other save";
    EXPECT_FALSE(QFile::exists(suite.data(u"gstzuv.tt"_s)));

    // A save (here on a new nickname) keeps what the user did not change.
    suite.write(u"zuv.tt"_s, "mynick:nový\r\n");
    form.ZpracujData();
    options.load();
    EXPECT_EQ(options.value(OptionKeys::ZuvHeight), u"7000"_s);
    EXPECT_EQ(options.value(OptionKeys::ZuvFx), u"1000"_s);
    EXPECT_EQ(options.value(OptionKeys::ZuvFy), u"1010"_s);
    // A real change is saved in twips.
    form.resize(form.width(), 500);
    suite.write(u"zuv.tt"_s, "mynick:jiný\r\n");
    form.ZpracujData();
    options.load();
    EXPECT_EQ(options.value(OptionKeys::ZuvHeight), u"7500"_s);
}

TEST(MainWindow, GeometryHintsAndTheNewVersionPanel)
{
    zuvtest::TempSuite suite;
    Form1 form;
    form.show();
    form.resize(400, 100); // 15 twips a pixel
    EXPECT_EQ(form.width(), 2790 / 15);
    EXPECT_EQ(form.height(), 3495 / 15);
    EXPECT_EQ(form.height() - form.StatusOnline.y(), 780 / 15);
    form.resize(form.width(), 600);
    EXPECT_EQ(form.height() - form.StatusOnline.y(), 780 / 15);
    EXPECT_EQ(form.StatusOnline.text(), u"Připraven..."_s);

    const std::pair<QWidget*, QString> hints[] = {{&form.Image1, u"Vyhledat uživatele"_s},
                                                  {&form.Image2, u"Hlavní menu"_s},
                                                  {&form.CMDnalada, u"Nastavit smailíka"_s}};
    for (const auto& [control, hint] : hints) {
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(control, &enter);
        EXPECT_EQ(form.Status.text(), hint);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(control, &leave);
        EXPECT_EQ(form.Status.text(), u""_s);
    }

    // The panel stands in the tree's place until either of its links.
    suite.write(u"zuv.tt"_s, "zuvnewversion\r\n");
    form.ZpracujData();
    EXPECT_TRUE(form.NewVerForm.isVisible());
    EXPECT_FALSE(form.TreeView1.isVisible());
    EXPECT_EQ(form.NewVerText.text(), u"Je k dispozici nová verze programu Zuv - Sorvanta."_s);
    QMouseEvent click(QEvent::MouseButtonRelease, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&form.NewVerDownload, &click);
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()),
              QStringList{u"open\t\t/zuv/newver.php?build=100018"_s});
    EXPECT_FALSE(form.NewVerForm.isVisible());
    EXPECT_TRUE(form.TreeView1.isVisible());
}
