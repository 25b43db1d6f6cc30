// The e-mail checker's window driven in-process: the accounts file as the
// window loads and saves it, the list's menu, the check cycle against a
// loopback POP3 server, the notification and the commands of other programs.
#include "mailboxserver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <form1.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <memory>
#include <support/processes.h>
#include <support/sessionbus.h>
#include <support/tempsuite.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::mailcheck;

namespace {

const QString kCaption = u"Zuv Postrel! (Zuvnet)"_s;

struct CheckerFixture : zuvtest::TempSuite
{
    void accounts(const QStringList& lines)
    {
        write(u"Zuv_Data/img.jpg"_s, zuvtest::cp1250(lines.join(u"\r\n"_s) + u"\r\n"_s));
    }
    QStringList fileLines() const
    {
        return CodePage::decode(read(u"Zuv_Data/img.jpg"_s)).split(u"\r\n"_s);
    }
    Form1& start(const QString& argument = {})
    {
        form = std::make_unique<Form1>();
        EXPECT_TRUE(form->Form_Load(argument));
        return *form;
    }
    bool cycleDone(int cycles = 1, int timeoutMs = 8000) const
    {
        return zuvtest::waitFor([&] { return form->cyclesEnded() >= cycles; }, timeoutMs);
    }
    QStringList boxTexts() const
    {
        QStringList texts;
        for (const QString& line : zuvtest::logLines(msgBoxLog()))
            texts << QJsonDocument::fromJson(line.toUtf8()).object()[u"text"_s].toString();
        return texts;
    }
    QStringList row(const QString& key) const
    {
        QStringList texts;
        if (const QTreeWidgetItem* item = form->item(key)) {
            for (int i = 0; i < item->columnCount(); ++i)
                texts << item->text(i);
        }
        return texts;
    }
    bool bold(const QString& key) const { return form->item(key)->font(0).bold(); }

    std::unique_ptr<Form1> form;
};

} // namespace

TEST(MailCheckerWindow, StartsHiddenWithTheStoredSettingsAndChecksAtOnce)
{
    CheckerFixture suite;
    zuvtest::MailboxServer server;
    suite.accounts({u"[auto]1"_s, u"[interval]30"_s,
                    u"Práce|"_s + server.address() + u"|eva|tajné|4|1"_s,
                    u"Domů|"_s + server.address() + u"|eva|tajné|0|0"_s});
    Form1& w = suite.start(u"ZUV"_s);
    EXPECT_TRUE(w.startsHidden());
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.Check1.isChecked());
    EXPECT_TRUE(w.Combo1.isEnabled());
    EXPECT_EQ(w.Combo1.currentText(), u"30"_s);
    EXPECT_EQ(w.Timer2.interval(), 30000);
    EXPECT_TRUE(w.Timer2.isActive());
    EXPECT_TRUE(w.busy()) << "the first cycle runs from the start";
    // Sorted by name, bold while mail waits unread.
    ASSERT_EQ(w.ListView1.topLevelItemCount(), 2);
    EXPECT_EQ(w.ListView1.topLevelItem(0)->text(0), u"Domů"_s);
    EXPECT_EQ(suite.row(u"pPráce"_s),
              (QStringList{u"Práce"_s, u"eva"_s, server.address(), u"4"_s, u"1"_s, u"0"_s, {}}));
    EXPECT_TRUE(suite.bold(u"pPráce"_s));
    EXPECT_FALSE(suite.bold(u"pDomů"_s));
    EXPECT_EQ(w.ListView1.headerItem()->text(3), u"Celkový počet zpráv ve schránce"_s);
    EXPECT_EQ(w.windowTitle(), kCaption);
}

// Two mailboxes grow by 2 and 3: the corner window sums them, marking both
// read takes it away; the file keeps the counts of the last check.
TEST(MailCheckerWindow, ACycleCountsNewMailAndTheNotificationSumsIt)
{
    CheckerFixture suite;
    zuvtest::MailboxServer server;
    server.setMailbox(u"a"_s, 12, 51200);
    server.setMailbox(u"b"_s, 3, 1500);
    suite.accounts({u"[auto]0"_s, u"[interval]60"_s, u"Alfa|"_s + server.address() + u"|a|x|10|0"_s,
                    u"Beta|"_s + server.address() + u"|b|y|0|0"_s});
    Form1& w = suite.start();
    ASSERT_TRUE(suite.cycleDone());
    EXPECT_EQ(suite.row(u"pAlfa"_s).mid(3, 3), (QStringList{u"12"_s, u"2"_s, u"50 KB"_s}));
    EXPECT_EQ(suite.row(u"pBeta"_s).mid(3, 3), (QStringList{u"3"_s, u"3"_s, u"1 KB"_s}));
    EXPECT_FALSE(suite.row(u"pAlfa"_s).value(6).isEmpty()) << "the time of the check";
    EXPECT_TRUE(suite.bold(u"pAlfa"_s));
    EXPECT_TRUE(w.showForm2());
    EXPECT_TRUE(w.notification.isVisible());
    EXPECT_EQ(w.notification.Label1.text(), u"Nové emaily: 5"_s);
    EXPECT_TRUE(w.notification.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(suite.fileLines().contains(u"Alfa|"_s + server.address() + u"|a|x|12|2"_s));
    EXPECT_TRUE(server.said.contains(u"USER a"_s));
    // Each visit says goodbye, the first one too although the next began.
    EXPECT_TRUE(zuvtest::waitFor([&] { return server.said.count(u"QUIT"_s) == 2; }))
        << server.said.join(u' ').toStdString();

    for (const QString& key : {u"pAlfa"_s, u"pBeta"_s}) {
        w.ListView1.setCurrentItem(w.item(key));
        w.ListView1_DblClick();
    }
    EXPECT_FALSE(suite.bold(u"pAlfa"_s));
    EXPECT_EQ(suite.row(u"pBeta"_s).value(4), u"0"_s);
    EXPECT_FALSE(w.notification.isVisible());
    EXPECT_FALSE(w.showForm2());

    // A click on the notification brings the hidden main window back.
    server.setMailbox(u"a"_s, 13, 51200);
    w.CheckLIST();
    ASSERT_TRUE(suite.cycleDone(2));
    EXPECT_EQ(w.notification.Label1.text(), u"Nové emaily: 1"_s);
    emit w.notification.clicked();
    EXPECT_TRUE(w.isVisible());
}

TEST(MailCheckerWindow, AnEmptyListEndsTheCycleAtOnceAndSaves)
{
    CheckerFixture suite;
    Form1& w = suite.start();
    EXPECT_EQ(w.cyclesEnded(), 1);
    EXPECT_FALSE(w.busy());
    EXPECT_FALSE(w.notification.isVisible());
    EXPECT_EQ(suite.fileLines(), (QStringList{u"[auto]0"_s, u"[interval]60"_s, {}, {}}));
    EXPECT_EQ(QFileInfo(suite.data(u"img.jpg"_s)).permissions() & 0077, 0);
}

TEST(MailCheckerWindow, AccountsAreAddedRenamedAndDeletedThroughTheDialog)
{
    CheckerFixture suite;
    suite.accounts({u"[auto]0"_s, u"[interval]60"_s, u"Práce|127.0.0.1:1|eva|h1|10|4"_s});
    Form1& w = suite.start();

    // The only account has unread mail: its menu offers every command.
    w.ListView1.setCurrentItem(w.item(u"pPráce"_s));
    w.ListView1_Click(Qt::RightButton);
    w.PopupMenu.hide();
    EXPECT_TRUE(w.MenuPrecteno->isEnabled());
    EXPECT_TRUE(w.MenuUpravit->isEnabled());

    // Renamed through the dialog, it keeps its counts.
    w.MenuUpravit_Click();
    EXPECT_EQ(w.accountDialog.Command1.text(), u"Upravit"_s);
    EXPECT_EQ(w.accountDialog.TextPass.text(), u"h1"_s);
    w.accountDialog.TextName.setText(u"Škola"_s);
    w.accountDialog.Command1_Click();
    EXPECT_EQ(suite.fileLines().value(2), u"Škola|127.0.0.1:1|eva|h1|10|4"_s);
    ASSERT_TRUE(w.item(u"pŠkola"_s));
    EXPECT_FALSE(w.item(u"pPráce"_s));

    // A "|" would shift the fields: refused, nothing written.
    w.MenuPridat_Click();
    EXPECT_EQ(w.accountDialog.Command1.text(), u"Přidat"_s);
    w.accountDialog.TextName.setText(u"Nový"_s);
    w.accountDialog.TextPass.setText(u"a|b"_s);
    w.accountDialog.Command1_Click();
    EXPECT_EQ(suite.boxTexts(), QStringList{u"Znak „|“ nelze v údajích účtu použít."_s});
    EXPECT_EQ(w.ListView1.topLevelItemCount(), 1);
    w.accountDialog.TextPass.setText(u"ab"_s);
    w.accountDialog.Command1_Click();
    EXPECT_EQ(suite.fileLines().value(3), u"Nový|127.0.0.1:1|eva|ab|0|0"_s);

    // A new account has nothing unread: "Označit za přečtené" is greyed.
    w.ListView1.setCurrentItem(w.item(u"pNový"_s));
    w.ListView1_Click(Qt::RightButton);
    w.PopupMenu.hide();
    EXPECT_FALSE(w.MenuPrecteno->isEnabled());

    suite.setEnv("ZUV_MSGBOX_ANSWERS", "no,yes,yes");
    w.MenuOdstranit_Click();
    EXPECT_EQ(w.ListView1.topLevelItemCount(), 2) << "declined";
    w.MenuOdstranit_Click();
    w.ListView1.setCurrentItem(w.item(u"pŠkola"_s));
    w.MenuOdstranit_Click();
    EXPECT_EQ(suite.boxTexts().value(1), u"Přejete si smazat účet Nový ?"_s);
    EXPECT_EQ(suite.fileLines(), (QStringList{u"[auto]0"_s, u"[interval]60"_s, {}, {}}));
}

TEST(MailCheckerWindow, AnUnreadableAccountsFileIsNeverReplaced)
{
    CheckerFixture suite;
    // A folder where the file should be: it can be neither read nor written.
    ASSERT_TRUE(QDir().mkpath(suite.data(u"img.jpg"_s)));
    Form1& w = suite.start();
    w.EditAddNEW({}, u"Nový"_s, u"eva"_s, u"x"_s, u"pop3.example.cz"_s);
    w.Konec();
    EXPECT_TRUE(QFileInfo(suite.data(u"img.jpg"_s)).isDir());
}

TEST(MailCheckerWindow, CommandsFromOtherPrograms)
{
    CheckerFixture suite;
    Form1& w = suite.start(u"zuv"_s);
    ASSERT_EQ(w.cyclesEnded(), 1);
    const auto send = [](const QString& text) {
        return SendCopyData(FindWindowA(kCaption), text);
    };
    EXPECT_EQ(send(u"check"_s), -1);
    EXPECT_EQ(w.cyclesEnded(), 1) << "commands are exact";
    EXPECT_EQ(send(u"Check"_s), -1);
    EXPECT_EQ(w.cyclesEnded(), 2);
    EXPECT_EQ(send(u"SetFocus"_s), -1);
    EXPECT_TRUE(w.isVisible());

    w.Command3_Click();
    EXPECT_FALSE(w.isVisible());
    suite.setEnv("ZUV_MSGBOX_ANSWERS", "no");
    w.show();
    w.Command4_Click();
    EXPECT_EQ(suite.boxTexts(), QStringList{u"Přejete si program vypnout?"_s});
    EXPECT_TRUE(w.isVisible());

    bool ended = false;
    QObject::connect(&w, &Form1::ended, [&] { ended = true; });
    EXPECT_EQ(send(u"emailend"_s), -1);
    EXPECT_TRUE(zuvtest::waitFor([&] { return ended; }, 2000));
    EXPECT_FALSE(FindWindowA(kCaption));
}

// Where the desktop has a notification service, a growing sum is also told
// there; a click on it brings the window up, reading all mail takes it off.
TEST(MailCheckerWindow, AGrowingSumRaisesADesktopNotification)
{
    if (!zuvtest::SessionBus::available())
        GTEST_SKIP() << "dbus-daemon is not installed";
    zuvtest::SessionBus bus;
    ASSERT_TRUE(bus.started());
    zuvtest::NotificationService service;
    ASSERT_TRUE(service.registered());
    CheckerFixture suite;
    zuvtest::MailboxServer server;
    server.setMailbox(u"a"_s, 2, 100);
    suite.accounts(
        {u"[auto]0"_s, u"[interval]60"_s, u"Alfa|"_s + server.address() + u"|a|x|0|0"_s});
    Form1& w = suite.start(u"zuv"_s);
    ASSERT_TRUE(suite.cycleDone());
    ASSERT_TRUE(zuvtest::waitFor([&] { return !service.shown.isEmpty(); }));
    EXPECT_EQ(service.shown.last().body, u"Nové emaily: 2"_s);

    // The same sum again is no news.
    w.CheckLIST();
    ASSERT_TRUE(suite.cycleDone(2));
    QCoreApplication::processEvents();
    EXPECT_EQ(service.shown.size(), 1);

    service.click(service.shown.last().id);
    EXPECT_TRUE(zuvtest::waitFor([&] { return w.isVisible(); }));

    w.ListView1.setCurrentItem(w.item(u"pAlfa"_s));
    w.MenuPrecteno_Click();
    EXPECT_TRUE(zuvtest::waitFor([&] { return !service.closed.isEmpty(); }));
}
