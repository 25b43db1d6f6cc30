#include "menus.h"

namespace zuv::radio {
namespace {

QAction* add(QMenu* menu, const QString& name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
}

QMenu* submenu(QMenu* menu, const QString& name, const QString& caption)
{
    QMenu* sub = menu->addMenu(caption);
    sub->setObjectName(name);
    sub->menuAction()->setObjectName(name);
    return sub;
}

} // namespace

Menus::Menus(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("SORVANTA"));

    SV_TrayMenu = new QMenu(this);
    SV_TrayMenu->setObjectName(QStringLiteral("SV_TrayMenu"));
    SV_TrayMenu_Play =
        add(SV_TrayMenu, QStringLiteral("SV_TrayMenu_Play"), QStringLiteral("Zapnout"));
    SV_Volume = submenu(SV_TrayMenu, QStringLiteral("SV_Volume"), QStringLiteral("Hlasitost"));
    const char* volumeCaptions[6] = {"O",         "lll",          "llllll",
                                     "lllllllll", "llllllllllll", "lllllllllllllll"};
    for (int level = 5; level >= 0; --level) {
        Volume[level] = add(SV_Volume, QStringLiteral("Volume%1").arg(level),
                            QString::fromLatin1(volumeCaptions[level]));
        Volume[level]->setCheckable(true);
    }
    SV_TrayMenu->addSeparator()->setObjectName(QStringLiteral("SV_TrayMenu_delcara"));
    add(SV_TrayMenu, QStringLiteral("SV_TrayMenu_FreeMusic"), QStringLiteral("FreeMusic"));
    add(SV_TrayMenu, QStringLiteral("SV_TrayMenu_RadioList"), QStringLiteral("Seznam rádií"));
    SV_TrayMenu->addSeparator()->setObjectName(QStringLiteral("SV_TrayMenu_delicicara"));
    add(SV_TrayMenu, QStringLiteral("SV_TrayMenu_Konec"), QStringLiteral("Konec"));

    SV_Menu = new QMenu(this);
    SV_Menu->setObjectName(QStringLiteral("SV_Menu"));
    add(SV_Menu, QStringLiteral("SV_Menu_Zuvnet"), QStringLiteral("Zuvnet"));
    SV_Menu->addSeparator();
    add(SV_Menu, QStringLiteral("SV_Menu_ShowUsers"),
        QStringLiteral("Zobrazit posluchače tohoto rádia"));
    add(SV_Menu, QStringLiteral("SV_Menu_Disk"), QStringLiteral("Diskuze k rádiové stanici"));
    add(SV_Menu, QStringLiteral("SV_Menu_Potize"), QStringLiteral("Mám potíže s poslechem..."));
    SV_Menu->addSeparator();
    add(SV_Menu, QStringLiteral("SV_Menu_Mp3rec"), QStringLiteral("Mp3 nahrávání"));
    add(SV_Menu, QStringLiteral("SV_Menu_library"), QStringLiteral("Knihovna nahrávek"));
    add(SV_Menu, QStringLiteral("SV_Menu_GFM"), QStringLiteral("Zuv FreeMusic"));
    add(SV_Menu, QStringLiteral("SV_Menu_SVadd"), QStringLiteral("Přidat nové rádio"));
    SV_Menu->addSeparator();
    add(SV_Menu, QStringLiteral("SV_Menu_FAQ"), QStringLiteral("Nápověda"));
    SV_Menu_Skins = submenu(SV_Menu, QStringLiteral("SV_Menu_Skins"), QStringLiteral("Skiny"));
    SV_Menu_Skins_SKIN =
        add(SV_Menu_Skins, QStringLiteral("SV_Menu_Skins_SKIN"), QStringLiteral("..."));
    SV_Menu_Nastaveni =
        submenu(SV_Menu, QStringLiteral("SV_Menu_Nastaveni"), QStringLiteral("Nastavení"));
    SV_Menu_Nastaveni_AutoStart =
        add(SV_Menu_Nastaveni, QStringLiteral("SV_Menu_Nastaveni_AutoStart"),
            QStringLiteral("Zapnout rádio při startu"));
    SV_Menu_Nastaveni_AutoStart->setCheckable(true);
    SV_Menu_Nastaveni_OnTop = add(SV_Menu_Nastaveni, QStringLiteral("SV_Menu_Nastaveni_OnTop"),
                                  QStringLiteral("Vždy nahoře"));
    SV_Menu_Nastaveni_OnTop->setCheckable(true);
    add(SV_Menu_Nastaveni, QStringLiteral("SV_Menu_Nastaveni_SVCC"), QStringLiteral("Konzole"));

    SV_MenuRadia = new QMenu(this);
    SV_MenuRadia->setObjectName(QStringLiteral("SV_MenuRadia"));
    SV_MenuRadia_Naladit =
        add(SV_MenuRadia, QStringLiteral("SV_MenuRadia_Naladit"), QStringLiteral("Naladit rádio"));
    SV_MenuRadia->addSeparator();
    add(SV_MenuRadia, QStringLiteral("SV_MenuRadia_ZobrazUzivatele"),
        QStringLiteral("Zobrazit uživatele poslouchající toto rádio"));
    add(SV_MenuRadia, QStringLiteral("SV_MenuRadia_Disk"),
        QStringLiteral("Diskuze k rádiové stanici"));
    add(SV_MenuRadia, QStringLiteral("SV_MenuRadia_Potize"),
        QStringLiteral("Mám potíže s poslechem tohoto rádia"));
    SV_MenuRadia->addSeparator();
    add(SV_MenuRadia, QStringLiteral("SV_MenuRadia_Delete"),
        QStringLiteral("Odebrat z oblíbených rádií"));

    SV_MenuPlRaria = new QMenu(this);
    SV_MenuPlRaria->setObjectName(QStringLiteral("SV_MenuPlRaria"));
    SV_MenuPlRaria_www =
        add(SV_MenuPlRaria, QStringLiteral("SV_MenuPlRaria_www"), QStringLiteral("Web rádia"));
    SV_MenuPlRaria->addSeparator();
    add(SV_MenuPlRaria, QStringLiteral("SV_MenuPlRaria_Users"),
        QStringLiteral("Zobrazit posluchače"));
    add(SV_MenuPlRaria, QStringLiteral("SV_MenuPlRaria_Disk"),
        QStringLiteral("Diskuze k rádiové stanici"));
    add(SV_MenuPlRaria, QStringLiteral("SV_MenuPlRaria_Err"),
        QStringLiteral("Mám problém s poslechem"));
    SV_MenuPlRaria_K = submenu(SV_MenuPlRaria, QStringLiteral("SV_MenuPlRaria_K"),
                               QStringLiteral("Dostupné kvality"));
    for (int i = 0; i < 5; ++i) {
        SV_MenuPlRaria_K_[i] =
            add(SV_MenuPlRaria_K, QStringLiteral("SV_MenuPlRaria_K_%1").arg(i + 1),
                QString::number(i + 1));
        SV_MenuPlRaria_K_[i]->setCheckable(true);
    }
    SV_MenuPlRaria->addSeparator();
    add(SV_MenuPlRaria, QStringLiteral("SV_MenuPlRariaSat"), QStringLiteral("Naladit jiné rádio"));
}

QAction* Menus::item(const QString& name) const
{
    return findChild<QAction*>(name);
}

void Menus::setSkins(const QStringList& names, const QString& chosen)
{
    const QList<QAction*> items = SV_Menu_Skins->actions();
    for (QAction* old : items)
        if (old != SV_Menu_Skins_SKIN)
            delete old;
    // Without skin files the menu keeps its single design item.
    SV_Menu_Skins_SKIN->setVisible(names.isEmpty());
    for (const QString& name : names) {
        QAction* skin = SV_Menu_Skins->addAction(name);
        skin->setObjectName(QStringLiteral("SV_Menu_Skins_SKIN"));
        skin->setCheckable(true);
        skin->setChecked(name.compare(chosen, Qt::CaseInsensitive) == 0);
        connect(skin, &QAction::triggered, this, [this, name] { emit skinChosen(name); });
    }
}

} // namespace zuv::radio
