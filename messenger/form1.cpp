#include "form1.h"

#include "core/records.h"
#include "core/refreshreply.h"
#include "core/requests.h"
#include "form2.h"
#include "hledej.h"
#include "loading.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QHeaderView>
#include <QPixmap>
#include <QTime>
#include <QVBoxLayout>
#include <cstdio>
#include <foundation/bus/instance.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/gui/messagebox.h>
#include <foundation/gui/pause.h>
#include <foundation/gui/sendcommand.h>
#include <foundation/online.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <foundation/startwithsystem.h>
#include <foundation/textfile.h>
#include <foundation/twips.h>
#include <unistd.h>
#include <utility>

namespace zuv::messenger {
namespace {

constexpr int kWidthTwips = 2790;
constexpr int kMinHeightTwips = 3495;
constexpr int kBottomTwips = 780; // StatusOnline stands this far above the bottom edge
constexpr int kLinesPerEvents = 100;
constexpr qint64 kDownloaderStartMs = 1500;
// A refresh without a reply by then counts as one that got none; the
// downloader itself waits 15 s for a connection.
constexpr qint64 kReplyOverdueMs = 20000;

const QString kServerLost = QStringLiteral("Nelze se spojit se serverem…");
const QString kTrayTip = QStringLiteral("Zuv");

const QString kCaption = QStringLiteral("Zuv - Sorvanta");
const QString kMailCheckerCaption = QStringLiteral("Zuv Postrel! (Zuvnet)");

QString replyFilePath()
{
    return programDir() + QStringLiteral("/zuv.tt");
}

bool toInt(const QString& text, int* value)
{
    bool ok = false;
    *value = text.trimmed().toInt(&ok);
    return ok;
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    buildWindow();
    buildCommandTable();
}

Form1::~Form1()
{
    // The filtered controls go after this body; they must not call back.
    TreeView1.viewport()->removeEventFilter(this);
    for (QWidget* watched :
         {static_cast<QWidget*>(&Label1), static_cast<QWidget*>(&Image1),
          static_cast<QWidget*>(&Image2), static_cast<QWidget*>(&CMDnalada),
          static_cast<QWidget*>(&NewVerDownload), static_cast<QWidget*>(&NewVerCancel)})
        watched->removeEventFilter(this);
    m_search.reset();
    if (Tray)
        Tray->hide();
}

void Form1::buildWindow()
{
    ZuvCaption();
    auto* layout = new QVBoxLayout(this);
    // The bottom strip holds StatusOnline and the buttons, placed by hand.
    layout->setContentsMargins(2, 2, 2, kBottomTwips / kTwipsPerPixel + 2);
    TreeView1.setHeaderHidden(true);
    // Rows of one height keep a rebuild of thousands of contacts fast.
    TreeView1.setUniformRowHeights(true);
    ListView1.setUniformRowHeights(true);
    ListView1.setRootIsDecorated(false);
    ListView1.setHeaderLabels({QStringLiteral("Nick"), QStringLiteral("ID"), QStringLiteral("Age"),
                               QStringLiteral("..."), QStringLiteral("@")});
    ListView1.hide();
    StatusOnline.setParent(this);
    StatusOnline.setText(QStringLiteral("Připraven..."));
    StatusOnline.setTextFormat(Qt::PlainText);
    Label1.setText(QStringLiteral("Tip: Klikněte zde a použijte funkci pro hledání uživatelů."));
    Label1.setWordWrap(true);
    Label1.hide();
    Status.setWordWrap(true);
    Status.setTextFormat(Qt::PlainText);

    Command1.setText(QStringLiteral("Nastavení"));
    Command3.setText(QStringLiteral("Hledej uživatele"));
    Command4.setText(QStringLiteral("Sorvanta"));
    Command1.setParent(this); // placed by hand, in the bottom strip
    Command3.setParent(this);
    for (QPushButton* button : {&Command1, &Command3, &Command4}) {
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
    }
    connect(&Command1, &QPushButton::clicked, this,
            [this] { ZuvMenu.popup(Command1.mapToGlobal(QPoint(0, Command1.height()))); });
    connect(&Command3, &QPushButton::clicked, this, [this] { showSearch(); });
    connect(&Command4, &QPushButton::clicked, this, [this] { bringUpRadio(); });

    buildNewVersionPanel();
    buildMenus();
    // The window is narrow: the pictures and the radio button share the
    // top row, the search and the menu buttons the bottom strip.
    auto* pictures = new QHBoxLayout;
    pictures->setSpacing(4);
    pictures->addWidget(&Image1);
    pictures->addWidget(&Image2);
    pictures->addWidget(&CMDnalada);
    pictures->addStretch(1);
    pictures->addWidget(&Command4);
    layout->addLayout(pictures);
    layout->addWidget(&Label1);
    layout->addWidget(&TreeView1, 1);
    layout->addWidget(&ListView1, 1);
    layout->addWidget(&NewVerForm, 1);
    layout->addWidget(&Status);
    setFixedWidth(kWidthTwips / kTwipsPerPixel);
    setMinimumHeight(kMinHeightTwips / kTwipsPerPixel);
    resize(kWidthTwips / kTwipsPerPixel, 6000 / kTwipsPerPixel);

    Timer2.setInterval(1000);
    Timer3.setInterval(100);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(&Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);
    m_radioPlayWait.setInterval(250);
    connect(&m_radioPlayWait, &QTimer::timeout, this, [this] {
        constexpr int kRounds = 60; // 15 s
        if (FindWindowA(QStringLiteral("Sorvanta")) || ++m_radioPlayRounds >= kRounds) {
            m_radioPlayWait.stop();
            SendMessageToClient(QStringLiteral("play"), QStringLiteral("Sorvanta"), QString());
        }
    });
    connect(&WaitDelete, &QTimer::timeout, this, &Form1::WaitDelete_Timer);

    TreeView1.setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&TreeView1, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { TreeView1_NodeClick(node); });
    connect(&TreeView1, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* node) { TreeView1_DblClick(node); });
    connect(&ListView1, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { ListView1_DblClick(item); });
    connect(&TreeView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QTreeWidgetItem* node = TreeView1.itemAt(at);
        TreeView1_NodeClick(node);
        showMenuUser(nodeKey(node), TreeView1.viewport()->mapToGlobal(at));
    });
    connect(&ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        showMenuUser(nodeKey(ListView1.itemAt(at)), ListView1.viewport()->mapToGlobal(at));
    });
    for (QWidget* watched :
         {static_cast<QWidget*>(&Label1), static_cast<QWidget*>(&Image1),
          static_cast<QWidget*>(&Image2), static_cast<QWidget*>(&CMDnalada),
          static_cast<QWidget*>(&NewVerDownload), static_cast<QWidget*>(&NewVerCancel)})
        watched->installEventFilter(this);
    placeBottom();
}

void Form1::buildNewVersionPanel()
{
    NewVerText.setText(QStringLiteral("Je k dispozici nová verze programu Zuv - Sorvanta."));
    NewVerText.setWordWrap(true);
    NewVerDownload.setText(QStringLiteral("[stáhnout novou verzi]"));
    NewVerCancel.setText(QStringLiteral("[storno]"));
    for (QLabel* link : {&NewVerDownload, &NewVerCancel}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setStyleSheet(QStringLiteral("color: #1a4fa0; text-decoration: underline;"));
    }
    auto* panel = new QVBoxLayout(&NewVerForm);
    panel->addWidget(&NewVerText);
    panel->addWidget(&NewVerDownload);
    panel->addWidget(&NewVerCancel);
    panel->addStretch(1);
    NewVerForm.hide();
}

void Form1::showNewVersionPanel(bool shown)
{
    NewVerForm.setVisible(shown);
    // The panel stands in the tree's place while it shows.
    const bool list = m_settings.Zuvzobrazeni == u"1";
    TreeView1.setVisible(!shown && !list);
    ListView1.setVisible(!shown && list);
}

void Form1::placeBottom()
{
    const int bottom = kBottomTwips / kTwipsPerPixel;
    const int top = height() - bottom;
    StatusOnline.setGeometry(4, top, width() - 8, 18);
    const int buttonsTop = top + 20;
    const int buttonHeight = bottom - 24;
    const int searchWidth = (width() - 8) * 3 / 5;
    Command3.setGeometry(4, buttonsTop, searchWidth, buttonHeight);
    Command1.setGeometry(4 + searchWidth, buttonsTop, width() - 8 - searchWidth, buttonHeight);
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeBottom();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    const bool released = event->type() == QEvent::MouseButtonRelease;
    if (watched == &Label1 && released)
        Label1_Click();
    if (watched == &Image1 && released)
        showSearch();
    if (watched == &Image2 && released)
        ZuvMenu.popup(QCursor::pos());
    if (watched == &NewVerDownload && released) {
        showNewVersionPanel(false);
        OpenURLInShell(m_server.serverBase + QStringLiteral("/zuv/newver.php?build=") +
                       buildNumber());
    }
    if (watched == &NewVerCancel && released)
        showNewVersionPanel(false);
    // Hints for the pictures, in the status line.
    const std::pair<QObject*, const char16_t*> hints[] = {
        {&Image1, u"Vyhledat uživatele"},
        {&Image2, u"Hlavní menu"},
        {&CMDnalada, u"Nastavit smailíka"},
    };
    for (const auto& [control, hint] : hints) {
        if (watched != control)
            continue;
        if (event->type() == QEvent::Enter) {
            m_statusBeforeHint = Status.text();
            Status.setText(QString::fromUtf16(hint));
        } else if (event->type() == QEvent::Leave) {
            Status.setText(m_statusBeforeHint);
        }
    }
    // The hand closes while a button is held on the tree.
    if (watched == TreeView1.viewport() && event->type() == QEvent::MouseButtonPress)
        TreeView1.viewport()->setCursor(m_handCursors[1]);
    if (watched == TreeView1.viewport() && released)
        TreeView1.viewport()->setCursor(m_handCursors[0]);
    return QWidget::eventFilter(watched, event);
}

void Form1::buildCommandTable()
{
    m_commands
        .prefix(QStringLiteral("svs:"),
                [this](const QString& station) { showSearch().HledejSv(station); })
        .prefix(QStringLiteral("gsh:"),
                [this](const QString& text) { showSearch().RemoteSearch(text); })
        .prefix(QStringLiteral("sv:"), [this](const QString& station) { m_stationHeard = station; })
        .whole(QStringLiteral("dwok"),
               [this] {
                   if (m_processing) {
                       m_dwokWaiting = true; // handled when the running pass ends
                       return;
                   }
                   ZpracujData();
                   m_requestPending.clear();
               })
        .whole(QStringLiteral("msgon"), [this] { MSGseOzvalo(); })
        .prefix(QStringLiteral("Fmax"), [this](const QString&) { FormMax(); })
        .prefix(QStringLiteral("zuvend"), [this](const QString&) { Timer3.start(); });
}

void Form1::SetSubclass(bool on)
{
    zuv::SetSubclass(m_bus, on,
                     {[this](const QString& command) { m_commands.dispatch(command); }, {}});
}

void Form1::LoadOptions()
{
    m_server.load(QStringLiteral("Zuv (LoadOptions) zuv_server.tt"));
    m_cycle.setIntervals(m_server.activeInterval, m_server.passiveInterval,
                         m_server.thresholdInterval);
    m_options.load();
    m_settings = MessengerSettings::read(m_options);
}

void Form1::SaveOptions()
{
    // What the window still has as it was given keeps its stored twips.
    auto twips = [](int pixels, int applied, const QString& stored) {
        int value = 0;
        return pixels == applied && toInt(stored, &value) ? value : pixels * kTwipsPerPixel;
    };
    MessengerSettings::Geometry geometry;
    geometry.height = twips(height(), m_appliedHeight, m_settings.ZuvHeight);
    // A minimised window reports no usable position: keep the stored one.
    geometry.left = isMinimized() ? -48000 : twips(x(), m_appliedPosition.x(), m_settings.ZuvFx);
    geometry.top = isMinimized() ? -48000 : twips(y(), m_appliedPosition.y(), m_settings.ZuvFy);
    m_settings.save(m_options, geometry);
}

bool Form1::Form_Load(const QString& argument)
{
    m_argument = argument;
    // 1. Settings, with the login dialog until number and password exist.
    for (;;) {
        LoadOptions();
        if (!m_settings.Zuvid.isEmpty() && !m_settings.Zuvpass.isEmpty())
            break;
        login();
        if (m_settings.Zuvid.isEmpty() || m_settings.Zuvpass.isEmpty())
            continue;
        SaveOptions();
    }
    // 2.
    if (argument == u"m")
        FormMin();
    // 3. One copy only: a second one hands over and ends.
    if (HandOverToPrevInstance(SingleInstanceProgram::Messenger, argument))
        return false;
    m_started = true;
    m_bus.attach(this);
    BusWindow::setMainWindow(&m_bus);
    SetSubclass(true);
    // 4.
    LoadImages();
    Nalada(m_settings.Zuvnalada);
    applySettingMarks();
    // 5.
    m_cycle.ZuvinALLlastMinus();
    // 6.
    if (TestOnLine()) {
        StopForm();
        showLoading();
        StartForm();
    } else {
        StopForm();
        Timer2.start();
    }
    // 7.
    Timer1.setInterval(m_settings.Zuvspeed == u"0" ? m_cycle.passiveInterval()
                                                   : m_cycle.activeInterval());
    Timer1.start();
    if (!m_settings.Zuvid.isEmpty() && !m_settings.Zuvpass.isEmpty())
        StartZuv();
    else
        login();
    // 8. (columns are made with the list view) 9.
    CleanTree();
    AddTray();
    if (StartWithSystem::takeSwitchOffMarker()) {
        m_settings.Zuv = QStringLiteral("off");
        StartWithSystem::set(false);
        // The marker is gone: the switch must not wait for the next save.
        m_options.save({{OptionKeys::Zuv, m_settings.Zuv}});
    }
    // 10.
    if (m_settings.PostrelRun == u"1")
        Shell(programDir() + QStringLiteral("\\Postrel.exe zuv"), SW_SHOWNORMAL);
    scrollToStoredNode();
    // 11.
    if (m_settings.Zuvzobrazeni == u"1")
        ZobrazeniList();
    ZadnyUseri();
    m_loading = false;
    if (m_settings.Zuvmode == u"0")
        FormMin();
    else
        FormMax();
    return true;
}

void Form1::LoadImages()
{
    const QString folder = dataPath(QStringLiteral("img"));
    for (int i = 0; i < 2; ++i) {
        const QPixmap hand(dataPath(QStringLiteral("img/hands/zuvhand%1.cur").arg(i)));
        m_handCursors[i] = hand.isNull() ? QCursor(Qt::PointingHandCursor) : QCursor(hand, 0, 0);
    }
    for (QWidget* pointed :
         {static_cast<QWidget*>(TreeView1.viewport()), static_cast<QWidget*>(&CMDnalada)})
        pointed->setCursor(m_handCursors[0]);
    TreeView1.viewport()->installEventFilter(this);
    for (const QString& key : {QStringLiteral("s0"), QStringLiteral("s1"), QStringLiteral("s2"),
                               QStringLiteral("s3"), QStringLiteral("s4"), QStringLiteral("on"),
                               QStringLiteral("off"), QStringLiteral("inbox")})
        m_images.insert(key, QIcon(resolvePath(folder + u'/' + key + QStringLiteral(".gif"))));
    const std::pair<QLabel*, const char16_t*> pictures[] = {{&Image1, u"/zuvii.gif"},
                                                            {&Image2, u"/menu.gif"}};
    for (const auto& [picture, file] : pictures) {
        const QPixmap pixmap(resolvePath(folder + QString::fromUtf16(file)));
        if (!pixmap.isNull())
            picture->setPixmap(
                pixmap.scaled(24, 24, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        picture->setCursor(m_handCursors[0]);
    }
}

void Form1::AddTray()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    Tray = new QSystemTrayIcon(this);
    const QIcon icon = m_images.value(QStringLiteral("on"));
    Tray->setIcon(icon.isNull() ? windowIcon() : icon);
    Tray->setToolTip(trayTip());
    // Left button: show or hide; right button: the tray menu, mood included.
    Tray->setContextMenu(&TrayMenu);
    connect(Tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger)
            ZuvMinMax();
    });
    Tray->show();
}

void Form1::login()
{
    StopForm();
    Form2 dialog(m_server.serverBase, m_settings.Zuvid, m_settings.Zuvnick, m_settings.Zuvpass,
                 isVisible() ? this : nullptr);
    dialog.exec();
    if (dialog.endRequested()) {
        SetSubclass(false);
        endProgram(false);
        return;
    }
    m_settings.Zuvid = dialog.number();
    m_settings.Zuvpass = dialog.password();
    StartForm();
}

void Form1::StartZuv()
{
    Timer1.start();
}

void Form1::StopForm()
{
    m_waitForDataWas = WaitForData.isActive();
    m_waitDeleteWas = WaitDelete.isActive();
    WaitForData.stop();
    Timer1.stop();
    WaitDelete.stop();
}

void Form1::StartForm()
{
    if (m_waitForDataWas)
        WaitForData.start();
    if (m_waitDeleteWas)
        WaitDelete.start();
    if (m_settings.Zuvid.isEmpty() || m_settings.Zuvpass.isEmpty())
        return; // nobody to refresh for yet
    Timer1.start();
    Aktualizuj(QStringLiteral("all"));
}

void Form1::FormMax()
{
    show();
    showNormal();
    raise();
    activateWindow();
    m_settings.Zuvmode = QStringLiteral("1");
    SetHeight();
}

bool Form1::hasTray() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void Form1::FormMin()
{
    // Without a tray a hidden window could not be reached any more: it
    // waits minimised on the task bar instead.
    if (hasTray())
        hide();
    else if (!m_loading)
        showMinimized();
    m_settings.Zuvmode = QStringLiteral("0");
    SetHeight();
}

void Form1::ZuvMinMax()
{
    if (isVisible() && !isMinimized())
        FormMin();
    else
        FormMax();
}

void Form1::SetHeight()
{
    if (m_heightApplied)
        return;
    m_heightApplied = true;
    int value = 0;
    if (toInt(m_settings.ZuvHeight, &value))
        resize(width(), qMax(value, kMinHeightTwips) / kTwipsPerPixel);
    int left = 0, top = 0;
    if (toInt(m_settings.ZuvFx, &left) && toInt(m_settings.ZuvFy, &top))
        move(left / kTwipsPerPixel, top / kTwipsPerPixel);
    m_appliedPosition = pos();
    m_appliedHeight = height();
}

void Form1::ZuvCaption()
{
    setWindowTitle(kCaption);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // Closing only puts the window away; the program goes on in the tray.
    event->ignore();
    ZuvMinMax();
}

bool Form1::TestOnLine()
{
    const QString state = zuv::TestOnLine() ? QStringLiteral("true") : QStringLiteral("false");
    if (state != m_lastOnlineState && state == u"true" && m_settings.ZuvsvStart == u"1") {
        Shell(programDir() + QStringLiteral("\\sorvanta.exe"), SW_SHOWNORMAL);
        // A player that starts only now has no window yet to take "play":
        // the command waits for it a while instead of being lost.
        m_radioPlayRounds = 0;
        m_radioPlayWait.start();
    }
    m_lastOnlineState = state;
    return state == u"true";
}

void Form1::Timer1_Timer()
{
    Aktualizuj(m_cycle.chooseRefresh(QTime::currentTime()));
    // CheckSetInterval(true): the timer starts over with the interval in force.
    Timer1.start(m_cycle.CheckSetInterval());
}

void Form1::Timer2_Timer()
{
    if (!TestOnLine())
        return;
    Timer2.stop();
    showLoading();
    StartForm();
}

void Form1::showLoading()
{
    Loading loading(this);
    loading.exec();
    m_server = loading.server();
    m_cycle.setIntervals(m_server.activeInterval, m_server.passiveInterval,
                         m_server.thresholdInterval);
}

void Form1::Timer3_Timer()
{
    Timer3.stop();
    Timer1.stop();
    Konec();
}

void Form1::Aktualizuj(const QString& what)
{
    DoEvents();
    if (!TestOnLine()) {
        if (!Timer2.isActive())
            Timer2.start();
        return;
    }
    m_radioState =
        FindWindowA(QStringLiteral("Sorvanta")) ? QStringLiteral("on") : QStringLiteral("off");
    // A downloader started a moment ago may not have its window yet; only one
    // that had the time to come up and is gone ended without telling. Taking
    // the first for the second would start a new request over its reply.
    if (!m_requestPending.isEmpty() && m_requestClock.elapsed() >= kDownloaderStartMs &&
        !FindWindowA(QStringLiteral("Trolvik Zuv!"))) {
        ZpracujData();
        m_requestPending.clear();
    }
    if (!m_requestPending.isEmpty()) {
        // A full refresh asked for now (a contact was added) is made next.
        if (what == u"all")
            m_fullRefreshDue = true;
        if (!m_replyOverdue && m_requestClock.elapsed() > kReplyOverdueMs) {
            m_replyOverdue = true;
            noteReply(false);
        }
        return;
    }
    RefreshQuery query;
    query.id = m_settings.Zuvid;
    query.password = m_settings.Zuvpass;
    query.radioState = m_radioState;
    query.mood = m_settings.Zuvnalada;
    query.downloadMode = m_settings.Zuvrezim;
    query.startWithSystem = m_settings.Zuv;
    query.sendBuild = m_sendBuild;
    // A reply left from an earlier request must not be processed again.
    QFile::remove(replyFilePath());
    m_pendingWhat = std::exchange(m_fullRefreshDue, false) ? QStringLiteral("all") : what;
    m_requestPending = QStringLiteral("1");
    m_requestClock.start();
    m_replyOverdue = false;
    Shell(QStringLiteral("load2.exe ") + refreshUrl(m_server.serverBase, m_pendingWhat, query) +
              QStringLiteral("/@/") + replyFilePath(),
          SW_SHOWNOACTIVATE);
}

void Form1::ZpracujData()
{
    if (m_processing)
        return;
    m_processing = true;
    // The reply is of the request that was made, whatever was asked since.
    m_lastRefreshWhat = m_pendingWhat;
    const QString selected = ListView1.currentItem() ? ListView1.currentItem()->text(0) : QString();
    const auto lines = TextFile::readLines(replyFilePath());
    // A request that counted as missed while it waited is not counted again.
    const bool countedAsMissed = std::exchange(m_replyOverdue, false);
    if (lines || !countedAsMissed)
        noteReply(bool(lines));
    if (lines) {
        const bool full = m_lastRefreshWhat == u"all";
        if (full) {
            CleanTree();
            CleanList();
            beginFilling();
        }
        int linesSinceEvents = 0;
        for (const QString& line : *lines) {
            if (!m_guards.CONTerrors(1))
                MsgBox(QStringLiteral("Chyba #1"));
            // Events run as the lines go, every few lines, so the window
            // answers during a long reply; the views get its contacts at the
            // end, in one step.
            if (++linesSinceEvents == kLinesPerEvents) {
                linesSinceEvents = 0;
                DoEvents();
            }
            try {
                handleLine(line);
            } catch (...) {
                // the failing step is skipped; the next line follows
            }
        }
        m_guards.reset(1);
        if (full)
            endFilling();
        SetFocusListview(selected);
        ZadnyUseri();
        scrollToStoredNode();
    }
    m_processing = false;
    if (m_dwokWaiting) {
        m_dwokWaiting = false;
        m_requestPending.clear();
    }
}

void Form1::noteReply(bool replied)
{
    const bool wasLost = serverLost();
    m_missedReplies = replied ? 0 : m_missedReplies + 1;
    if (serverLost() != wasLost)
        showServerLost(serverLost());
}

void Form1::showServerLost(bool lost)
{
    // The counts are not claimed while the server cannot be reached; the
    // next reply's "online:" line sets them again.
    m_lastOnlineValue.clear();
    StatusOnline.setText(lost ? kServerLost : QStringLiteral("Připraven..."));
    StatusOnline.setStyleSheet(lost ? QStringLiteral("color: #c00000;") : QString());
    for (QTreeWidget* view : {&TreeView1, &ListView1}) {
        QPalette palette;
        if (lost)
            palette.setColor(QPalette::Text, palette.color(QPalette::Disabled, QPalette::Text));
        view->setPalette(palette);
    }
    if (Tray)
        Tray->setToolTip(trayTip());
}

QString Form1::trayTip() const
{
    return serverLost() ? kTrayTip + QStringLiteral(": ") + kServerLost : kTrayTip;
}

void Form1::StatusOnlineText(const QString& value)
{
    StatusOnline.setText(value == u"off" ? QStringLiteral("Nelze navázat spojení se serverem")
                                         : QStringLiteral("V Zuv je právě online: ") + value);
}

void Form1::handleLine(const QString& line)
{
    const ClassifiedLine record = classifyReplyLine(line);
    switch (record.kind) {
    case ReplyLine::Online:
        if (record.value != m_lastOnlineValue) {
            m_lastOnlineValue = record.value;
            StatusOnlineText(record.value);
        }
        break;
    case ReplyLine::MyNick:
        if (record.value != m_settings.Zuvnick) {
            m_settings.Zuvnick = record.value;
            SaveOptions();
            ZuvCaption();
        }
        break;
    case ReplyLine::ActiveInterval:
        m_cycle.setActiveInterval(intervalFromText(record.value));
        break;
    case ReplyLine::PassiveInterval:
        m_cycle.setPassiveInterval(intervalFromText(record.value));
        break;
    case ReplyLine::FastInterval:
        m_cycle.setFastInterval(intervalFromText(record.value));
        break;
    case ReplyLine::NewVersion:
        if (m_sendBuild) {
            m_sendBuild = false;
            if (m_radioState == u"off")
                showNewVersionPanel(true);
            else
                NovaVerze();
        }
        break;
    case ReplyLine::WrongPassword:
        MsgBox(QStringLiteral("Špatné Zuv číslo nebo heslo!"), MsgButtons::Ok, MsgIcon::Critical);
        login();
        break;
    case ReplyLine::Suspended:
        MsgBox(QStringLiteral("Váš účet byl pravděpodobně pozastaven...\r\n"
                              "Kontaktujte prosím správce Zuv sítě."),
               MsgButtons::Ok, MsgIcon::Critical);
        SetSubclass(false);
        endProgram(false);
        break;
    case ReplyLine::Contact:
        if (const auto contact = parseContactRecord(record.value))
            PridejDoSeznamu(contact->nick, contact->number, contact->age, contact->mood,
                            contact->state);
        break;
    case ReplyLine::Message:
        dispatchMessage(line, record.value);
        break;
    case ReplyLine::WebWindow:
        dispatchWebWindow(record.value);
        break;
    case ReplyLine::RemotePlay:
        dispatchRemotePlay(line);
        break;
    case ReplyLine::SharedFile:
        dispatchSharedFile(line);
        break;
    case ReplyLine::Inbox:
        SetInBoX(record.value);
        break;
    case ReplyLine::Unknown:
        break;
    }
}

void Form1::NovaVerze()
{
    if (MsgBox(QStringLiteral("Je k dispozici nová verze programu Zuv - Sorvanta.\r\n"
                              "Vaše verze programu je zastaralá, některé funkce by již nemusely "
                              "fungovat správně.\r\n"
                              "Stáhněte si prosím novou verzi z Zuvnet.\r\n\r\n"
                              "Chcete program stáhnout nyní?"),
               MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes)
        OpenURLInShell(m_server.serverBase + QStringLiteral("/zuv/newver.php?build=") +
                       buildNumber());
}

void Form1::RezimAktivni()
{
    switchSpeed(m_cycle.activeInterval(), QStringLiteral("1"));
}

void Form1::RezimPasivni()
{
    switchSpeed(m_cycle.passiveInterval(), QStringLiteral("0"));
}

void Form1::switchSpeed(int interval, const QString& speed)
{
    const bool running = Timer1.isActive();
    Timer1.stop();
    Timer1.setInterval(interval);
    m_settings.Zuvspeed = speed;
    ZuvMenu_Rezim_Aktivni->setChecked(speed == u"1");
    ZuvMenu_Rezim_Pasivni->setChecked(speed == u"0");
    if (running)
        Timer1.start();
}

void Form1::RezimStahovani(const QString& mode)
{
    if (mode != u"1" && mode != u"0")
        return;
    m_settings.Zuvrezim = mode;
    ZuvMenu_RezimStahovani_normal->setChecked(mode == u"0");
    ZuvMenu_RezimStahovani_x->setChecked(mode == u"1");
}

void Form1::MSGoteviram()
{
    const bool reset = m_cycle.MSGoteviram();
    const int interval = m_cycle.CheckSetInterval();
    if (reset)
        Timer1.start(interval);
}

void Form1::MSGseOzvalo()
{
    m_cycle.MSGseOzvalo();
    Timer1.setInterval(m_cycle.fastInterval());
}

void Form1::Konec()
{
    endProgram(true);
}

void Form1::endRequest()
{
    if (!m_started) {
        std::fflush(nullptr);
        ::_exit(0);
    }
    Konec();
}

void Form1::endProgram(bool save)
{
    if (save)
        SaveOptions();
    if (Tray)
        Tray->hide();
    if (FindWindowA(kMailCheckerCaption))
        SendCommand(SendCommandForm::Messenger, QString(), kMailCheckerCaption,
                    QStringLiteral("emailend"), QStringLiteral("2"));
    SetSubclass(false);
    m_bus.withdraw();
    // Ending may be asked for from inside a modal dialog's loop; nothing is
    // left to unwind that matters once the settings are saved.
    std::fflush(nullptr);
    ::_exit(0);
}

} // namespace zuv::messenger
