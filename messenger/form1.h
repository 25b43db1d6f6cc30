#pragma once

#include "core/loopguards.h"
#include "core/refreshcycle.h"

#include <QAction>
#include <QCursor>
#include <QElapsedTimer>
#include <QHash>
#include <QIcon>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/windowproc.h>
#include <foundation/messengersettings.h>
#include <foundation/optionsfile.h>
#include <foundation/serversettings.h>
#include <functional>
#include <memory>

namespace zuv::messenger {

class Hledej;

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
    QLabel Status; // information line of the clicked node
    QLabel Label1; // hint for an empty contact list
    QToolButton CMDnalada;
    QLabel Image1;        // picture: the user search
    QLabel Image2;        // picture: the main menu
    QPushButton Command1; // "Nastavení": the main menu
    QPushButton Command3; // "Hledej uživatele"
    QPushButton Command4; // "Sorvanta"
    QMenu ZuvMenu;        // the main menu
    QMenu TrayMenu;       // the tray icon's menu
    QMenu HideMenuNalada; // the own mood, in the tray menu and on CMDnalada
    QMenu MenuUser;
    QAction* MenuUserSendMessage = nullptr;
    QAction* MenuUserSendFile = nullptr;
    QAction* MenuUserNote = nullptr;
    QAction* MenuUserInfo = nullptr;
    QAction* MenuUserDelete = nullptr;
    QMap<QString, QAction*> moodItems; // by mood value
    QAction* ZuvMenu_ZuvonWin = nullptr;
    QAction* ZuvMenu_RezimStahovani_normal = nullptr;
    QAction* ZuvMenu_RezimStahovani_x = nullptr;
    QAction* ZuvMenu_Zobrazeni_Tree = nullptr;
    QAction* ZuvMenu_Zobrazeni_List = nullptr;
    QAction* ZuvMenu_Rezim_Aktivni = nullptr;
    QAction* ZuvMenu_Rezim_Pasivni = nullptr;
    QAction* ZuvMenu_Postrel_s = nullptr;
    QAction* ZuvMenu_Postrel_a = nullptr;
    QAction* ZuvMenu_Sorvanta_AutoStart = nullptr;
    QAction* TrayMenu_Email_Show = nullptr;
    QAction* TrayMenu_Email_Start = nullptr;
    QAction* TrayMenu_Email_Check = nullptr;
    QAction* ZuvMenu_SetMsg_1 = nullptr;
    QAction* ZuvMenu_SetMsg_2 = nullptr;
    QAction* ZuvMenu_SetMsg_3 = nullptr;
    QAction* ZuvMenu_SetMsg_sound_1 = nullptr;
    QAction* ZuvMenu_SetMsg_sound_0 = nullptr;
    QTreeWidget TreeView1;
    QTreeWidget ListView1;
    QWidget NewVerForm; // the new-version panel, in place of the tree
    QLabel NewVerText;
    QLabel NewVerDownload; // "[stáhnout novou verzi]"
    QLabel NewVerCancel;   // "[storno]"
    QTimer Timer1;         // the refresh
    QTimer Timer2;         // 1 s: wait for a connection
    QTimer Timer3;         // 100 ms: delayed end
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
    // Asked to end from outside (Ctrl+C, a signal, the session's end): the
    // orderly end without asking; a copy still in its start-up just ends.
    void endRequest();
    void NovaVerze();
    bool TestOnLine();
    void Aktualizuj(const QString& what);
    void ZpracujData();
    void RezimAktivni();
    void RezimPasivni();
    void RezimStahovani(const QString& mode);
    void MSGoteviram();
    void MSGseOzvalo();
    // True when a chat window had to be started for the delivery.
    bool SendMessageToClient(const QString& text, const QString& title,
                             const QString& chatArguments);
    void SetSubclass(bool on);

    // Contact list.
    void PridejDoSeznamu(const QString& Nick, const QString& ID, const QString& Age,
                         const QString& Smail, const QString& Stav);
    void CleanTree();
    void CleanList();
    void SetInBoX(const QString& count);
    void ZobrazeniTree();
    void ZobrazeniList();
    void ZadnyUseri();
    void SetFocusListview(const QString& text);
    void Nalada(const QString& mood);
    void TreeView1_NodeClick(QTreeWidgetItem* node);
    void TreeView1_DblClick(QTreeWidgetItem* node);
    void ListView1_DblClick(QTreeWidgetItem* item);
    void showMenuUser(const QString& key, const QPoint& where);
    void MenuUserDelete_Click();
    void WaitDelete_Timer();
    // The server's answer to an addition or removal: a message box, and a
    // full refresh once the list has changed ("nick//" + nickname).
    void showContactListAnswer(const QStringList& lines, const QString& doneText);
    void Label1_Click();
    QString contactInfo(const QString& number) const { return m_contactInfo.value(number.toInt()); }
    QString selectedKey() const { return m_menuKey; }
    // Menu commands.
    Hledej& showSearch(); // the user search window, made when first asked for
    Hledej* searchWindow() const { return m_search.get(); }
    void openWebLogin(); // the member's own page on the web site
    void ZuvonWin_Click();
    void bringUpRadio(); // the radio player's items
    void Postrel_Show();
    void Postrel_AutoStart();
    void Sorvanta_AutoStart();
    void FAQ_Click();
    void showNewVersionPanel(bool shown);
    void webView(const QString& path, const QString& size, const QString& title,
                 const QString& endFlag);
    // Chat settings.
    void setChatTextSize(const QString& code, const QString& caption);
    void setChatSound(const QString& flag);
    void applyChatSettingMarks();
    // Dispatch of incoming records.
    void SendMessageZuv(const QString& nick, const QString& number);
    void dispatchMessage(const QString& line, const QString& afterMarker);
    void dispatchWebWindow(const QString& afterMarker);
    void dispatchRemotePlay(const QString& line);
    void dispatchSharedFile(const QString& line);

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
    // Two refreshes in a row got no reply.
    bool serverLost() const { return m_missedReplies >= kMissesForLost; }
    const QString& stationHeard() const { return m_stationHeard; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildMenus();
    void buildNewVersionPanel();
    void buildMainMenu();
    void buildTrayMenu();
    QAction* menuItem(QMenu* menu, const char* name, const QString& caption,
                      std::function<void()> action, bool checkable = false);
    void markPostrelItems();
    void applySettingMarks(); // every check mark from the settings
    void placeBottom();       // StatusOnline and the buttons keep to the bottom edge
    QTreeWidgetItem* nodeByKey(const QString& key) const;
    // A full reply fills the views in one step at its end: a view that lays
    // itself out and paints while thousands of contacts come one by one
    // takes time that grows faster than their number.
    void beginFilling();
    void endFilling();
    void addTopLevel(QTreeWidget& view, QTreeWidgetItem* item);
    void showTopLevel(QTreeWidget& view, const QList<QTreeWidgetItem*>& items);
    int nodeIndex(QTreeWidgetItem* node) const;
    QTreeWidgetItem* nodeAt(int index) const;
    void scrollToStoredNode();
    QString nodeKey(QTreeWidgetItem* node) const;
    QString numberOfKey(const QString& key) const { return key.mid(3); }
    QString nickOfKey(const QString& key) const;
    void buildCommandTable();
    void LoadOptions();
    void showLoading(); // the start-up window; takes its server settings
    void SaveOptions();
    void LoadImages();
    void AddTray();
    void handleLine(const QString& line);
    void endProgram(bool save);
    void StatusOnlineText(const QString& value);
    // Counts a refresh with or without a reply, and shows a lost server.
    void noteReply(bool replied);
    void showServerLost(bool lost);
    QString trayTip() const;
    bool hasTray() const;
    void switchSpeed(int interval, const QString& speed);

    OptionsFile m_options;
    MessengerSettings m_settings;
    ServerSettings m_server;
    RefreshCycle m_cycle;
    LoopGuards m_guards;
    BusWindow m_bus;
    CommandTable m_commands;
    QMap<QString, QIcon> m_images;
    QCursor m_handCursors[2];

    QHash<QString, QTreeWidgetItem*> m_nodes; // tree nodes by key, for a fast rebuild
    QHash<QString, QTreeWidgetItem*> m_items; // list items by key
    QHash<int, QString> m_contactInfo;        // number → "nick" or "nick (age let)"
    bool m_filling = false;
    QList<QTreeWidgetItem*> m_newTreeItems; // top-level nodes of the reply in progress
    QList<QTreeWidgetItem*> m_newListItems;
    QString m_lastInbox;
    QString m_menuKey; // the contact the contact menu is about
    bool m_loading = true;
    QString m_argument;
    QString m_requestPending;
    QElapsedTimer m_requestClock; // since the pending request was made
    bool m_replyOverdue = false;  // the pending request has counted as missed
    int m_missedReplies = 0;      // refreshes in a row without a reply
    static constexpr int kMissesForLost = 2;
    QString m_pendingWhat; // kind of the refresh whose reply is awaited
    QString m_lastRefreshWhat;
    QString m_radioState = QStringLiteral("off");
    QString m_lastOnlineValue;
    QString m_lastOnlineState;
    QTimer m_radioPlayWait; // until a just started player has its window
    int m_radioPlayRounds = 0;
    QString m_stationHeard;
    bool m_sendBuild = true;
    bool m_heightApplied = false;
    bool m_started = false; // past the single-instance check
    // The stored geometry as the window got it; an unchanged window saves
    // the stored twips, not their rounded pixels.
    QPoint m_appliedPosition;
    int m_appliedHeight = -1;
    bool m_processing = false;
    bool m_fullRefreshDue = false; // a full refresh asked for while one was pending
    std::unique_ptr<Hledej> m_search;
    QString m_statusBeforeHint; // the status line a hover hint covers
    bool m_dwokWaiting = false;
    bool m_waitForDataWas = false;
    bool m_waitDeleteWas = false;
};

} // namespace zuv::messenger
