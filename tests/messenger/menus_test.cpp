// The main menu, the tray menu and the mood submenu: their captions and
// what each item starts, shows or switches.
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <form1.h>
#include <foundation/bus/buswindow.h>
#include <foundation/loginlink.h>
#include <foundation/optionsfile.h>
#include <gtest/gtest.h>
#include <hledej.h>
#include <support/processes.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::messenger;

namespace {

// A menu as lines: "—" for a separator, submenus indented below their caption.
QStringList describe(const QMenu& menu, const QString& indent = {})
{
    QStringList lines;
    for (QAction* item : menu.actions()) {
        if (item->isSeparator()) {
            lines << indent + u"—"_s;
            continue;
        }
        lines << indent + item->text();
        if (item->menu())
            lines << describe(*item->menu(), indent + u"  "_s);
    }
    return lines;
}

struct MenuFixture : zuvtest::TempSuite
{
    MenuFixture()
    {
        setEnv("ZUV_ONLINE", "0");
        form.settings().Zuvid = u"100001"_s;
        form.settings().Zuvpass = u"demo"_s;
        form.settings().Zuvnick = u"demo"_s;
    }
    QAction* item(const QString& name)
    {
        for (const QMenu* menu : {&form.ZuvMenu, &form.TrayMenu, &form.HideMenuNalada}) {
            if (auto* found = menu->findChild<QAction*>(name))
                return found;
        }
        ADD_FAILURE() << "no menu item " << name;
        return nullptr;
    }
    // What one click on the item started or opened, and the boxes it showed.
    QStringList click(const QString& name)
    {
        QFile::remove(shellLog());
        QFile::remove(msgBoxLog());
        if (QAction* found = item(name))
            found->trigger();
        QStringList seen = zuvtest::logLines(shellLog());
        for (const QString& line : zuvtest::logLines(msgBoxLog()))
            seen << u"box: "_s + QJsonDocument::fromJson(line.toUtf8())[u"text"_s].toString();
        return seen;
    }
    Form1 form;
};

} // namespace

TEST(Menus, CaptionsInOrder)
{
    MenuFixture suite;
    EXPECT_EQ(suite.form.ZuvMenu.title(), u"Menu"_s);
    EXPECT_EQ(describe(suite.form.ZuvMenu),
              (QStringList{u"Zuvnet"_s,
                           u"—"_s,
                           u"Upravit vlastní profil"_s,
                           u"Narozeniny přátel"_s,
                           u"Historie zpráv"_s,
                           u"Vyhledat uživatele"_s,
                           u"—"_s,
                           u"Zapnout při startu Windows"_s,
                           u"Příchozí zprávy"_s,
                           u"  Velikost textu"_s,
                           u"    malá (výchozí)"_s,
                           u"    větší"_s,
                           u"    největší"_s,
                           u"  Zvuk příchozí zprávy"_s,
                           u"    ano"_s,
                           u"    ne"_s,
                           u"Režim"_s,
                           u"  Normální"_s,
                           u"  Stahovat pouze zprávy od uživatelů v seznamu"_s,
                           u"Zobrazení"_s,
                           u"  Seskupovat"_s,
                           u"  Seznam"_s,
                           u"Režim"_s,
                           u"  Aktivní"_s,
                           u"  Pasivní"_s,
                           u"Login..."_s,
                           u"Nápověda"_s,
                           u"—"_s,
                           u"Sorvanta"_s,
                           u"Postrel"_s,
                           u"  Zapnout"_s,
                           u"  Automaticky zapínat s Zuv"_s,
                           u"Po připojení začít přehrávat rádio"_s,
                           u"—"_s,
                           u"Konec"_s}));
    EXPECT_EQ(
        describe(suite.form.TrayMenu),
        (QStringList{u"Zuvnet"_s, u"—"_s, u"Hledej uživatele"_s, u"Status"_s, u"  :))"_s, u"  :)"_s,
                     u"  :|"_s, u"  :("_s, u"  —"_s, u"  OffLine"_s, u"  Nepřítomen"_s, u"—"_s,
                     u"Postrel"_s, u"  Zapnout"_s, u"  Automaticky zapínat s Zuv"_s,
                     u"  Zkontroluj emaily"_s, u"Sorvanta"_s, u"—"_s, u"Konec"_s}));
    EXPECT_EQ(suite.form.CMDnalada.menu(), &suite.form.HideMenuNalada);
    EXPECT_EQ(suite.form.Command1.text(), u"Nastavení"_s);
    EXPECT_EQ(suite.form.Command3.text(), u"Hledej uživatele"_s);
    EXPECT_EQ(suite.form.Command4.text(), u"Sorvanta"_s);
}

TEST(Menus, WhatEachItemStartsOrOpens)
{
    MenuFixture suite;
    const QString browser = u"2\t"_s + suite.dir() + u"\\ZuvBrowser.exe\t"_s;
    const QString login = u"open\t\t/login/100001/"_s + LoginLink::Heslo(u"demo"_s) + u"//1"_s;
    const QString noRadio =
        u"box: Nejprve program Sorvanta zapněte.\r\n(Abyste mohli používat tuto funkci, musí být "
        "program Sorvanta zapnutý.)\r\nMůžete jej zapnout v nabídce Start -> Programy -> Zuv -> "
        "Sorvanta."_s;
    const QString postrel = u"1\t"_s + suite.dir() + u"\\Postrel.exe\t"_s;
    const std::pair<QString, QStringList> rows[] = {
        {u"ZuvMenu_Zuvcz"_s, {login}},
        {u"HideMenuZuvcz"_s, {login}},
        {u"ZuvMenu_EditProfil"_s,
         {browser + u"/zuv/edit.php?edit=100001&idh=100001&h=demo&zuvbrowser=on/@/7200/@/8700/@/"
                    "Zuv - Úprava uživatelského účtu demo [100001]/@/normal/@/endtest/@/"_s}},
        {u"ZuvMenu_Birthday"_s,
         {browser + u"/zuv/birthday.php?idh=100001&h=demo&zuvis123=1/@/7200/@/8700/@/"
                    "Zuv - Narozeniny přátel z Zuvnet/@/normal/@/endtest/@/"_s}},
        {u"ZuvMenu_Histori"_s,
         {browser + u"\\zuv\\hist.php?idh=100001&h=demo&zuvis123=1/@/8000/@/8000/@/"
                    "Zuv - Historie zpráv/@/normal/@/endtestnull/@/"_s}},
        {u"ZuvMenu_FAQ"_s, {u"open\t\t/faq"_s}},
        {u"ZuvMenu_Sorvanta"_s, {noRadio}},
        {u"TrayMenu_Sorvanta"_s, {noRadio}},
        {u"ZuvMenu_Postrel_s"_s, {postrel}},
        {u"TrayMenu_Email_Show"_s, {postrel}},
        {u"TrayMenu_Email_Check"_s, {}},
    };
    for (const auto& [name, expected] : rows)
        EXPECT_EQ(suite.click(name), expected) << name;

    // The search window, from either menu.
    for (const QString& name : {u"ZuvMenu_ShowUsers"_s, u"HideMenuShowUsers"_s}) {
        suite.click(name);
        ASSERT_NE(suite.form.searchWindow(), nullptr);
        EXPECT_TRUE(suite.form.searchWindow()->isVisible()) << name;
        suite.form.searchWindow()->hide();
    }

    // A running player is brought up by a copy of its own, which hands over.
    BusWindow player;
    player.publish(u"Sorvanta"_s);
    EXPECT_EQ(suite.click(u"TrayMenu_Sorvanta"_s),
              QStringList{u"1\t"_s + suite.dir() + u"\\sorvanta.exe\t"_s});
    player.withdraw();
}

TEST(Menus, SwitchesAndTheirCheckMarks)
{
    MenuFixture suite;
    Form1& form = suite.form;
    form.settings().Zuvspeed = u"0"_s;
    emit form.ZuvMenu.aboutToShow();
    EXPECT_TRUE(form.ZuvMenu_Rezim_Pasivni->isChecked());
    EXPECT_FALSE(form.ZuvMenu_Rezim_Aktivni->isChecked());
    suite.click(u"ZuvMenu_Rezim_Aktivni"_s);
    EXPECT_EQ(form.settings().Zuvspeed, u"1"_s);
    EXPECT_EQ(form.Timer1.interval(), form.cycle().activeInterval());

    suite.click(u"ZuvMenu_RezimStahovani_x"_s);
    EXPECT_EQ(form.settings().Zuvrezim, u"1"_s);
    EXPECT_TRUE(form.ZuvMenu_RezimStahovani_x->isChecked());
    EXPECT_FALSE(form.ZuvMenu_RezimStahovani_normal->isChecked());

    suite.click(u"ZuvMenu_Zobrazeni_List"_s);
    EXPECT_EQ(form.settings().Zuvzobrazeni, u"1"_s);
    EXPECT_FALSE(form.ListView1.isHidden());
    EXPECT_TRUE(form.TreeView1.isHidden());
    EXPECT_FALSE(form.ZuvMenu_Zobrazeni_Tree->isChecked());

    suite.click(u"HideMenuNalada3"_s);
    EXPECT_EQ(form.settings().Zuvnalada, u":|"_s);

    // The checker's caption follows its window; its auto-start is one
    // setting with a mark in both menus, saved at once.
    BusWindow checker;
    checker.publish(u"Zuv Postrel! (Zuvnet)"_s);
    for (QMenu* menu : {&form.ZuvMenu, &form.TrayMenu}) {
        for (QMenu* mail : menu->findChildren<QMenu*>()) {
            if (mail->title() == u"Postrel")
                emit mail->aboutToShow();
        }
    }
    EXPECT_EQ(form.ZuvMenu_Postrel_s->text(), u"Zobrazit"_s);
    EXPECT_EQ(form.TrayMenu_Email_Show->text(), u"Zobrazit"_s);
    checker.withdraw();

    OptionsFile options(suite.data(u"options.ini"_s));
    form.settings().PostrelRun = u"0"_s;
    suite.click(u"TrayMenu_Email_Start"_s);
    EXPECT_TRUE(form.ZuvMenu_Postrel_a->isChecked() && form.TrayMenu_Email_Start->isChecked());
    options.load();
    EXPECT_EQ(options.value(OptionKeys::PostrelRun), u"1"_s);
    suite.click(u"ZuvMenu_Postrel_a"_s);
    EXPECT_FALSE(form.ZuvMenu_Postrel_a->isChecked() || form.TrayMenu_Email_Start->isChecked());
    options.load();
    EXPECT_EQ(options.value(OptionKeys::PostrelRun), u"0"_s);

    suite.click(u"ZuvMenu_Sorvanta_AutoStart"_s);
    EXPECT_EQ(form.settings().ZuvsvStart, u"1"_s);
    EXPECT_TRUE(form.ZuvMenu_Sorvanta_AutoStart->isChecked());
    suite.click(u"ZuvMenu_Sorvanta_AutoStart"_s);
    EXPECT_EQ(form.settings().ZuvsvStart, u""_s);
}

TEST(Menus, StartWithTheDesktopTwiceEndsAsItBegan)
{
    MenuFixture suite;
    suite.setEnv("HOME", QFile::encodeName(suite.path(u"home"_s)));
    suite.write(u"Zuv_Data/paths.tt"_s, "-st>~/autostart/zuv.desktop\r\n");
    suite.write(u"Zuv_Data/zuvst.tt"_s, "[Desktop Entry]\r\nType=Application\r\n");
    const QString entry = suite.path(u"home/autostart/zuv.desktop"_s);
    OptionsFile options(suite.data(u"options.ini"_s));
    suite.form.settings().Zuv = u"off"_s;

    suite.click(u"ZuvMenu_ZuvonWin"_s);
    EXPECT_TRUE(QFile::exists(entry));
    EXPECT_TRUE(suite.form.ZuvMenu_ZuvonWin->isChecked());
    options.load();
    EXPECT_EQ(options.value(OptionKeys::Zuv), u"on"_s);

    suite.click(u"ZuvMenu_ZuvonWin"_s);
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(suite.form.ZuvMenu_ZuvonWin->isChecked());
    options.load();
    EXPECT_EQ(options.value(OptionKeys::Zuv), u"off"_s);
}
