#include "form1.h"

#include "core/id3tag.h"
#include "core/library.h"
#include "core/recordingplan.h"
#include "zuvrecors.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <foundation/bus/instance.h>
#include <foundation/gui/messagebox.h>
#include <foundation/paths.h>
#include <foundation/serversettings.h>
#include <foundation/shell.h>

namespace zuv::recorder {
namespace {

const QString kCaption = QStringLiteral("Zuv Recorder (Zuvnet)");
constexpr int kLibraryTab = 4;

QLabel* hint(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

using TimeFields = std::array<QLineEdit*, 5>;

void showTime(const TimeFields& fields, const ScheduleTime& time)
{
    fields[0]->setText(time.day);
    fields[1]->setText(time.month);
    fields[2]->setText(time.year);
    fields[3]->setText(time.hour);
    fields[4]->setText(time.minute);
}

ScheduleTime timeOf(const TimeFields& fields)
{
    return {fields[0]->text(), fields[1]->text(), fields[2]->text(), fields[3]->text(),
            fields[4]->text()};
}

QColor colourOf(ScheduleColour colour)
{
    switch (colour) {
    case ScheduleColour::DarkGreen:
        return QColor(0, 128, 0);
    case ScheduleColour::DarkRed:
        return QColor(128, 0, 0);
    case ScheduleColour::Black:
        break;
    }
    return QColor(0, 0, 0);
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent, Qt::Window), m_library(new ZuvRecors)
{
    setWindowTitle(kCaption);
    buildWindow();
    m_commands.whole(QStringLiteral("SetFocus"), [this] { SetFocusCommand(); });
    Timer1.setInterval(1000);
    Timer2.setInterval(1000);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Stopuj);
    connect(&Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(m_library.get(), &ZuvRecors::recorderWanted, this, [this] {
        m_library->hide();
        showWithTab(0);
    });
    connect(m_library.get(), &ZuvRecors::ended, this, &Form1::Form_Unload);
}

Form1::~Form1()
{
    Image1.removeEventFilter(this);
    Label30.removeEventFilter(this);
    m_capture.StopRecording();
}

void Form1::buildWindow()
{
    for (const char* caption :
         {"Nastavení", "Nahrávání", "Časované nahrávání", "Informace", "Knihovna médií"})
        TabStrip1.addTab(QString::fromUtf8(caption));
    TabStrip1.setUsesScrollButtons(false);
    TabStrip1.setExpanding(false);
    connect(&TabStrip1, &QTabBar::currentChanged, this, &Form1::TabStrip1_Click);

    Image1.setText(QStringLiteral("<b><span style='font-size:16pt; color:#1c5fa8'>Zuv</span>"
                                  "<span style='font-size:16pt; color:#777'>net</span></b>"));
    Image1.setCursor(Qt::PointingHandCursor);
    Image1.installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(&TabStrip1, 1);
    top->addWidget(&Image1);
    layout->addLayout(top);
    buildSettingsCard();
    buildRecordingCard();
    buildScheduleCard();
    buildTagCard();
    for (QFrame* card : {&CardSET, &CardREC, &CardTim, &CardTAG, &CardMP3}) {
        card->setFrameShape(QFrame::StyledPanel);
        layout->addWidget(card, 1);
        card->hide();
    }
    CardSET.show();
    resize(720, 400);
}

void Form1::buildSettingsCard()
{
    auto* layout = new QVBoxLayout(&CardSET);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("Název souboru:"), &CardSET));
    nameRow->addWidget(&NameCash, 1);
    nameRow->addWidget(&Command5);
    layout->addLayout(nameRow);
    Command5.setText(QStringLiteral("Pokračovat"));
    connect(&NameCash, &QLineEdit::textChanged, this, &Form1::NameCash_Change);
    connect(&Command5, &QPushButton::clicked, this, &Form1::Command5_Click);
    for (const char* text :
         {"Nastavte jako zdroj nahrávání Směšovač stereomix (Ovládání zvuku -> Možnosti -> "
          "Vlastnosti -> Záznam -> Směšovač stereomix)",
          "Směšovač stereo -> Hlasitost: zde nastavte spíše nižší hodnotu.",
          "Pokud nastavíte příliš vysokou hlasitost, tak se Vám může zdát, že je nahrávka "
          "nekvalitní.",
          "Pozn. Bude nahráván veškerý zvuk z pc (dle nastevní)."})
        layout->addWidget(hint(QString::fromUtf8(text), &CardSET));
    layout->addStretch(1);
    Label30.setText(QStringLiteral("[?] nápověda - nastavení"));
    Label30.setStyleSheet(QStringLiteral("color: #1c5fa8; text-decoration: underline"));
    Label30.setCursor(Qt::PointingHandCursor);
    Label30.installEventFilter(this);
    layout->addWidget(&Label30);
}

void Form1::buildRecordingCard()
{
    auto* layout = new QGridLayout(&CardREC);
    Label9.setWordWrap(true);
    layout->addWidget(&Label9, 0, 0, 1, 3);
    layout->addWidget(new QLabel(QStringLiteral("Kvalita nahrávání:"), &CardREC), 1, 0);
    for (const char* item :
         {"24kbps (AM rádio)", "32kbps (FM rádio)", "128kbps (CD)", "128kbps (HIFI)"})
        ComboBitrate.addItem(QString::fromUtf8(item));
    layout->addWidget(&ComboBitrate, 1, 1);
    SoundSM[0].setText(QStringLiteral("Stereo"));
    SoundSM[1].setText(QStringLiteral("Mono"));
    auto* channels = new QHBoxLayout;
    channels->addWidget(&SoundSM[0]);
    channels->addWidget(&SoundSM[1]);
    layout->addLayout(channels, 1, 2);
    Command1.setText(QStringLiteral("Nahrávat"));
    Command2.setText(QStringLiteral("Stop"));
    Command2.setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(&Command1);
    buttons->addWidget(&Command2);
    buttons->addStretch(1);
    layout->addLayout(buttons, 2, 0, 1, 3);
    Label12.setText(QStringLiteral("00:00:00"));
    Label12.setStyleSheet(QStringLiteral("font-size: 20pt; font-weight: bold"));
    layout->addWidget(&Label12, 3, 0, 1, 3);
    layout->addWidget(&Label29, 4, 0, 1, 3);
    layout->setRowStretch(5, 1);
    connect(&ComboBitrate, &QComboBox::activated, this, &Form1::ComboBitrate_Click);
    connect(&Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(&Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
}

void Form1::buildScheduleCard()
{
    auto* layout = new QGridLayout(&CardTim);
    Check1.setText(QStringLiteral("Aktivavat časované nahrávání"));
    layout->addWidget(&Check1, 0, 0, 1, 6);
    layout->addWidget(&Label22, 1, 0, 1, 6);
    layout->addWidget(&Label23, 2, 0, 1, 6);
    const QStringList heads{QStringLiteral("den"), QStringLiteral("měsíc"), QStringLiteral("rok"),
                            QStringLiteral("hodina"), QStringLiteral("minuta")};
    for (int i = 0; i < heads.size(); ++i)
        layout->addWidget(new QLabel(heads[i], &CardTim), 3, i + 1);
    layout->addWidget(new QLabel(QStringLiteral("Začátek nahrávání:"), &CardTim), 4, 0);
    for (int i = 0; i < int(m_startFields.size()); ++i)
        layout->addWidget(m_startFields[i], 4, i + 1);
    Option1.setText(QStringLiteral("určit čas:"));
    Option1.setChecked(true);
    layout->addWidget(&Option1, 5, 0, 1, 6);
    layout->addWidget(new QLabel(QStringLiteral("Konec nahrávání:"), &CardTim), 6, 0);
    for (int i = 0; i < int(m_stopFields.size()); ++i)
        layout->addWidget(m_stopFields[i], 6, i + 1);
    for (const TimeFields& fields : {m_startFields, m_stopFields}) {
        for (QLineEdit* field : fields)
            field->setMaximumWidth(70);
    }
    Option2.setText(QStringLiteral("pokud nahrávaný soubor bude mít velikost větší než cca (MB):"));
    layout->addWidget(&Option2, 7, 0, 1, 5);
    FileSizeMax.setText(QStringLiteral("100"));
    FileSizeMax.setMaximumWidth(70);
    layout->addWidget(&FileSizeMax, 7, 5);
    layout->setRowStretch(8, 1);
}

void Form1::buildTagCard()
{
    auto* layout = new QFormLayout(&CardTAG);
    layout->addRow(QStringLiteral("Title:"), &svTAGtitle);
    layout->addRow(QStringLiteral("Artist:"), &svTAGartist);
    layout->addRow(QStringLiteral("Album:"), &svTAGalbum);
    layout->addRow(QStringLiteral("Rok:"), &svTAGyear);
    layout->addRow(QStringLiteral("Komentář:"), &svTAGinfo);
    layout->addRow(QStringLiteral("Žánr:"), &Combo1);
    // The tag's fields are this wide; longer texts would be cut on saving.
    for (QLineEdit* field : {&svTAGtitle, &svTAGartist, &svTAGalbum, &svTAGinfo})
        field->setMaxLength(30);
    svTAGyear.setMaxLength(4);
    Command4.setText(QStringLiteral("Uložit inforamce do souboru"));
    layout->addRow(QString(), &Command4);
    connect(&Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
}

bool Form1::Form_Load(const QString& commandLine)
{
    // 1. One copy only: a second one hands over "SetFocus" and ends.
    if (HandOverToPrevInstance(SingleInstanceProgram::Recorder, commandLine))
        return false;
    m_bus.attach(this);
    BusWindow::setMainWindow(&m_bus);
    // 2.
    SetSubclass(true);
    // 3.
    if (commandLine != u"l")
        m_stationName = commandLine;
    // 4. The proposals are real times: a minute past 59 carries on.
    const QDateTime now = QDateTime::currentDateTime();
    showTime(m_startFields, proposedScheduleTime(now, 10));
    showTime(m_stopFields, proposedScheduleTime(now, 20));
    // 5.
    ComboBitrate.setCurrentIndex(2);
    ComboBitrate_Click();
    // 7., 8.
    m_stationName = m_stationName.trimmed();
    svTAGartist.setText(m_stationName);
    // 9.
    Combo1.addItems(ID3GenreNames());
    TabStrip1.setCurrentIndex(0);
    // NameCash_Change takes the file base and its resolved path from the field.
    NameCash.setText(proposedFileBase(now, m_stationName));
    NameCash_Change();
    Combo1.setCurrentIndex(0);
    Timer2.start();
    Timer2_Timer();
    if (commandLine == u"l") {
        m_library->setStartedAlone(true);
        showLibrary();
    }
    return true;
}

void Form1::SetSubclass(bool on)
{
    zuv::SetSubclass(m_bus, on,
                     {[this](const QString& command) { m_commands.dispatch(command); }, {}});
}

void Form1::SetFocusCommand()
{
    showNormal();
    raise();
    activateWindow();
}

QString Form1::recordingFile() const
{
    return musicFolder() + u'\\' + m_fileBase + QStringLiteral(".mp3");
}

void Form1::TabStrip1_Click()
{
    const int index = TabStrip1.currentIndex();
    if (index == kLibraryTab) {
        showLibrary();
        return;
    }
    const QList<QFrame*> cards{&CardSET, &CardREC, &CardTim, &CardTAG, &CardMP3};
    for (int i = 0; i < cards.size(); ++i)
        cards[i]->setVisible(i == index);
}

void Form1::showLibrary()
{
    hide();
    if (!m_libraryLoaded) {
        m_libraryLoaded = true;
        m_library->Form_Load();
    }
    m_library->show();
    m_library->raise();
    m_library->activateWindow();
}

void Form1::showWithTab(int index)
{
    TabStrip1.setCurrentIndex(index);
    TabStrip1_Click();
    show();
    raise();
    activateWindow();
}

void Form1::ComboBitrate_Click()
{
    setQualityControlsEnabled(false);
    const int position = ComboBitrate.currentIndex();
    if (position == 0 || position == 1) {
        m_quality = position;
        SoundSM[1].setEnabled(true);
        SoundSM[1].setChecked(true);
    } else if (position == 2 || position == 3) {
        m_quality = position;
        SoundSM[0].setEnabled(true);
        SoundSM[1].setEnabled(true);
        SoundSM[0].setChecked(true);
    }
}

void Form1::setQualityControlsEnabled(bool enabled)
{
    SoundSM[0].setEnabled(enabled);
    SoundSM[1].setEnabled(enabled);
}

void Form1::NameCash_Change()
{
    // The name stays a name: separators typed in it would leave the folder.
    m_fileBase = fileNameSafe(NameCash.text());
    m_recordingPath = resolvePath(recordingFile());
    Label9.setText(QStringLiteral("Název souboru: ") + m_fileBase + QStringLiteral(".mp3"));
}

void Form1::Command5_Click()
{
    if (OtestujCestu())
        TabStrip1.setCurrentIndex(1);
}

bool Form1::OtestujCestu()
{
    if (!QFileInfo::exists(m_recordingPath))
        return true;
    MsgBox(QStringLiteral("Soubor s tímto názvem již existuje."), MsgButtons::Ok,
           MsgIcon::Critical);
    NameCash.selectAll();
    NameCash.setFocus();
    return false;
}

void Form1::setStartFieldsEnabled(bool enabled)
{
    for (QLineEdit* field : m_startFields)
        field->setEnabled(enabled);
}

void Form1::Command1_Click()
{
    m_channels = SoundSM[0].isChecked() ? 1 : 0;
    setQualityControlsEnabled(false);
    Command1.setEnabled(false);
    ComboBitrate.setEnabled(false);
    QDir().mkpath(resolvePath(musicFolder()));
    // The folder may have appeared or changed since the name was typed.
    m_recordingPath = resolvePath(recordingFile());
    const bool started = m_capture.StartRecording(m_recordingPath, m_channels, m_quality);
    if (!started) {
        if (!m_capture.LastError().isEmpty())
            MsgBox(QStringLiteral("Při běhu programu nastala chyba."));
        // Nothing records: the controls come back so the person can try
        // again or choose another quality.
        Command1.setEnabled(true);
        ComboBitrate.setEnabled(true);
        ComboBitrate_Click();
        return;
    }
    Command1.setEnabled(!m_capture.IsRecording());
    Command2.setEnabled(m_capture.IsRecording());
    m_elapsedSeconds = 0;
    Label12.setText(SeconToTime(0));
    Timer1.start();
    m_recordingActive = true;
    setStartFieldsEnabled(false);
}

void Form1::Command2_Click()
{
    Command2.setEnabled(false);
    m_capture.StopRecording();
    Command1.setEnabled(true);
    ComboBitrate.setEnabled(true);
    ComboBitrate_Click();
    TabStrip1.setCurrentIndex(3);
    Timer1.stop();
    m_recordingActive = false;
    setStartFieldsEnabled(true);
}

void Form1::Stopuj()
{
    ++m_elapsedSeconds;
    Label12.setText(SeconToTime(m_elapsedSeconds));
}

void Form1::Timer2_Timer()
{
    ScheduleInput input;
    input.enabled = Check1.isChecked();
    input.recording = m_recordingActive;
    input.stopBySize = Option2.isChecked();
    input.start = timeOf(m_startFields);
    input.stop = timeOf(m_stopFields);
    input.sizeMax = FileSizeMax.text();
    const QFileInfo file(m_recordingPath);
    if (file.exists())
        input.fileBytes = file.size();

    const ScheduleTick tick = scheduleTick(input, QDateTime::currentDateTime());
    if (tick.clock)
        Label22.setText(*tick.clock);
    if (tick.state) {
        Label23.setText(*tick.state);
        QPalette palette = Label23.palette();
        palette.setColor(QPalette::WindowText, colourOf(tick.colour));
        Label23.setPalette(palette);
    }
    if (tick.action == ScheduleAction::StartRecording) {
        setStartFieldsEnabled(false);
        Command1_Click();
    } else if (tick.action == ScheduleAction::StopRecording) {
        Command2_Click();
    }
    if (tick.sizeLine)
        Label29.setText(*tick.sizeLine);
}

void Form1::Command4_Click()
{
    if (svTAGtitle.text().isEmpty())
        svTAGtitle.setText(m_stationName.isEmpty() ? m_fileBase : m_stationName);
    ID3Tag tag;
    tag.title = svTAGtitle.text();
    tag.artist = svTAGartist.text();
    tag.album = svTAGalbum.text();
    tag.year = svTAGyear.text();
    tag.comment = svTAGinfo.text();
    tag.genre = quint8(qMax(0, Combo1.currentIndex()));
    if (!WriteID3Tag(m_recordingPath, tag)) {
        // Nothing was saved: the person stays with the tag to try again.
        MsgBox(QStringLiteral("Při běhu programu nastala chyba."));
        return;
    }
    TabStrip1.setCurrentIndex(kLibraryTab);
}

QString Form1::serverBase() const
{
    ServerSettings server;
    server.read(dataPath(QStringLiteral("zuv_server.tt")));
    return server.serverBase;
}

void Form1::Image1_Click()
{
    const QString base = serverBase();
    if (!base.isEmpty())
        OpenURLInShell(base);
}

void Form1::Label30_Click()
{
    const QString base = serverBase();
    if (!base.isEmpty())
        OpenURLInShell(base + QStringLiteral("/faq/7"));
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == &Image1)
            Image1_Click();
        else if (watched == &Label30)
            Label30_Click();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

void Form1::Form_Unload()
{
    if (m_ending)
        return;
    m_ending = true;
    m_capture.StopRecording();
    SetSubclass(false);
    m_bus.withdraw();
    emit ended();
}

} // namespace zuv::recorder
