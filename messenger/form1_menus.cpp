// The main menu, the tray menu with the mood submenu, and the commands that
// belong to no other part of the window.
#include "form1.h"
#include "hledej.h"

#include <foundation/bus/sendmessage.h>
#include <foundation/gui/messagebox.h>
#include <foundation/loginlink.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <foundation/startwithsystem.h>

namespace zuv::messenger {
namespace {

const QString kMailCheckerCaption = QStringLiteral("Zuv Postrel! (Zuvnet)");

} // namespace

QAction* Form1::menuItem(QMenu* menu, const char* name, const QString& caption,
                         std::function<void()> action, bool checkable)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    item->setCheckable(checkable);
    if (action)
        connect(item, &QAction::triggered, this, [action = std::move(action)] { action(); });
    return item;
}

void Form1::buildMenus()
{
    MenuUserSendMessage = MenuUser.addAction(QStringLiteral("Poslat zprávu"), this, [this] {
        SendMessageZuv(nickOfKey(m_menuKey), numberOfKey(m_menuKey));
    });
    MenuUserSendFile = MenuUser.addAction(QStringLiteral("Poslat soubor"), this, [this] {
        webView(QStringLiteral("/zuv/sendfile.php?to=") + numberOfKey(m_menuKey) +
                    QStringLiteral("&idh=") + m_settings.Zuvid + QStringLiteral("&h=") +
                    m_settings.Zuvpass + QStringLiteral("&end=1"),
                QStringLiteral("6000/@/2700"),
                QStringLiteral("Zuv - odeslat soubor: ") + nickOfKey(m_menuKey),
                QStringLiteral("endtest"));
    });
    MenuUserNote = MenuUser.addAction(QStringLiteral("Moje poznámka"), this, [this] {
        webView(QStringLiteral("/zuv/note.php?user=") + numberOfKey(m_menuKey) +
                    QStringLiteral("&idh=") + m_settings.Zuvid + QStringLiteral("&h=") +
                    m_settings.Zuvpass,
                QStringLiteral("4150/@/2700"),
                QStringLiteral("Zuv - poznámka: ") + nickOfKey(m_menuKey),
                QStringLiteral("endtest"));
    });
    MenuUserInfo = MenuUser.addAction(QStringLiteral("Informace"), this, [this] {
        webView(QStringLiteral("/zuv/whois.php?id=") + numberOfKey(m_menuKey),
                QStringLiteral("5600/@/6000"),
                QStringLiteral("Zuv - informace o ") + nickOfKey(m_menuKey),
                QStringLiteral("noendtest"));
    });
    MenuUserDelete = MenuUser.addAction(QStringLiteral("Odstranit uživatele ze seznamu"), this,
                                        [this] { MenuUserDelete_Click(); });

    // The own mood: the button shows it and opens the choice.
    HideMenuNalada.setTitle(QStringLiteral("Status"));
    const struct
    {
        const char* name;
        const char16_t* mood;
        const char16_t* caption;
    } moods[] = {
        {"HideMenuNalada1", u":))", u":))"},     {"HideMenuNalada2", u":)", u":)"},
        {"HideMenuNalada3", u":|", u":|"},       {"HideMenuNalada4", u":(", u":("},
        {"HideMenuNalada5", u"off", u"OffLine"}, {"HideMenuNalada0", u"(:)", u"Nepřítomen"},
    };
    for (const auto& mood : moods) {
        const QString value = QString::fromUtf16(mood.mood);
        if (value == u"off")
            HideMenuNalada.addSeparator();
        moodItems.insert(value, menuItem(
                                    &HideMenuNalada, mood.name, QString::fromUtf16(mood.caption),
                                    [this, value] { Nalada(value); }, true));
    }
    CMDnalada.setMenu(&HideMenuNalada);
    CMDnalada.setPopupMode(QToolButton::InstantPopup);
    // The button shows the picture of the own mood; its tip names it.
    CMDnalada.setText(QStringLiteral("Status"));
    CMDnalada.setToolButtonStyle(Qt::ToolButtonIconOnly);
    CMDnalada.setIconSize(QSize(20, 20));

    buildMainMenu();
    buildTrayMenu();
}

void Form1::buildMainMenu()
{
    QMenu* menu = &ZuvMenu;
    menu->setTitle(QStringLiteral("Menu"));
    menuItem(menu, "ZuvMenu_Zuvcz", QStringLiteral("Zuvnet"), [this] { openWebLogin(); });
    menu->addSeparator();
    menuItem(menu, "ZuvMenu_EditProfil", QStringLiteral("Upravit vlastní profil"), [this] {
        webView(QStringLiteral("/zuv/edit.php?edit=") + m_settings.Zuvid + QStringLiteral("&idh=") +
                    m_settings.Zuvid + QStringLiteral("&h=") + m_settings.Zuvpass +
                    QStringLiteral("&zuvbrowser=on"),
                QStringLiteral("7200/@/8700"),
                QStringLiteral("Zuv - Úprava uživatelského účtu ") + m_settings.Zuvnick +
                    QStringLiteral(" [") + m_settings.Zuvid + u']',
                QStringLiteral("endtest"));
    });
    menuItem(menu, "ZuvMenu_Birthday", QStringLiteral("Narozeniny přátel"), [this] {
        webView(QStringLiteral("/zuv/birthday.php?idh=") + m_settings.Zuvid +
                    QStringLiteral("&h=") + m_settings.Zuvpass + QStringLiteral("&zuvis123=1"),
                QStringLiteral("7200/@/8700"), QStringLiteral("Zuv - Narozeniny přátel z Zuvnet"),
                QStringLiteral("endtest"));
    });
    menuItem(menu, "ZuvMenu_Histori", QStringLiteral("Historie zpráv"), [this] {
        webView(QStringLiteral("\\zuv\\hist.php?idh=") + m_settings.Zuvid + QStringLiteral("&h=") +
                    m_settings.Zuvpass + QStringLiteral("&zuvis123=1"),
                QStringLiteral("8000/@/8000"), QStringLiteral("Zuv - Historie zpráv"),
                QStringLiteral("endtestnull"));
    });
    menuItem(menu, "ZuvMenu_ShowUsers", QStringLiteral("Vyhledat uživatele"),
             [this] { showSearch(); });
    menu->addSeparator();
    ZuvMenu_ZuvonWin = menuItem(
        menu, "ZuvMenu_ZuvonWin", QStringLiteral("Zapnout při startu Windows"),
        [this] { ZuvonWin_Click(); }, true);

    QMenu* incoming = menu->addMenu(QStringLiteral("Příchozí zprávy"));
    incoming->menuAction()->setObjectName(QStringLiteral("ZuvMenu_SetMsg"));
    QMenu* size = incoming->addMenu(QStringLiteral("Velikost textu"));
    auto sizeItem = [&](const char* name, const QString& code, const QString& caption) {
        return menuItem(
            size, name, caption, [this, code, caption] { setChatTextSize(code, caption); }, true);
    };
    ZuvMenu_SetMsg_1 =
        sizeItem("ZuvMenu_SetMsg_1", QStringLiteral("11"), QStringLiteral("malá (výchozí)"));
    ZuvMenu_SetMsg_2 = sizeItem("ZuvMenu_SetMsg_2", QStringLiteral("21"), QStringLiteral("větší"));
    ZuvMenu_SetMsg_3 =
        sizeItem("ZuvMenu_SetMsg_3", QStringLiteral("31"), QStringLiteral("největší"));
    QMenu* sound = incoming->addMenu(QStringLiteral("Zvuk příchozí zprávy"));
    ZuvMenu_SetMsg_sound_1 = menuItem(
        sound, "ZuvMenu_SetMsg_sound_1", QStringLiteral("ano"),
        [this] { setChatSound(QStringLiteral("1")); }, true);
    ZuvMenu_SetMsg_sound_0 = menuItem(
        sound, "ZuvMenu_SetMsg_sound_0", QStringLiteral("ne"),
        [this] { setChatSound(QStringLiteral("0")); }, true);

    QMenu* download = menu->addMenu(QStringLiteral("Režim"));
    download->menuAction()->setObjectName(QStringLiteral("ZuvMenu_RezimStahovani"));
    ZuvMenu_RezimStahovani_normal = menuItem(
        download, "ZuvMenu_RezimStahovani_normal", QStringLiteral("Normální"),
        [this] { RezimStahovani(QStringLiteral("0")); }, true);
    ZuvMenu_RezimStahovani_x = menuItem(
        download, "ZuvMenu_RezimStahovani_x",
        QStringLiteral("Stahovat pouze zprávy od uživatelů v seznamu"),
        [this] { RezimStahovani(QStringLiteral("1")); }, true);

    QMenu* view = menu->addMenu(QStringLiteral("Zobrazení"));
    view->menuAction()->setObjectName(QStringLiteral("ZuvMenu_Zobrazeni"));
    ZuvMenu_Zobrazeni_Tree = menuItem(
        view, "ZuvMenu_Zobrazeni_Tree", QStringLiteral("Seskupovat"), [this] { ZobrazeniTree(); },
        true);
    ZuvMenu_Zobrazeni_List = menuItem(
        view, "ZuvMenu_Zobrazeni_List", QStringLiteral("Seznam"), [this] { ZobrazeniList(); },
        true);

    QMenu* speed = menu->addMenu(QStringLiteral("Režim"));
    speed->menuAction()->setObjectName(QStringLiteral("ZuvMenu_Rezim"));
    ZuvMenu_Rezim_Aktivni = menuItem(
        speed, "ZuvMenu_Rezim_Aktivni", QStringLiteral("Aktivní"), [this] { RezimAktivni(); },
        true);
    ZuvMenu_Rezim_Pasivni = menuItem(
        speed, "ZuvMenu_Rezim_Pasivni", QStringLiteral("Pasivní"), [this] { RezimPasivni(); },
        true);

    menuItem(menu, "ZuvMenu_Login", QStringLiteral("Login..."), [this] { login(); });
    menuItem(menu, "ZuvMenu_FAQ", QStringLiteral("Nápověda"), [this] { FAQ_Click(); });
    menu->addSeparator();
    menuItem(menu, "ZuvMenu_Sorvanta", QStringLiteral("Sorvanta"), [this] { bringUpRadio(); });
    QMenu* mail = menu->addMenu(QStringLiteral("Postrel"));
    mail->menuAction()->setObjectName(QStringLiteral("ZuvMenu_Postrel"));
    ZuvMenu_Postrel_s =
        menuItem(mail, "ZuvMenu_Postrel_s", QStringLiteral("Zapnout"), [this] { Postrel_Show(); });
    ZuvMenu_Postrel_a = menuItem(
        mail, "ZuvMenu_Postrel_a", QStringLiteral("Automaticky zapínat s Zuv"),
        [this] { Postrel_AutoStart(); }, true);
    connect(mail, &QMenu::aboutToShow, this, &Form1::markPostrelItems);
    ZuvMenu_Sorvanta_AutoStart = menuItem(
        menu, "ZuvMenu_Sorvanta_AutoStart", QStringLiteral("Po připojení začít přehrávat rádio"),
        [this] { Sorvanta_AutoStart(); }, true);
    menu->addSeparator();
    menuItem(menu, "ZuvMenu_Konec", QStringLiteral("Konec"), [this] { Konec(); });

    // The speed's marks follow the setting whenever the menu opens; a
    // speed never chosen refreshes at the active interval.
    connect(menu, &QMenu::aboutToShow, this, [this] {
        ZuvMenu_Rezim_Aktivni->setChecked(m_settings.Zuvspeed != u"0");
        ZuvMenu_Rezim_Pasivni->setChecked(m_settings.Zuvspeed == u"0");
    });
}

void Form1::buildTrayMenu()
{
    QMenu* menu = &TrayMenu;
    menuItem(menu, "HideMenuZuvcz", QStringLiteral("Zuvnet"), [this] { openWebLogin(); });
    menu->addSeparator();
    menuItem(menu, "HideMenuShowUsers", QStringLiteral("Hledej uživatele"),
             [this] { showSearch(); });
    menu->addMenu(&HideMenuNalada)->setObjectName(QStringLiteral("HideMenuNalada"));
    menu->addSeparator();
    QMenu* mail = menu->addMenu(QStringLiteral("Postrel"));
    mail->menuAction()->setObjectName(QStringLiteral("TrayMenu_Postrel"));
    TrayMenu_Email_Show = menuItem(mail, "TrayMenu_Email_Show", QStringLiteral("Zapnout"),
                                   [this] { Postrel_Show(); });
    TrayMenu_Email_Start = menuItem(
        mail, "TrayMenu_Email_Start", QStringLiteral("Automaticky zapínat s Zuv"),
        [this] { Postrel_AutoStart(); }, true);
    // The checker keeps its own schedule and takes no such command: the
    // item shows, greyed.
    TrayMenu_Email_Check =
        menuItem(mail, "TrayMenu_Email_Check", QStringLiteral("Zkontroluj emaily"), nullptr);
    TrayMenu_Email_Check->setEnabled(false);
    connect(mail, &QMenu::aboutToShow, this, &Form1::markPostrelItems);
    menuItem(menu, "TrayMenu_Sorvanta", QStringLiteral("Sorvanta"), [this] { bringUpRadio(); });
    menu->addSeparator();
    menuItem(menu, "TrayMenu_Konec", QStringLiteral("Konec"), [this] { Konec(); });
}

void Form1::markPostrelItems()
{
    const QString caption =
        FindWindowA(kMailCheckerCaption) ? QStringLiteral("Zobrazit") : QStringLiteral("Zapnout");
    ZuvMenu_Postrel_s->setText(caption);
    TrayMenu_Email_Show->setText(caption);
}

void Form1::applySettingMarks()
{
    applyChatSettingMarks();
    ZuvMenu_ZuvonWin->setChecked(m_settings.Zuv != u"off");
    ZuvMenu_RezimStahovani_normal->setChecked(m_settings.Zuvrezim != u"1");
    ZuvMenu_RezimStahovani_x->setChecked(m_settings.Zuvrezim == u"1");
    ZuvMenu_Zobrazeni_Tree->setChecked(m_settings.Zuvzobrazeni != u"1");
    ZuvMenu_Zobrazeni_List->setChecked(m_settings.Zuvzobrazeni == u"1");
    ZuvMenu_Rezim_Aktivni->setChecked(m_settings.Zuvspeed != u"0");
    ZuvMenu_Rezim_Pasivni->setChecked(m_settings.Zuvspeed == u"0");
    ZuvMenu_Postrel_a->setChecked(m_settings.PostrelRun == u"1");
    TrayMenu_Email_Start->setChecked(m_settings.PostrelRun == u"1");
    ZuvMenu_Sorvanta_AutoStart->setChecked(m_settings.ZuvsvStart == u"1");
}

Hledej& Form1::showSearch()
{
    if (!m_search)
        m_search = std::make_unique<Hledej>(*this);
    m_search->show();
    m_search->showNormal();
    m_search->raise();
    m_search->activateWindow();
    return *m_search;
}

void Form1::openWebLogin()
{
    OpenURLInShell(m_server.serverBase + QStringLiteral("/login/") + m_settings.Zuvid + u'/' +
                   LoginLink::Heslo(m_settings.Zuvpass) + QStringLiteral("//1"));
}

void Form1::FAQ_Click()
{
    OpenURLInShell(m_server.serverBase + QStringLiteral("/faq"));
}

void Form1::ZuvonWin_Click()
{
    const bool on = m_settings.Zuv == u"off";
    m_settings.Zuv = on ? QStringLiteral("on") : QStringLiteral("off");
    ZuvMenu_ZuvonWin->setChecked(on);
    StartWithSystem::set(on);
    SaveOptions();
}

void Form1::bringUpRadio()
{
    if (FindWindowA(QStringLiteral("Sorvanta"))) {
        // The new copy hands "fmax" to the running one and ends.
        Shell(programDir() + QStringLiteral("\\sorvanta.exe"), SW_SHOWNORMAL);
        return;
    }
    MsgBox(QStringLiteral("Nejprve program Sorvanta zapněte.\r\n"
                          "(Abyste mohli používat tuto funkci, musí být program Sorvanta "
                          "zapnutý.)\r\n"
                          "Můžete jej zapnout v nabídce Start -> Programy -> Zuv -> Sorvanta."),
           MsgButtons::Ok, MsgIcon::Information);
}

void Form1::Postrel_Show()
{
    // A running checker comes to the front by its own single-copy rule.
    Shell(programDir() + QStringLiteral("\\Postrel.exe"), SW_SHOWNORMAL);
}

void Form1::Postrel_AutoStart()
{
    m_settings.PostrelRun =
        m_settings.PostrelRun == u"1" ? QStringLiteral("0") : QStringLiteral("1");
    ZuvMenu_Postrel_a->setChecked(m_settings.PostrelRun == u"1");
    TrayMenu_Email_Start->setChecked(m_settings.PostrelRun == u"1");
    SaveOptions();
}

void Form1::Sorvanta_AutoStart()
{
    m_settings.ZuvsvStart = m_settings.ZuvsvStart == u"1" ? QString() : QStringLiteral("1");
    ZuvMenu_Sorvanta_AutoStart->setChecked(m_settings.ZuvsvStart == u"1");
    SaveOptions();
}

} // namespace zuv::messenger
