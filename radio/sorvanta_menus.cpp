// The player's menus, its tray menu and what their items do.
#include "core/favourites.h"
#include "menus.h"
#include "sorvanta.h"

#include <QCursor>
#include <QSystemTrayIcon>
#include <foundation/gui/messagebox.h>
#include <foundation/gui/sendcommand.h>
#include <foundation/loginlink.h>
#include <foundation/paths.h>
#include <foundation/shell.h>

namespace zuv::radio {
namespace {

const QString kMessengerCaption = QStringLiteral("Zuv - Sorvanta");

} // namespace

void Sorvanta::buildMenus()
{
    m_menus = new Menus(this);
    m_menus->setWindowFlag(Qt::Window); // a window of its own, never shown
    Menus& m = *m_menus;
    const auto on = [this, &m](const char* name, auto handler) {
        connect(m.item(QString::fromLatin1(name)), &QAction::triggered, this, handler);
    };
    on("SV_TrayMenu_Play", [this] {
        PlayTL.click();
        activateWindow();
    });
    for (int level = 0; level <= 5; ++level)
        connect(m.Volume[level], &QAction::triggered, this,
                [this, level] { VolumeSet(level * 20); });
    on("SV_TrayMenu_FreeMusic", [this] { ZuvFreeMusic(); });
    on("SV_Menu_GFM", [this] { ZuvFreeMusic(); });
    on("SV_TrayMenu_RadioList", [this] { Naladit(); });
    on("SV_MenuPlRariaSat", [this] { Naladit(); });
    on("SV_MenuRadia_Naladit", [this] { PlayTL.click(); });
    on("SV_TrayMenu_Konec", [this] { Konec(); });
    on("SV_Menu_Zuvnet", [this] {
        if (serverKnown())
            OpenZuvnet();
    });
    for (const char* name :
         {"SV_Menu_ShowUsers", "SV_MenuPlRaria_Users", "SV_MenuRadia_ZobrazUzivatele"})
        on(name, [this] { Control_ShowUser_Click(); });
    on("SV_Menu_Disk", [this] { Diskuze(m_currentStationName); });
    on("SV_MenuPlRaria_Disk", [this] { Diskuze(m_currentStationName); });
    on("SV_MenuRadia_Disk",
       [this] { Diskuze(RadioInfo(m_settings.CurrentStationId, QStringLiteral("name"))); });
    on("SV_Menu_Potize", [this] { Potize(true); });
    on("SV_MenuPlRaria_Err", [this] { Potize(true); });
    on("SV_MenuRadia_Potize", [this] { Potize(false); });
    on("SV_Menu_Mp3rec", [this] { Control_Rec_Click(); });
    on("SV_Menu_library",
       [] { Shell(programDir() + QStringLiteral("\\ZuvRecorder.exe l"), SW_SHOWNORMAL); });
    on("SV_Menu_SVadd", [this] {
        if (serverKnown())
            Shell(programDir() + QStringLiteral("\\ZuvBrowser.exe ") + m_server.serverBase +
                      QStringLiteral("/sorvanta.trolvik/user_sv_add.php?idh=") + m_settings.OwnId +
                      QStringLiteral("&h=") + m_settings.AuthH +
                      QStringLiteral("/@/9000/@/9000/@/Přidat nové rádio (Zuvnet)/@/normal/@/"
                                     "endtestnull/@/"),
                  SW_SHOWMINIMIZED);
    });
    on("SV_Menu_FAQ", [this] {
        // A help page without a server would be a path on this computer.
        if (serverKnown())
            OpenURLInShell(m_server.serverBase + QStringLiteral("/faq"));
    });
    connect(&m, &Menus::skinChosen, this, [this](const QString& name) { LoadSkin(name); });
    on("SV_Menu_Nastaveni_AutoStart", [this] {
        m_settings.AutoStartFlag =
            m_settings.AutoStartFlag == u"1" ? QStringLiteral("0") : QStringLiteral("1");
        m_menus->SV_Menu_Nastaveni_AutoStart->setChecked(m_settings.AutoStartFlag == u"1");
    });
    on("SV_Menu_Nastaveni_OnTop",
       [this] { m_settings.OnTopFlag.toInt() == 1 ? OnTopNO() : OnTopYES(); });
    on("SV_Menu_Nastaveni_SVCC", [this] { SVconsole(); });
    on("SV_MenuRadia_Delete", [this] {
        if (m_selectedFavourite != u"sv:/")
            DeleteFromOblibene(m_selectedFavourite);
    });
    connect(m.SV_MenuPlRaria_www, &QAction::triggered, this,
            [this] { OpenURLInShell(m_menus->SV_MenuPlRaria_www->text()); });
    for (int i = 0; i < 5; ++i) {
        const QString quality = QString::number(i + 1);
        connect(m.SV_MenuPlRaria_K_[i], &QAction::triggered, this, [this, i, quality] {
            PlayAll(RadioInfo(m_settings.CurrentStationId, u'u' + quality));
            m_settings.CurrentQuality = quality;
            for (QAction* other : m_menus->SV_MenuPlRaria_K_)
                other->setChecked(other == m_menus->SV_MenuPlRaria_K_[i]);
        });
    }
    // The tray's play item follows the play button.
    connect(m.SV_TrayMenu, &QMenu::aboutToShow, this, [this] {
        m_menus->SV_Volume->menuAction()->setVisible(true);
        m_menus->SV_TrayMenu_Play->setText(PlayTL.text());
        m_menus->SV_TrayMenu_Play->setEnabled(PlayTL.isEnabled());
    });
    m.SV_Menu_Nastaveni_AutoStart->setChecked(m_settings.AutoStartFlag == u"1");
}

Menus& Sorvanta::menus() const
{
    return *m_menus;
}

bool Sorvanta::serverKnown()
{
    LoadOptionsServer();
    if (!m_server.serverBase.isEmpty())
        return true;
    MsgBox(QStringLiteral("(program ještě není úplně zaveden...)\r\nNejprve použujte funkci "
                          "Naladit rádio."),
           MsgButtons::Ok, MsgIcon::Information);
    return false;
}

void Sorvanta::OpenZuvnet()
{
    OpenURLInShell(m_server.serverBase + QStringLiteral("/login/") + m_settings.OwnId + u'/' +
                   LoginLink::Heslo(m_settings.AuthH) + QStringLiteral("//1"));
}

void Sorvanta::ZuvFreeMusic()
{
    if (!serverKnown())
        return;
    Shell(programDir() + QStringLiteral("\\ZuvBrowser.exe ") + m_server.serverBase +
              QStringLiteral("\\zuv\\freemusic.php?idh=") + m_settings.OwnId +
              QStringLiteral("&h=") + m_settings.AuthH +
              QStringLiteral("/@/14000/@/8000/@/Zuv FreeMusic (Zuvnet)/@/max/@/endtestnull/@/"),
          SW_SHOWMINIMIZED);
}

void Sorvanta::Diskuze(const QString& stationName)
{
    if (!serverKnown())
        return;
    Shell(programDir() + QStringLiteral("\\ZuvBrowser.exe ") + m_server.serverBase +
              QStringLiteral("\\zuv\\diskuze.php?idh=") + m_settings.OwnId + QStringLiteral("&h=") +
              m_settings.AuthH + QStringLiteral("&t=100000&tid=") + m_settings.CurrentStationId +
              QStringLiteral("/@/9000/@/9000/@/Diskuze k rádiové stanici: ") + stationName +
              QStringLiteral(" (Zuvnet)/@/normal/@/endtestnull/@/"),
          SW_SHOWMINIMIZED);
}

void Sorvanta::Potize(bool needsStation)
{
    const QString name = needsStation
                             ? m_currentStationName
                             : RadioInfo(m_settings.CurrentStationId, QStringLiteral("name"));
    if (needsStation && (m_settings.CurrentStationId.isEmpty() || name.isEmpty())) {
        MsgBox(QStringLiteral("Vyberte stanici, s kterou máte potíže a klikněte na položku v menu: "
                              "'Mám potíže s poslechem tohoto rádia'\r\nPokud máte potíže s "
                              "poslechem nějaké rádiové stanice, tak se přepněte do seznamu všech "
                              "stanic."),
               MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    Shell(QStringLiteral("remind.exe RadioOFF/@/") + m_settings.CurrentStationId +
              QStringLiteral("/@/") + name + QStringLiteral("/@/") + m_settings.OwnId +
              QStringLiteral("/@/") + m_settings.AuthH + QStringLiteral("/@/") +
              m_server.serverBase,
          SW_SHOWNORMAL);
}

void Sorvanta::preparePlayingMenu()
{
    Menus& m = *m_menus;
    const QString web = RadioInfo(m_settings.CurrentStationId, QStringLiteral("www"));
    m.SV_MenuPlRaria_www->setText(web.isEmpty() ? QStringLiteral("Web rádia") : web);
    m.SV_MenuPlRaria_www->setEnabled(!web.isEmpty());
    for (int i = 0; i < 5; ++i) {
        const QString label = RadioInfo(m_settings.CurrentStationId, u'k' + QString::number(i + 1));
        QAction* quality = m.SV_MenuPlRaria_K_[i];
        quality->setVisible(!label.isEmpty());
        quality->setText(label + QStringLiteral(" kbps"));
        quality->setChecked(QString::number(i + 1) == m_settings.CurrentQuality);
    }
}

void Sorvanta::prepareFavouriteMenu()
{
    m_menus->SV_MenuRadia_Naladit->setText(
        QStringLiteral("Naladit rádio ") +
        RadioInfo(m_settings.CurrentStationId, QStringLiteral("name")));
}

void Sorvanta::popUp(QMenu* menu)
{
    menu->popup(QCursor::pos());
}

} // namespace zuv::radio
