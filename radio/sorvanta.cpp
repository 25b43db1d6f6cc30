#include "sorvanta.h"

#include "catalog/listradios.h"
#include "core/playback.h"
#include "core/skinfile.h"
#include "core/stationrecord.h"
#include "menus.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QInputDialog>
#include <QMouseEvent>
#include <QWindow>
#include <cstdio>
#include <foundation/bus/instance.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/gui/desktop.h>
#include <foundation/gui/media/mediaplayer.h>
#include <foundation/gui/messagebox.h>
#include <foundation/gui/pause.h>
#include <foundation/gui/sendcommand.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <foundation/textfile.h>
#include <foundation/twips.h>
#include <unistd.h>

namespace zuv::radio {
namespace {

const QString kCaption = QStringLiteral("Sorvanta");
const QString kMessengerCaption = QStringLiteral("Zuv - Sorvanta");

QString listeningReplyFile()
{
    return programDir() + QStringLiteral("\\zuvsv.tt");
}

bool toInt(const QString& text, int* value)
{
    bool ok = false;
    *value = text.trimmed().toInt(&ok);
    return ok;
}

} // namespace

Sorvanta::Sorvanta(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      WindowsMediaPlayer1(*new MediaPlayer(this)), m_skin(std::make_unique<Skin>())
{
    buildWindow();
    buildMenus();
    buildCommandTable();
}

Sorvanta::~Sorvanta()
{
    for (QLabel* image : {&LineMenu_OnTop, &LineMenu_Min, &LineMenu_End, &Control_Play,
                          &Control_Rec, &Control_ShowUser, &Control_Menu, &Control_Sat,
                          &Control_Volume, &InfoName, &InfoNaladit, &Zuvwww})
        image->removeEventFilter(this);
    Control_List.viewport()->removeEventFilter(this);
    SVDisplay.removeEventFilter(this);
    delete m_listRadios;
    if (Tray)
        Tray->hide();
}

void Sorvanta::buildWindow()
{
    setWindowTitle(kCaption);
    setAutoFillBackground(true);
    for (QLabel* image :
         {&LineMenu_OnTop, &LineMenu_Min, &LineMenu_End, &Control_Play, &Control_Rec,
          &Control_ShowUser, &Control_Menu, &Control_Sat, &Control_Volume, &SVDisplay, &Zuvwww}) {
        image->setParent(this);
        image->setScaledContents(false);
        image->hide();
    }
    for (QLabel* clickable : {&LineMenu_OnTop, &LineMenu_Min, &LineMenu_End, &Control_Play,
                              &Control_Rec, &Control_ShowUser, &Control_Menu, &Control_Sat,
                              &Control_Volume, &InfoName, &InfoNaladit, &Zuvwww}) {
        clickable->setCursor(Qt::PointingHandCursor);
        clickable->installEventFilter(this);
    }
    // The display's texts lie on the display picture.
    SVDisplay.lower();
    SVDisplay.installEventFilter(this);
    for (QLabel* label : {&InfoName, &InfoTime, &InfoStatus, &InfoNaladit}) {
        label->setParent(this);
        label->setTextFormat(Qt::PlainText);
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->raise();
    }
    InfoNaladit.setText(QStringLiteral(">Naladit rádio"));
    for (QLabel* hiddenWhileIdle : {&InfoName, &InfoTime, &InfoStatus})
        hiddenWhileIdle->hide();
    Control_List.setParent(this);
    Control_List.setFrameShape(QFrame::NoFrame);
    Control_List.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Control_List.setTextElideMode(Qt::ElideRight);
    Control_List.hide();
    connect(&Control_List, &QListWidget::itemClicked, this, [this] { Control_List_Click(); });
    connect(&Control_List, &QListWidget::itemDoubleClicked, this,
            [this] { Control_List_DblClick(); });
    // The right button selects the entry under the mouse first, as a click.
    Control_List.viewport()->installEventFilter(this);
    PlayTL.setParent(this);
    PlayTL.setText(QStringLiteral("Zapnout"));
    PlayTL.setEnabled(false);
    PlayTL.hide();
    connect(&PlayTL, &QPushButton::clicked, this, &Sorvanta::PlayTL_Click);

    aktualizujWMP.setInterval(1000);
    Timer1.setInterval(3000);
    Timer1.setSingleShot(true);
    Timer2.setInterval(500);
    connect(&aktualizujWMP, &QTimer::timeout, this, &Sorvanta::aktualizujWMP_Timer);
    connect(&Timer1, &QTimer::timeout, this, &Sorvanta::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &Sorvanta::Timer2_Timer);
    aktualizujWMP.start();
    connect(&WindowsMediaPlayer1, &MediaPlayer::statusChanged, this, &Sorvanta::showStatus);
    resize(330, 150);
}

void Sorvanta::buildCommandTable()
{
    m_commands
        .prefix(QStringLiteral("p:"),
                [this](const QString& url) {
                    PlayAll(url);
                    activateWindow();
                })
        .whole(QStringLiteral("list"), [this] { ZobrazOblibene(); })
        .prefix(QStringLiteral("id:"),
                [this](const QString& id) { m_settings.CurrentStationId = id; })
        .prefix(QStringLiteral("idk:"),
                [this](const QString& quality) { m_settings.CurrentQuality = quality; })
        .prefix(QStringLiteral("remoteplay"),
                [this](const QString& rest) {
                    const RemotePlay play = parseRemotePlay(QStringLiteral("remoteplay") + rest);
                    // A short command is handled as far as it goes.
                    if (play.stationId)
                        m_settings.CurrentStationId = *play.stationId;
                    if (play.quality)
                        m_settings.CurrentQuality = *play.quality;
                    if (play.address)
                        m_pendingURL = *play.address;
                    if (play.title)
                        m_remoteTitle = *play.title;
                    AutoStart(m_settings.CurrentStationId, m_settings.CurrentQuality);
                })
        .whole(QStringLiteral("play"),
               [this] { AutoStart(m_settings.CurrentStationId, m_settings.CurrentQuality); })
        .prefix(QStringLiteral("fmax"), [this](const QString&) { FormMax(); });
}

void Sorvanta::SetSubclass(bool on)
{
    zuv::SetSubclass(m_bus, on,
                     {[this](const QString& command) { m_commands.dispatch(command); }, {}});
}

bool Sorvanta::Form_Load(const QString& commandLine)
{
    // 1. One copy only: a second one hands over "fmax" and ends.
    if (HandOverToPrevInstance(SingleInstanceProgram::Radio, commandLine))
        return false;
    m_bus.attach(this);
    BusWindow::setMainWindow(&m_bus);
    // 2., 3.
    SetSubclass(true);
    WindowsMediaPlayer1.setAutoStart(false);
    // 4.
    LoadOptions();
    if (m_options.value(OptionKeys::Zuvid).isEmpty()) {
        MsgBox(QStringLiteral("Nejprve zapněte Zuv klienta."), MsgButtons::Ok,
               MsgIcon::Information);
        Shell(programDir() + QStringLiteral("\\zuv.exe"), SW_SHOWNORMAL);
        SetSubclass(false);
        m_bus.withdraw();
        return false;
    }
    LoadOptionsWorkIt();
    LoadOptionsServer();
    // 5.
    AddTray();
    // 6. A stream address on the command line plays at once.
    if (!commandLine.isEmpty()) {
        PripravHrani(commandLine);
        Play();
    }
    // 7.
    if (!FindWindowA(kMessengerCaption)) {
        m_startedMessenger = true;
        Shell(programDir() + QStringLiteral("\\zuv.exe m"), SW_SHOWNOACTIVATE);
    }
    return true;
}

void Sorvanta::LoadOptions()
{
    m_options.load();
}

void Sorvanta::LoadOptionsWorkIt()
{
    const PlayerSettings read = PlayerSettings::read(m_options);
    m_settings = read;
    LoadSkin(m_settings.SkinName);
    if (m_settings.AutoStartFlag == u"1")
        AutoStart(m_settings.CurrentStationId, m_settings.CurrentQuality);
    if (m_settings.OnTopFlag == u"1")
        OnTopYES();
    else
        OnTopNO();
    // A position that does not convert leaves the window where it is.
    int left = 0, top = 0;
    if (toInt(m_settings.WindowLeft, &left))
        move(twipsToPixels(left), y());
    if (toInt(m_settings.WindowTop, &top))
        move(x(), twipsToPixels(top));
}

void Sorvanta::LoadOptionsServer()
{
    m_server.load(QStringLiteral("Sorvanta (LoadOptionsServer) zuv_server.tt"));
}

void Sorvanta::SaveOptions()
{
    // A hidden window saves the position read at start.
    if (m_windowShown != u"0") {
        m_settings.WindowLeft = QString::number(pixelsToTwips(x()));
        m_settings.WindowTop = QString::number(pixelsToTwips(y()));
    }
    m_settings.save(m_options);
}

void Sorvanta::Konec()
{
    SetSubclass(false);
    hide();
    DoEvents();
    if (Tray)
        Tray->hide();
    LoadOptions();
    SaveOptions();
    OnTopNO();
    if (m_startedMessenger && FindWindowA(kMessengerCaption))
        SendCommand(SendCommandForm::Radio, QStringLiteral("zuv.exe"), kMessengerCaption,
                    QStringLiteral("zuvend"), QStringLiteral("x"));
    WindowsMediaPlayer1.close();
    m_bus.withdraw();
    emit ended();
}

void Sorvanta::closeEvent(QCloseEvent* event)
{
    event->ignore();
    Konec();
}

void Sorvanta::AddTray()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    Tray = new QSystemTrayIcon(this);
    const QIcon icon = programIcon(QStringLiteral("sorvanta"));
    Tray->setIcon(icon.isNull() ? QIcon(skinPicturePath(QStringLiteral("play.gif"))) : icon);
    Tray->setToolTip(kCaption);
    connect(Tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger)
            ZuvMinMax();
    });
    Tray->setContextMenu(menus().SV_TrayMenu);
    Tray->show();
    // Reached through the tray, the window keeps off the task bar; without a
    // tray it keeps its entry there, or a hidden player could not be found.
    setWindowFlag(Qt::Tool, true);
}

void Sorvanta::FormMax()
{
    show();
    showNormal();
    raise();
    activateWindow();
    m_windowShown = QStringLiteral("1");
}

void Sorvanta::FormMin()
{
    // Without a tray a hidden window could not be reached: it waits
    // minimised instead.
    if (Tray)
        hide();
    else
        showMinimized();
    m_windowShown = QStringLiteral("0");
}

void Sorvanta::ZuvMinMax()
{
    m_windowShown = isVisible() && !isMinimized() ? QStringLiteral("1") : QStringLiteral("0");
    if (m_windowShown == u"1")
        FormMin();
    else
        FormMax();
}

void Sorvanta::OnTopYES()
{
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (shown)
        show(); // a changed flag hides the window until it is shown again
    m_settings.OnTopFlag = QStringLiteral("1");
    setPicture(LineMenu_OnTop, QStringLiteral("ot.gif"));
    menus().SV_Menu_Nastaveni_OnTop->setChecked(true);
}

void Sorvanta::OnTopNO()
{
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    if (shown)
        show();
    m_settings.OnTopFlag = QStringLiteral("0");
    setPicture(LineMenu_OnTop, QStringLiteral("otn.gif"));
    menus().SV_Menu_Nastaveni_OnTop->setChecked(false);
}

void Sorvanta::AutoStart(const QString& IDlastRadio, QString KvalitaSV)
{
    m_settings.CurrentStationId = IDlastRadio;
    if (KvalitaSV.isEmpty())
        KvalitaSV = QStringLiteral("1");
    m_settings.CurrentQuality = KvalitaSV;
    PripravHrani(RadioInfo(IDlastRadio, u'u' + KvalitaSV));
    Play();
}

void Sorvanta::PripravHrani(QString URL)
{
    if (URL.isEmpty())
        URL = std::exchange(m_pendingURL, QString());
    WindowsMediaPlayer1.setURL(URL);
    PlayTL.setEnabled(true);
    Control_Play.setEnabled(true);
    setPicture(Control_Play, QStringLiteral("play.gif"));
}

void Sorvanta::Play()
{
    WindowsMediaPlayer1.play();
    PlayTL.setText(QStringLiteral("Stop"));
    ZobrazCoMas();
    InfoTime.show();
    InfoName.show();
    InfoStatus.show();
    InfoNaladit.hide();
    m_currentStationName = RadioInfo(m_settings.CurrentStationId, QStringLiteral("name"));
    Timer1.start();
}

void Sorvanta::PlayStop()
{
    WindowsMediaPlayer1.stop();
    WindowsMediaPlayer1.close();
    PlayTL.setText(QStringLiteral("Zapnout"));
    ZobrazCoMas();
    ZobrazOblibene();
}

void Sorvanta::PlayAll(const QString& URL)
{
    PripravHrani(URL);
    Play();
}

void Sorvanta::PlayTL_Click()
{
    if (PlayTL.text() == u"Zapnout")
        Play();
    else
        PlayStop();
}

void Sorvanta::aktualizujWMP_Timer()
{
    m_mediaTitle = chooseMediaTitle(m_currentStationName, WindowsMediaPlayer1.currentItemTitle(),
                                    m_remoteTitle);
    m_positionText = WindowsMediaPlayer1.currentPositionString();
    placeStatus();
    InfoName.setText(titleCaption(m_mediaTitle));
    InfoName.setToolTip(m_mediaTitle);
    InfoTime.setText(m_positionText);
}

void Sorvanta::showStatus(const QString& status)
{
    InfoStatus.setText(status);
    InfoStatus.setToolTip(status);
}

QString Sorvanta::RadioInfo(const QString& stationId, const QString& field) const
{
    return radio::RadioInfo(programPath(QStringLiteral("radios.tt")), stationId, field);
}

void Sorvanta::Timer1_Timer()
{
    Timer1.stop();
    LoadOptions();
    m_settings.MessengerMode = m_options.value(OptionKeys::Zuv);
    LoadOptionsServer();
    DoEvents();
    const bool messengerOff = m_settings.MessengerMode == u"off";
    if (!messengerOff)
        Shell(programDir() + QStringLiteral("\\zuv.exe m"), SW_SHOWNOACTIVATE);
    // The reply of an earlier report is no answer to this one.
    QFile::remove(resolvePath(listeningReplyFile()));
    Shell(QStringLiteral("load.exe ") +
              listeningReportUrl(m_server.serverBase, m_settings.OwnId, m_settings.AuthH,
                                 m_settings.CurrentStationId, messengerOff) +
              QStringLiteral("/@/") + listeningReplyFile(),
          SW_SHOWNOACTIVATE);
    Timer2.start();
}

void Sorvanta::Timer2_Timer()
{
    const auto lines = TextFile::readLines(listeningReplyFile());
    if (!lines)
        return;
    Timer2.stop();
    for (const QString& question : unreadMessageQuestions(*lines)) {
        if (MsgBox(question, MsgButtons::YesNo, MsgIcon::Information,
                   QStringLiteral("Nepřečtené zprávy na Zuv")) == MsgAnswer::Yes)
            SendCommand(SendCommandForm::Radio, QStringLiteral("zuv.exe"), kMessengerCaption,
                        QStringLiteral("sv:") + m_settings.CurrentStationId, QStringLiteral("1"));
    }
    QFile::remove(resolvePath(listeningReplyFile()));
}

void Sorvanta::VolumeSet(int VolValue)
{
    WindowsMediaPlayer1.setVolume(VolValue);
    SkinVolume(VolValue);
    m_settings.VolumeText = QString::number(VolValue);
}

void Sorvanta::SVconsole()
{
    bool ok = false;
    const QString text = QInputDialog::getText(this, QStringLiteral("Sorvanta console"), QString(),
                                               QLineEdit::Normal, QString(), &ok);
    if (ok)
        runConsole(text);
}

void Sorvanta::runConsole(const QString& text)
{
    const ConsoleCommand command = parseConsole(text);
    switch (command.kind) {
    case ConsoleCommand::Help:
        MsgBox(QStringLiteral("SVCC - HELP:\r\n\r\nvol=(hodnota 0 - 100)\r\n"
                              "url=(adresa na internetu nebo v počítači)"));
        break;
    case ConsoleCommand::Volume:
        if (const auto volume = volumeFromText(command.value))
            VolumeSet(*volume);
        break;
    case ConsoleCommand::Url:
        PlayAll(command.value);
        m_currentStationName = QStringLiteral("Zuv - Sorvanta");
        break;
    case ConsoleCommand::None:
        break;
    }
    if (command.openAgain)
        SVconsole();
}

ListRadios* Sorvanta::stationBrowser() const
{
    return m_listRadios.data();
}

void Sorvanta::Naladit()
{
    // One browser: a second call brings it to the front at the tuned station.
    if (!m_listRadios) {
        m_listRadios = new ListRadios(*this);
        m_listRadios->Form_Load();
    }
    m_listRadios->show();
    m_listRadios->raise();
    m_listRadios->activateWindow();
    m_listRadios->NajdiIndexRadia(m_settings.CurrentStationId);
}

void Sorvanta::Control_Rec_Click()
{
    Shell(programDir() + QStringLiteral("\\ZuvRecorder.exe ") + m_currentStationName,
          SW_SHOWNORMAL);
}

void Sorvanta::Control_ShowUser_Click()
{
    SendCommand(SendCommandForm::Radio, QStringLiteral("zuv.exe"), kMessengerCaption,
                QStringLiteral("svs:") + m_settings.CurrentStationId, QStringLiteral("2"));
}

bool Sorvanta::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Control_List.viewport() && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        if (QListWidgetItem* item =
                Control_List.itemAt(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            Control_List.setCurrentItem(item);
            Control_List_Click();
            m_favouriteMenuDue = true;
        }
        return true;
    }
    // The menu opens once the button is up, as the other menus do on a click.
    if (watched == Control_List.viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        if (std::exchange(m_favouriteMenuDue, false)) {
            prepareFavouriteMenu();
            popUp(menus().SV_MenuRadia);
        }
        return true;
    }
    // A press on a button is the button's: passed on, it would start
    // dragging the window, which then followed the mouse after the click.
    if (event->type() == QEvent::MouseButtonPress && qobject_cast<QLabel*>(watched) &&
        static_cast<QLabel*>(watched)->cursor().shape() == Qt::PointingHandCursor)
        return true;
    // The two texts that act on a click show it by an underline.
    if (event->type() == QEvent::Enter &&
        (watched == &InfoName || watched == &InfoNaladit || watched == &SVDisplay)) {
        for (QLabel* label : {&InfoName, &InfoNaladit}) {
            QFont font = label->font();
            font.setUnderline(watched == label);
            label->setFont(font);
        }
    }
    if (event->type() != QEvent::MouseButtonRelease ||
        static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return QWidget::eventFilter(watched, event);
    if (watched == &LineMenu_End)
        Konec();
    else if (watched == &LineMenu_Min)
        FormMin();
    else if (watched == &LineMenu_OnTop)
        m_settings.OnTopFlag.toInt() == 1 ? OnTopNO() : OnTopYES();
    else if (watched == &Control_Play && Control_Play.isEnabled())
        PlayTL.click();
    else if (watched == &Control_Rec)
        Control_Rec_Click();
    else if (watched == &Control_ShowUser)
        Control_ShowUser_Click();
    else if (watched == &Control_Sat || watched == &InfoNaladit)
        Naladit();
    else if (watched == &Control_Menu)
        popUp(menus().SV_Menu);
    else if (watched == &Control_Volume)
        popUp(menus().SV_Volume);
    else if (watched == &Zuvwww)
        OpenZuvnet();
    else if (watched == &InfoName) {
        preparePlayingMenu();
        popUp(menus().SV_MenuPlRaria);
    }
    return QWidget::eventFilter(watched, event);
}

void Sorvanta::mousePressEvent(QMouseEvent* event)
{
    // The background is the caption bar of a borderless window.
    if (event->button() == Qt::LeftButton && windowHandle())
        windowHandle()->startSystemMove();
    QWidget::mousePressEvent(event);
}

} // namespace zuv::radio
