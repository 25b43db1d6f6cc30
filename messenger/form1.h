#pragma once

#include "core/loopguards.h"
#include "core/refreshcycle.h"

#include <QIcon>
#include <QLabel>
#include <QMap>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/windowproc.h>
#include <foundation/messengersettings.h>
#include <foundation/optionsfile.h>
#include <foundation/serversettings.h>

namespace zuv::messenger {

// The messenger centre's main window "Zuv - Sorvanta": logs in, keeps the
// refresh cycle with the server going and hands on what the server sends.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Runs the start-up; false when this copy is to end at once (another
    // copy runs, or the user ended it from the login dialog).
    bool Form_Load(const QString& argument);

    // Controls.
    QLabel StatusOnline;
    QTreeWidget TreeView1;
    QTreeWidget ListView1;
    QWidget NewVerForm;
    QTimer Timer1; // the refresh
    QTimer Timer2; // 1 s: wait for a connection
    QTimer Timer3; // 100 ms: delayed end
    QTimer WaitForData;
    QTimer WaitDelete;
    QSystemTrayIcon* Tray = nullptr;

    // Operations.
    void login();
    void StartZuv();
    void StopForm();
    void StartForm();
    void FormMax();
    void FormMin();
    void ZuvMinMax();
    void SetHeight();
    void ZuvCaption();
    void Konec();
    void NovaVerze();
    bool TestOnLine();
    void Aktualizuj(const QString& what);
    void ZpracujData();
    void RezimAktivni();
    void RezimPasivni();
    void RezimStahovani(const QString& mode);
    void MSGoteviram();
    void MSGseOzvalo();
    void SendMessageToClient(const QString& text, const QString& title,
                             const QString& chatArguments);
    void SetSubclass(bool on);

    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    // State others look at (tests among them).
    MessengerSettings& settings() { return m_settings; }
    const ServerSettings& server() const { return m_server; }
    RefreshCycle& cycle() { return m_cycle; }
    const QString& requestPending() const { return m_requestPending; }
    bool sendBuild() const { return m_sendBuild; }
    BusWindow& bus() { return m_bus; }
    const QString& stationHeard() const { return m_stationHeard; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildWindow();
    void buildCommandTable();
    void LoadOptions();
    void SaveOptions();
    void LoadImages();
    void AddTray();
    void handleLine(const QString& line);
    void endProgram(bool save);
    void StatusOnlineText(const QString& value);
    int refreshInterval() const;

    OptionsFile m_options;
    MessengerSettings m_settings;
    ServerSettings m_server;
    RefreshCycle m_cycle;
    LoopGuards m_guards;
    BusWindow m_bus;
    CommandTable m_commands;
    QMap<QString, QIcon> m_images;

    QString m_argument;
    QString m_requestPending;
    QString m_pendingWhat; // kind of the refresh whose reply is awaited
    QString m_lastRefreshWhat;
    QString m_radioState = QStringLiteral("off");
    QString m_lastOnlineValue;
    QString m_lastOnlineState;
    QString m_stationHeard;
    bool m_sendBuild = true;
    bool m_heightApplied = false;
    bool m_processing = false;
    bool m_dwokWaiting = false;
    bool m_waitForDataWas = false;
    bool m_waitDeleteWas = false;
};

} // namespace zuv::messenger
