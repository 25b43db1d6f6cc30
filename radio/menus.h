#pragma once

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace zuv::radio {

// The window "SORVANTA" that only carries the player's pop-up menus; it is
// never shown. Every item has its designed name as object name.
class Menus : public QWidget
{
    Q_OBJECT
public:
    explicit Menus(QWidget* parent = nullptr);

    QMenu* SV_TrayMenu;
    QMenu* SV_Volume;
    QMenu* SV_Menu;
    QMenu* SV_Menu_Skins;
    QMenu* SV_Menu_Nastaveni;
    QMenu* SV_MenuRadia;
    QMenu* SV_MenuPlRaria;
    QMenu* SV_MenuPlRaria_K;

    QAction* SV_TrayMenu_Play;
    QAction* Volume[6];
    QAction* SV_Menu_Skins_SKIN; // the design item, shown while no skin is found
    QAction* SV_Menu_Nastaveni_AutoStart;
    QAction* SV_Menu_Nastaveni_OnTop;
    QAction* SV_MenuRadia_Naladit;
    QAction* SV_MenuPlRaria_www;
    QAction* SV_MenuPlRaria_K_[5];

    // The item of this name, wherever it is; nullptr when there is none.
    QAction* item(const QString& name) const;
    // The skin items after the design item: one per name, the chosen one
    // checked (letter case aside).
    void setSkins(const QStringList& names, const QString& chosen);

signals:
    // An item of the skins menu was chosen.
    void skinChosen(const QString& name);
};

} // namespace zuv::radio
