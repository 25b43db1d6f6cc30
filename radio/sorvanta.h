#pragma once

#include "core/playersettings.h"

#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/windowproc.h>
#include <foundation/optionsfile.h>
#include <foundation/serversettings.h>
#include <memory>

namespace zuv {
class MediaPlayer;
}

namespace zuv::radio {

struct Skin;
class ListRadios;
class Menus;

// The radio player's main window "Sorvanta": a borderless skinned window
// that plays one station, shows what plays and reports it to the server.
class Sorvanta : public QWidget
{
    Q_OBJECT
public:
    explicit Sorvanta(QWidget* parent = nullptr);
    ~Sorvanta() override;

    // The start-up; false when this copy is to end at once.
    bool Form_Load(const QString& commandLine);

    // Controls, as the skins name them.
    QLabel LineMenu_OnTop;
    QLabel LineMenu_Min;
    QLabel LineMenu_End;
    QLabel Control_Play;
    QLabel Control_Rec;
    QLabel Control_ShowUser;
    QLabel Control_Menu;
    QLabel Control_Sat;
    QLabel Control_Volume;
    QListWidget Control_List; // the favourite stations
    QLabel SVDisplay;
    QLabel Zuvwww;
    QLabel InfoName;
    QLabel InfoTime;
    QLabel InfoStatus;
    QLabel InfoNaladit;
    QPushButton PlayTL; // hidden; its caption is the play state
    MediaPlayer& WindowsMediaPlayer1;
    QTimer aktualizujWMP; // 1 s: the display
    QTimer Timer1;        // 3 s after Play: the listening report
    QTimer Timer2;        // 500 ms: the report's reply
    QSystemTrayIcon* Tray = nullptr;

    // Start, end, window.
    void LoadOptions();
    void LoadOptionsWorkIt();
    void SaveOptions();
    void LoadOptionsServer();
    void Konec();
    void FormMax();
    void FormMin();
    void ZuvMinMax();
    void OnTopYES();
    void OnTopNO();
    void SetSubclass(bool on);
    void AutoStart(const QString& IDlastRadio, QString KvalitaSV);

    // Playback.
    void PripravHrani(QString URL);
    void Play();
    void PlayStop();
    void PlayAll(const QString& URL);
    void PlayTL_Click();
    void aktualizujWMP_Timer();
    void Timer1_Timer();
    void Timer2_Timer();
    QString RadioInfo(const QString& stationId, const QString& field) const;
    void VolumeSet(int VolValue);
    void SVconsole();
    void runConsole(const QString& text); // one line of the console
    void Naladit();
    void Control_Rec_Click();
    void Control_ShowUser_Click();

    // Skins.
    void LoadSkin(const QString& SkinNames);
    void ZobrazCoMas();
    void SkinVolume(int VolValue);
    QStringList NactiSeznamSkinu(const QString& VybranySkin);

    // Favourite stations.
    void ZobrazOblibene();
    void Control_List_Click();
    void Control_List_DblClick();
    void DeleteFromOblibene(const QString& RadioDelete);
    const QString& selectedFavourite() const { return m_selectedFavourite; }

    // Menus and the commands of their items.
    Menus& menus() const;
    void OpenZuvnet();
    void ZuvFreeMusic();
    void Diskuze(const QString& stationName);
    void Potize(bool needsStation);
    void preparePlayingMenu();
    void prepareFavouriteMenu();
    ListRadios* stationBrowser() const;

    // State others look at (tests among them).
    PlayerSettings& settings() { return m_settings; }
    BusWindow& bus() { return m_bus; }
    const QString& serverBase() const { return m_server.serverBase; }
    const QString& windowShown() const { return m_windowShown; }
    bool startedMessenger() const { return m_startedMessenger; }
    const QString& currentStationName() const { return m_currentStationName; }
    const QString& mediaTitle() const { return m_mediaTitle; }
    const QString& pendingURL() const { return m_pendingURL; }
    const QString& remoteTitle() const { return m_remoteTitle; }
    const Skin& skin() const { return *m_skin; }
    int volumeLevel() const { return m_volumeLevel; }
    const QStringList& skinMenu() const { return m_skinNames; }
    const QString& checkedSkin() const { return m_checkedSkin; }

signals:
    void ended();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void buildWindow();
    void buildCommandTable();
    void AddTray();
    void showStatus(const QString& status);
    QString skinPicturePath(const QString& file) const;
    void setPicture(QLabel& control, const QString& file);
    void applySkin(); // places the controls as the loaded skin says
    void placeStatus();
    void buildMenus();
    bool serverKnown(); // else the message that the player is not ready
    void popUp(QMenu* menu);

    OptionsFile m_options;
    PlayerSettings m_settings;
    ServerSettings m_server;
    BusWindow m_bus;
    CommandTable m_commands;
    std::unique_ptr<MediaPlayer> m_player;
    std::unique_ptr<Skin> m_skin;
    QString m_windowShown;
    bool m_startedMessenger = false;
    QString m_currentStationName;
    QString m_mediaTitle;
    QString m_positionText;
    QString m_pendingURL;
    QString m_remoteTitle;
    int m_volumeLevel = -1;
    QStringList m_skinNames; // the skin menu's items
    QString m_checkedSkin;
    QString m_selectedFavourite = QStringLiteral("sv:/");
    QPointer<ListRadios> m_listRadios;
    Menus* m_menus = nullptr;
    bool m_favouriteMenuDue = false; // a right press chose an entry
};

} // namespace zuv::radio
