// The chat window driven in-process: start-up, messages over the bus, the
// send through the real downloader, the buttons and the view.
#include <QApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <atomic>
#include <core/historypage.h>
#include <csignal>
#include <cstdio>
#include <form1.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <memory>
#include <support/processes.h>
#include <support/sessionbus.h>
#include <support/tempsuite.h>
#include <support/testhttpserver.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::chat;

namespace {

const QString kTitle = u"Eva [100002]"_s;
const QString kEnd = u"<A name=zuv_end></A></BODY></HTML>"_s;
const QString kReplyFile = u"zuv_add-100001-100002.tt"_s;

struct ChatFixture : zuvtest::TempSuite
{
    ChatFixture()
    {
        setEnv("ZUV_SOUND_LOG", QFile::encodeName(path(u"sound.log"_s)));
        QDir(dir()).mkpath(u"Zuv_Data/img/sm"_s);
        QFile::copy(QStringLiteral(ZUV_SUITE_DIR) + u"/Zuv_Data/img/sm/03.gif"_s,
                    data(u"img/sm/03.gif"_s));
    }
    QString arguments(const QString& tail = u"14@1"_s, const QString& server = u"http://s"_s) const
    {
        return kTitle + u"/@/100001/@/heslo/@/"_s + server + u"/@/Eva/@/Já/@/100002/@/"_s + tail;
    }
    Form1& open(const QString& tail = u"14@1"_s, const QString& server = u"http://s"_s)
    {
        form = std::make_unique<Form1>();
        EXPECT_TRUE(form->Form_Load(arguments(tail, server)));
        return *form;
    }
    std::optional<qint64> send(const QString& text, quint32 dwData = 1) const
    {
        return SendMessageA(FindWindowA(kTitle), dwData, CodePage::encode(text), 0);
    }
    QString history() const { return CodePage::decode(read(u"Cache/100001-100002.htm"_s)); }
    QStringList sounds() const { return zuvtest::logLines(path(u"sound.log"_s)); }

    std::unique_ptr<Form1> form;
};

QString receivedEntry(const QString& time, const QString& text)
{
    return historyEntry(u"from"_s, u"Eva"_s, time, text);
}

} // namespace

TEST(ChatWindow, StartsWithAnEmptyPageUnderItsCaption)
{
    ChatFixture suite;
    Form1& form = suite.open(u"14@1"_s);
    EXPECT_EQ(suite.history(), emptyHistoryPage(u"14"_s) + u"\r\n"_s);
    EXPECT_TRUE(FindWindowA(kTitle));
    EXPECT_EQ(form.windowTitle(), kTitle);
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), u"Zuv: Eva"_s);
    EXPECT_EQ(form.SoundFlag(), u"1"_s);
    EXPECT_TRUE(form.Timer1.isActive());
    EXPECT_TRUE(form.Timer2.isActive());
    EXPECT_FALSE(form.WaitForAns.isActive());
    EXPECT_FALSE(form.Image20.isVisibleTo(&form));
    EXPECT_TRUE(form.WebBrowser1.showsPage());
}

TEST(ChatWindow, ReopeningTheSameTwoIdsShowsTheEarlierConversation)
{
    ChatFixture suite;
    suite.open();
    suite.send(u">MsG>100002/@/Eva/@/2026-12-09 07:05:03/@/Ahoj znovu"_s);
    suite.form.reset();
    EXPECT_FALSE(FindWindowA(kTitle));
    Form1& again = suite.open(u"20@0"_s);
    EXPECT_TRUE(again.WebBrowser1.toPlainText().contains(u"Ahoj znovu"_s));
    // The page keeps the font size it was made with.
    EXPECT_TRUE(suite.history().contains(u"FONT-SIZE: 14px}"_s));
}

TEST(ChatWindow, AMessageArrivesWholeWithItsSmileyLinkAndSound)
{
    ChatFixture suite;
    Form1& form = suite.open();
    EXPECT_EQ(suite.send(u">MsG>100002/@/Eva/@/2026-12-09 07:05:03/@/Ahoj **03 www.example.cz "
                         "*.and *.u1 a/@/b"_s),
              -1);
    EXPECT_EQ(form.List1, QStringList{u"07:05:03 (09.12.26): Ahoj **03 www.example.cz *.and *.u1 "
                                      "a/@/b"_s});
    const QString picture =
        u"<img src='"_s + suite.dir() + u"\\Zuv_Data\\img\\sm\\03.gif'></img>"_s;
    const QString link =
        u"<a target=_blank href='http://www.example.cz'>http://www.example.cz</a>"_s;
    EXPECT_TRUE(suite.history().endsWith(
        receivedEntry(u"07:05:03 (09.12.26)"_s,
                      u"Ahoj "_s + picture + u" "_s + link + u" & *.u1 a/@/b "_s) +
        kEnd + u"\r\n"_s));
    EXPECT_EQ(form.LastURL(), u"http://www.example.cz"_s);
    EXPECT_TRUE(form.Image20.isVisibleTo(&form));
    EXPECT_EQ(form.Image20.toolTip(), u"Otevřít poslední přijatou/odeslanou URL"_s);
    EXPECT_EQ(suite.sounds(), QStringList{suite.data(u"0001.wav"_s)});

    // The view shows it, the picture loaded from the program folder.
    EXPECT_TRUE(form.WebBrowser1.toPlainText().contains(u"& *.u1 a/@/b"_s));
    EXPECT_TRUE(form.WebBrowser1.toHtml().contains(u"href=\"http://www.example.cz\""_s));
    const QVariant image = form.WebBrowser1.document()->resource(
        QTextDocument::ImageResource, QUrl(suite.dir() + u"\\Zuv_Data\\img\\sm\\03.gif"_s));
    EXPECT_FALSE(image.value<QImage>().isNull());
}

TEST(ChatWindow, FmaxRestoresOtherTextsAndForeignDataAreLogged)
{
    ChatFixture suite;
    Form1& form = suite.open();
    form.showMinimized();
    const QString before = suite.history();
    EXPECT_EQ(suite.send(u"Fmax"_s), -1);
    EXPECT_FALSE(form.windowState() & Qt::WindowMinimized);
    EXPECT_EQ(suite.history(), before);
    EXPECT_TRUE(form.List1.isEmpty());

    EXPECT_EQ(suite.send(u"Fmax"_s, 7), -1);
    EXPECT_EQ(form.List1, QStringList{u"CHYBA: Neznámá data"_s});
    EXPECT_EQ(suite.history(), before);

    // Any other text, "fmax" too, is a message; without a nick it is the member's.
    suite.send(u"fmax"_s);
    EXPECT_EQ(form.List1.size(), 2);
    EXPECT_TRUE(
        suite.history().endsWith(historyEntry(u"from"_s, u"Já"_s, {}, u" "_s) + kEnd + u"\r\n"_s));
}

TEST(ChatWindow, TheSoundFollowsTheFlagAndItsButton)
{
    ChatFixture suite;
    Form1& form = suite.open(u"14@0"_s);
    suite.send(u"1/@/Eva/@/t/@/tiše"_s);
    EXPECT_TRUE(suite.sounds().isEmpty());
    form.Image1_Click();
    EXPECT_EQ(form.SoundFlag(), u"1"_s);
    suite.send(u"1/@/Eva/@/t/@/nahlas"_s);
    EXPECT_EQ(suite.sounds().size(), 1);
    form.Image1_Click();
    EXPECT_EQ(form.SoundFlag(), u"0"_s);
}

TEST(ChatWindow, AnEntryIsAddedToTheShownPageWithoutRenderingItAgain)
{
    ChatFixture suite;
    Form1& form = suite.open();
    suite.send(u"1/@/Eva/@/t/@/první"_s);
    QTextDocument* document = form.WebBrowser1.document();
    document->firstBlock().setUserState(42); // a full render would drop it
    const int blocks = document->blockCount();
    suite.send(u"1/@/Eva/@/t/@/druhá"_s);
    EXPECT_EQ(document->firstBlock().userState(), 42);
    EXPECT_GT(document->blockCount(), blocks);
    EXPECT_TRUE(form.WebBrowser1.toPlainText().endsWith(u"druhá "_s));
    // The header of the added entry keeps its colour.
    QTextBlock header = document->lastBlock();
    while (header.isValid() && !header.text().startsWith(u"Eva:"_s))
        header = header.previous();
    EXPECT_EQ(header.blockFormat().background().color(), QColor(u"#dbedba"_s));
}

TEST(ChatWindow, ALongHistoryShowsItsEndAndEarlierEntriesOnTheWayUp)
{
    ChatFixture suite;
    QString page = emptyHistoryPage(u"11"_s).chopped(kEnd.size());
    for (int i = 0; i < 450; ++i)
        page += historyEntry(u"from"_s, u"Eva"_s, u"t"_s, u"zpráva %1"_s.arg(i));
    suite.write(u"Cache/100001-100002.htm"_s, CodePage::encode(page + kEnd + u"\r\n"_s));
    Form1& form = suite.open();
    form.show();
    QApplication::processEvents();
    const QString shown = form.WebBrowser1.toPlainText();
    EXPECT_TRUE(shown.contains(u"zpráva 449"_s));
    EXPECT_FALSE(shown.contains(u"zpráva 249\n"_s));
    QScrollBar* bar = form.WebBrowser1.verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->setValue(bar->minimum()); // the user scrolls up: the page goes on
    EXPECT_TRUE(form.WebBrowser1.toPlainText().contains(u"zpráva 249\n"_s));
    EXPECT_GT(bar->value(), bar->minimum()); // what was seen stays where it was
    while (form.WebBrowser1.showEarlier())
        ;
    const QString all = form.WebBrowser1.toPlainText();
    EXPECT_TRUE(all.startsWith(u"Eva: t\nzpráva 0\n"_s)) << all.left(40).toStdString();
    EXPECT_EQ(all.count(u"Eva: t"_s), 450);
    // Each entry once, in order, and the headers keep their colour.
    EXPECT_LT(all.indexOf(u"zpráva 249\n"_s), all.indexOf(u"zpráva 250\n"_s));
    int headers = 0;
    for (QTextBlock b = form.WebBrowser1.document()->begin(); b.isValid(); b = b.next())
        headers += b.text().startsWith(u"Eva:"_s) &&
                   b.blockFormat().background().color() == QColor(u"#dbedba"_s);
    EXPECT_EQ(headers, 450);
}

TEST(ChatWindow, ThePageLoadsNoPictureFromOutsideTheProgramFolder)
{
    ChatFixture suite;
    QTemporaryDir outside;
    const QString picture = outside.path() + u"/03.gif"_s;
    QFile::copy(suite.data(u"img/sm/03.gif"_s), picture);
    Form1& form = suite.open();
    form.show();
    const QStringList names{u"/dev/zero"_s, u"/etc/passwd"_s, picture};
    EXPECT_EQ(suite.send(u"1/@/Eva/@/t/@/<img src='"_s + names.join(u"'><img src='"_s) + u"'>"_s),
              -1);
    QApplication::processEvents(); // laid out and painted: the pictures are asked for
    for (const QString& name : names) {
        const QVariant used =
            form.WebBrowser1.document()->resource(QTextDocument::ImageResource, QUrl(name));
        EXPECT_LE(used.value<QImage>().width(), 1) << name.toStdString(); // a blank stand-in
    }
    // Links open in the desktop's browser; a local file is not started.
    emit form.WebBrowser1.linkActivated(u"file:///etc/passwd"_s);
    emit form.WebBrowser1.linkActivated(u"http://www.example.cz"_s);
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()), QStringList{u"open\t\thttp://www.example.cz"_s});
}

TEST(ChatWindow, SendsThroughTheDownloaderAndAddsTheServersCopy)
{
    ChatFixture suite;
    zuvtest::TestHttpServer server;
    server.routes().Get("/zuv/message_add.php",
                        [](const httplib::Request& req, httplib::Response& res) {
                            res.set_content("<text>" + req.get_param_value("text") +
                                                "</text><time>2026-12-09 07:05:04</time>\r\n",
                                            "text/plain");
                        });
    server.start();
    QFile::link(zuvtest::suitePath(u"load"_s), suite.path(u"load"_s));
    suite.write(kReplyFile, "<text>stará odpověď</text><time>x</time>\r\n");
    Form1& form = suite.open(u"14@1"_s, QString::fromStdString(server.base()));
    EXPECT_EQ(form.replyFile(), suite.path(kReplyFile));

    form.Text1.setPlainText(u"Ahoj & \"uvozovky\"\nřádek"_s);
    form.Command1_Click();
    EXPECT_TRUE(form.Text1.toPlainText().isEmpty());
    EXPECT_TRUE(form.WaitForAns.isActive());
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()),
              QStringList{u"4\tload.exe\t"_s + QString::fromStdString(server.base()) +
                          u"/zuv/message_add.php?id=100001&h=heslo&to=100002&ver=1&text=Ahoj "
                          "*.and *.u1uvozovky*.u1 <br>řádek /@/"_s +
                          suite.path(kReplyFile) + u"/@/show"_s});
    const QString sent =
        historyEntry(u"to"_s, u"Já"_s, u"2026-12-09 07:05:04"_s,
                     u"Ahoj & *.u1uvozovky*.u1 <br>řádek  "_s); // one space each: sending, linking
    ASSERT_TRUE(zuvtest::waitFor([&] { return suite.history().contains(sent); }, 10000))
        << suite.history().toStdString();
    EXPECT_FALSE(suite.history().contains(u"stará"_s));
    EXPECT_FALSE(form.WaitForAns.isActive());
    EXPECT_TRUE(suite.sounds().isEmpty()); // own messages make no sound

    // The answer file goes with the window.
    form.Form_Unload();
    EXPECT_FALSE(QFile::exists(suite.path(kReplyFile)));
}

// A server that answers a send after `delayMs`, with the stored copy or,
// while `failing` is set, with an error status and no copy.
struct SlowServer
{
    explicit SlowServer(int delayMs)
    {
        server.routes().Get("/zuv/message_add.php", [this, delayMs](const httplib::Request& req,
                                                                    httplib::Response& res) {
            std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
            if (failing) {
                res.status = 503;
                return;
            }
            res.set_content("<text>" + req.get_param_value("text") + "</text><time>t</time>\r\n",
                            "text/plain");
        });
        server.start();
    }
    QString base() const { return QString::fromStdString(server.base()); }
    zuvtest::TestHttpServer server;
    std::atomic<bool> failing{false};
};

TEST(ChatWindow, ATextTheServerNeverGotComesBackWithANotice)
{
    ChatFixture suite;
    SlowServer server(300);
    server.failing = true;
    QFile::link(zuvtest::suitePath(u"load"_s), suite.path(u"load"_s));
    Form1& form = suite.open(u"14@1"_s, server.base());
    const QByteArray pageBefore = suite.read(u"Cache/100001-100002.htm"_s);

    form.Text1.setPlainText(u"první"_s);
    form.Command1_Click();
    EXPECT_TRUE(form.Text1.toPlainText().isEmpty());
    form.Text1.setPlainText(u"mezitím"_s); // typed while the first waits
    ASSERT_TRUE(zuvtest::waitFor([&] { return !form.isSending(); }, 10000));
    EXPECT_EQ(form.Text1.toPlainText(), u"první\nmezitím"_s);
    EXPECT_TRUE(form.WebBrowser1.toPlainText().endsWith(
        u"Zprávu se nepodařilo odeslat, server neodpovídá."_s))
        << form.WebBrowser1.toPlainText().toStdString();
    EXPECT_EQ(suite.read(u"Cache/100001-100002.htm"_s), pageBefore) << "the view only";

    // Once the server answers again, the next send works as ever.
    server.failing = false;
    form.Text1.setPlainText(u"znovu"_s);
    form.Command1_Click();
    ASSERT_TRUE(zuvtest::waitFor([&] { return suite.history().contains(u"znovu"_s); }, 10000));
    EXPECT_TRUE(form.Text1.toPlainText().isEmpty());
}

TEST(ChatWindow, TextsGoOneAfterAnotherAndWhatArrivesMeanwhileComesAfterThem)
{
    ChatFixture suite;
    SlowServer server(200);
    QFile::link(zuvtest::suitePath(u"load"_s), suite.path(u"load"_s));
    Form1& form = suite.open(u"14@1"_s, server.base());
    form.Text1.setPlainText(u"otázka jedna"_s);
    form.Command1_Click();
    form.Text1.setPlainText(u"otázka dvě"_s);
    form.Command1_Click();
    // The answer to the first comes before the server has said it has it.
    suite.send(u"1/@/Eva/@/t/@/odpověď"_s);
    EXPECT_FALSE(suite.history().contains(u"odpověď"_s));
    ASSERT_TRUE(zuvtest::waitFor([&] { return suite.history().contains(u"odpověď"_s); }, 10000));
    ASSERT_TRUE(zuvtest::waitFor([&] { return !form.isSending(); }, 10000));
    const QString page = suite.history();
    const qsizetype first = page.indexOf(u"otázka jedna"_s);
    const qsizetype answer = page.indexOf(u"odpověď"_s);
    const qsizetype second = page.indexOf(u"otázka dvě"_s);
    EXPECT_GE(first, 0);
    EXPECT_LT(first, answer);
    EXPECT_LT(answer, second) << "the answer arrived before the second text went out";
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()).size(), 2);
}

TEST(ChatWindow, TypingGoesIntoTheTextBoxWheneverTheWindowComesUp)
{
    ChatFixture suite;
    Form1& form = suite.open();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(zuvtest::waitFor([&] { return form.isActiveWindow(); }));
    EXPECT_TRUE(form.Text1.hasFocus());
    form.WebBrowser1.setFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(zuvtest::waitFor([&] { return other.isActiveWindow(); }));
    form.activateWindow();
    ASSERT_TRUE(zuvtest::waitFor([&] { return form.isActiveWindow(); }));
    EXPECT_TRUE(form.Text1.hasFocus());
}

TEST(ChatWindow, WhatSendsAndWhatDoesNot)
{
    ChatFixture suite;
    Form1& form = suite.open();
    form.Command1_Click(); // empty: nothing
    EXPECT_TRUE(zuvtest::logLines(suite.shellLog()).isEmpty());
    EXPECT_FALSE(form.WaitForAns.isActive());

    // Enter is a line break; Ctrl+Enter sends, and no line break is typed.
    form.Text1.setPlainText(u"a"_s);
    form.Text1.moveCursor(QTextCursor::End);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
    QApplication::sendEvent(&form.Text1, &enter);
    EXPECT_EQ(form.Text1.toPlainText(), u"a\n"_s);
    EXPECT_TRUE(zuvtest::logLines(suite.shellLog()).isEmpty());
    QKeyEvent ctrlEnter(QEvent::KeyPress, Qt::Key_Return, Qt::ControlModifier);
    QApplication::sendEvent(&form.Text1, &ctrlEnter);
    const QStringList starts = zuvtest::logLines(suite.shellLog());
    ASSERT_EQ(starts.size(), 1);
    EXPECT_TRUE(starts[0].contains(u"&text=a <br> /@/"_s)) << starts[0].toStdString();
    // No downloader here: the text stays to be sent again.
    EXPECT_EQ(form.Text1.toPlainText(), u"a\n"_s);
    EXPECT_FALSE(form.WaitForAns.isActive());
}

TEST(ChatWindow, ClearingTheHistoryAsksFirst)
{
    ChatFixture suite;
    suite.setEnv("ZUV_MSGBOX_ANSWERS", "no,yes");
    Form1& form = suite.open();
    suite.send(u"1/@/Eva/@/t/@/zůstane?"_s);
    const QByteArray kept = suite.read(u"Cache/100001-100002.htm"_s);
    form.Image7_Click();
    EXPECT_EQ(suite.read(u"Cache/100001-100002.htm"_s), kept);
    const QJsonObject box =
        QJsonDocument::fromJson(zuvtest::logLines(suite.msgBoxLog()).value(0).toUtf8()).object();
    EXPECT_EQ(box[u"text"_s], u"Opravdu si přejete vymazat všechny zprávy tohoto okna?"_s);
    EXPECT_EQ(box[u"title"_s], u"Smazat historii"_s);
    EXPECT_EQ(box[u"buttons"_s], u"yesno"_s);
    EXPECT_EQ(box[u"icon"_s], u"question"_s);
    form.Image7_Click();
    EXPECT_EQ(suite.history(), emptyHistoryPage(u"14"_s) + u"\r\n"_s);
    EXPECT_FALSE(form.WebBrowser1.toPlainText().contains(u"zůstane"_s));
}

TEST(ChatWindow, ButtonsStartTheWebViewAndTheSmileyGoesInAtTheCaret)
{
    ChatFixture suite;
    Form1& form = suite.open();
    suite.send(u"1/@/Eva/@/t/@/viz HTTP://Example.cz/A"_s);
    form.Image2_Click();
    form.Image3_Click();
    form.Image5_Click();
    form.OpenURLinZuvB_Click();
    form.OpenURL_Click();
    const QString browser = u"2\t"_s + suite.dir() + u"\\ZuvBrowser.exe\t"_s;
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()),
              (QStringList{
                  browser + u"http://s\\zuv\\whois.php?id=100002/@/5600/@/6000/@/Zuv - informace o "
                            "Eva/@/normal/@/noendtest/@/"_s,
                  browser + u"http://s\\zuv\\sendfile.php?to=100002&idh=100001&h=heslo&end=1/@/"
                            "6000/@/2700/@/Zuv - odeslat soubor: Eva/@/normal/@/endtest/@/"_s,
                  browser + u"http://s\\zuv\\note.php?user=100002&idh=100001&h=heslo/@/4150/@/"
                            "2700/@/Zuv - poznámka: Eva/@/normal/@/endtest/@/"_s,
                  browser + u"http://Example.cz/A/@/14000/@/8000/@/Zuv Browser (Zuvnet)/@/max/@/"
                            "endtestnull/@/"_s,
                  u"open\t\thttp://Example.cz/A"_s,
              }));

    form.Text1.setPlainText(u"ab"_s);
    QTextCursor caret = form.Text1.textCursor();
    caret.setPosition(1);
    form.Text1.setTextCursor(caret);
    form.Smileys[4].click();
    EXPECT_EQ(form.Text1.toPlainText(), u"a**05b"_s);
    EXPECT_EQ(form.Text1.textCursor().position(), 5);
}

TEST(ChatWindow, SmallWindowsGrowAndTheSmileyPanelWidensIt)
{
    ChatFixture suite;
    Form1& form = suite.open();
    form.show();
    form.resize(50, 50);
    EXPECT_GE(form.width() * 15 + 90, 2610);
    EXPECT_GE(form.height() * 15 + 450, 3010);
    EXPECT_LT(form.width() * 15 + 90, 5500);
    form.Image4_Click();
    EXPECT_TRUE(form.SmileS.isVisibleTo(&form));
    EXPECT_GE(form.width() * 15 + 90, 5810);
    form.Image4_Click();
    EXPECT_FALSE(form.SmileS.isVisibleTo(&form));
}

TEST(ChatWindow, AnnouncesItselfAndEndsWhenTheMessengerIsGone)
{
    ChatFixture suite;
    QStringList heard;
    quint64 sender = 0;
    auto messenger = std::make_unique<BusWindow>();
    messenger->setHandler([&](quint32, quint64 from, const QByteArray& bytes) -> qint64 {
        heard.append(CodePage::decode(bytes));
        sender = from;
        return -1;
    });
    messenger->publish(u"Zuv - Sorvanta"_s);
    Form1& form = suite.open();
    int ended = 0;
    QObject::connect(&form, &Form1::ended, [&] { ++ended; });
    form.Timer2_Timer();
    EXPECT_EQ(heard, QStringList{u"msgon"_s});
    EXPECT_EQ(sender, form.bus().id());
    form.Timer1_Timer();
    EXPECT_EQ(ended, 0);
    messenger.reset();
    form.Timer1_Timer();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(FindWindowA(kTitle));
}

TEST(ChatProgram, IdsThatWouldLeaveTheCacheFolderEndItAtOnce)
{
    zuvtest::TempSuite suite;
    for (const QString& ids : {u"../x/@/100002"_s, u"100001/@/..\\..\\x"_s, u"1/@/a/b"_s}) {
        QProcess msg;
        msg.start(zuvtest::suitePath(u"msg"_s),
                  {u"T/@/"_s + ids.section(u"/@/"_s, 0, 0) + u"/@/h/@/s/@/n/@/o/@/"_s +
                   ids.section(u"/@/"_s, 1, 1) + u"/@/11@1"_s});
        ASSERT_TRUE(msg.waitForFinished(10000));
        EXPECT_NE(msg.exitCode(), 0);
        EXPECT_TRUE(msg.readAllStandardError().contains("cannot name a history file"));
    }
    EXPECT_FALSE(QDir(suite.path(u"Cache"_s)).exists());
    EXPECT_FALSE(QFile::exists(suite.path(u"x.htm"_s)));
}

TEST(ChatProgram, EndsAsWhenClosedOnCtrlCOrTerm)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        zuvtest::TempSuite suite;
        suite.write(kReplyFile, "left over");
        QProcess msg;
        msg.start(zuvtest::suitePath(u"msg"_s),
                  {kTitle + u"/@/100001/@/h/@/http://s/@/Eva/@/Já/@/100002/@/11@0"_s});
        ASSERT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(kTitle)); }, 10000));
        ::kill(pid_t(msg.processId()), signal);
        ASSERT_TRUE(msg.waitForFinished(5000));
        EXPECT_EQ(msg.exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(msg.exitCode(), 0);
        EXPECT_FALSE(FindWindowA(kTitle));
        EXPECT_FALSE(QFile::exists(suite.path(kReplyFile)));
        EXPECT_TRUE(QFile::exists(suite.path(u"Cache/100001-100002.htm"_s)));
    }
}

// Markup a member can type: each level of a nested table doubles the time a
// view takes to lay it out.
QString nestedTables(int levels)
{
    QString text;
    for (int i = 0; i < levels; ++i)
        text += u"<table><tr><td>"_s;
    return text + u"x"_s;
}

TEST(ChatProgram, MarkupAndLongWordsInMessagesNeverHoldTheWindow)
{
    zuvtest::TempSuite suite;
    // A page from before messages were escaped, with such entries in it.
    const QString old = historyEntry(u"from"_s, u"Eva"_s, u"t"_s, nestedTables(5000)) +
                        historyEntry(u"from"_s, u"Eva"_s, u"t"_s, QString(1024 * 1024, u'w'));
    QString page = emptyHistoryPage(u"11"_s);
    page.insert(page.indexOf(u"<A name=zuv_end>"_s), old);
    suite.write(u"Cache/100001-100002.htm"_s, CodePage::encode(page) + "\r\n");

    QElapsedTimer clock;
    clock.start();
    QProcess msg;
    msg.start(zuvtest::suitePath(u"msg"_s),
              {kTitle + u"/@/100001/@/h/@/http://s/@/Eva/@/Já/@/100002/@/11@0"_s});
    ASSERT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(kTitle)); }, 10000));
    ASSERT_TRUE(SendCopyData(FindWindowA(kTitle), u"Fmax"_s));
    const qint64 opened = clock.elapsed();
    EXPECT_LT(opened, 1000) << "from start to its first answer";

    // 4 366 levels are the most that fit one command of the bus.
    for (const int levels : {30, 4366}) {
        clock.restart();
        const auto answer =
            SendCopyData(FindWindowA(kTitle), u"1/@/Eva/@/t/@/"_s + nestedTables(levels));
        const qint64 handled = clock.elapsed();
        clock.restart();
        ASSERT_TRUE(SendCopyData(FindWindowA(kTitle), u"Fmax"_s));
        const qint64 next = clock.elapsed();
        ASSERT_TRUE(answer) << levels;
        EXPECT_LT(handled + next, 1000) << levels << " levels";
        std::printf("[ figures  ] %d levels: handled in %lld ms, next command %lld ms\n", levels,
                    static_cast<long long>(handled), static_cast<long long>(next));
    }
    std::printf("[ figures  ] a page with 5 000 levels and a 1 MB word: answered %lld ms after "
                "the start\n",
                static_cast<long long>(opened));
    // The new entries hold the text, not its markup; the old ones are kept.
    const QString stored = CodePage::decode(suite.read(u"Cache/100001-100002.htm"_s));
    EXPECT_TRUE(stored.contains(u"<P class=qtext>&lt;table&gt;&lt;tr&gt;&lt;td&gt;"_s));
    EXPECT_TRUE(stored.contains(old));
    msg.terminate();
    msg.waitForFinished();
}

// Looking at another window, the person also gets a desktop notification
// with the sender and the first line; a click on it brings the chat up.
TEST(ChatWindow, AMessageToAWindowInTheBackgroundIsAlsoADesktopNotification)
{
    if (!zuvtest::SessionBus::available())
        GTEST_SKIP() << "dbus-daemon is not installed";
    zuvtest::SessionBus bus;
    ASSERT_TRUE(bus.started());
    zuvtest::NotificationService service;
    ASSERT_TRUE(service.registered());
    ChatFixture suite;
    Form1& form = suite.open(u"14@0"_s);
    suite.send(u"1/@/Eva/@/t/@/tiše"_s);
    QCoreApplication::processEvents();
    EXPECT_TRUE(service.shown.isEmpty()) << "no sound, no notification";

    form.Image1_Click();
    form.hide();
    suite.send(u"1/@/Eva/@/t/@/Ahoj <b>Jano</b>\njak se máš?"_s);
    ASSERT_TRUE(zuvtest::waitFor([&] { return !service.shown.isEmpty(); }));
    EXPECT_EQ(service.shown.last().summary, u"Eva"_s);
    EXPECT_EQ(service.shown.last().body, u"Ahoj &lt;b&gt;Jano&lt;/b&gt;"_s);

    service.click(service.shown.last().id);
    EXPECT_TRUE(zuvtest::waitFor([&] { return form.isVisible(); }));
}
