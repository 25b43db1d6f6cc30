#include "form1.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <foundation/bus/instance.h>
#include <foundation/gui/desktop.h>
#include <foundation/gui/messagebox.h>
#include <foundation/gui/notification.h>
#include <foundation/paths.h>
#include <foundation/twips.h>

namespace zuv::mailcheck {
namespace {

const QString kCaption = QStringLiteral("Zuv Postrel! (Zuvnet)");
constexpr int kKeyRole = Qt::UserRole + 1;
constexpr int kTimeoutMs = 5000;
// The diagnostic box keeps the newest part of what the servers said.
constexpr int kDiagnosticChars = 64 * 1024;

struct Column
{
    const char* key;
    const char* caption;
    int twips;
};
const Column kColumns[] = {
    {"pName", "Název", 1500},
    {"pUser", "Uživatel", 1500},
    {"pServer", "Server", 1500},
    {"pNumber", "Celkový počet zpráv ve schránce", 600},
    {"pNumberNew", "Počet nových zpráv", 600},
    {"pSize", "Celková velikost", 1000},
    {"pLast", "Poslední kontrola", 1000},
};

std::optional<int> seconds(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok || value < 1 || value > 24 * 3600)
        return std::nullopt;
    return value;
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(kCaption);
    buildWindow();
    buildMenu();
    m_commands.whole(QStringLiteral("SetFocus"), [this] { ZobrazForm1(); })
        .whole(QStringLiteral("Check"), [this] { CheckLIST(); })
        .whole(QStringLiteral("emailend"), [this] { nevimaleendne.start(); });

    Timer1.setSingleShot(true);
    Timer1.setInterval(kTimeoutMs);
    Timer2.setInterval(5000);
    nevimaleendne.setInterval(1);
    nevimaleendne.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(&nevimaleendne, &QTimer::timeout, this, &Form1::Konec);

    connect(&Winsock1, &Pop3Check::received, this, &Form1::appendDiagnostic);
    connect(&Winsock1, &Pop3Check::problem, this, &Form1::appendDiagnostic);
    connect(&Winsock1, &Pop3Check::statReceived, this, [this](const StatResult& result) {
        AktualizujUcet(QStringLiteral("p") + CurrentName, result.count, result.size);
        moveOn();
    });
    connect(&Winsock1, &Pop3Check::skipped, this, [this] { moveOn(); });

    connect(&notification, &Form2::clicked, this, &Form1::ZobrazForm1);
    connect(&accountDialog, &Form3::confirmed, this,
            [this](const QString& name, const QString& user, const QString& pass,
                   const QString& server) { EditAddNEW(m_editKey, name, user, pass, server); });
}

Form1::~Form1()
{
    ListView1.viewport()->removeEventFilter(this);
}

void Form1::buildWindow()
{
    QStringList captions;
    for (const Column& column : kColumns)
        captions << QString::fromUtf8(column.caption);
    ListView1.setHeaderLabels(captions);
    ListView1.setRootIsDecorated(false);
    ListView1.setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1.setSortingEnabled(true);
    ListView1.sortByColumn(0, Qt::AscendingOrder);
    for (int i = 0; i < int(std::size(kColumns)); ++i) {
        ListView1.headerItem()->setData(i, kKeyRole, QString::fromLatin1(kColumns[i].key));
        ListView1.headerItem()->setToolTip(i, captions[i]);
        // The narrow columns of the design would hide their own captions.
        const int caption = ListView1.header()->fontMetrics().horizontalAdvance(captions[i]) + 20;
        ListView1.header()->resizeSection(i, qMax(twipsToPixels(kColumns[i].twips), caption));
    }
    ListView1.viewport()->installEventFilter(this);
    connect(&ListView1, &QTreeWidget::itemDoubleClicked, this, &Form1::ListView1_DblClick);

    Command1.setText(QStringLiteral("Zkontroluj teď"));
    Check1.setText(QStringLiteral("Kontrolovat automaticky, interval:"));
    for (const char* value : {"5", "10", "15", "20", "25", "30", "45", "60"})
        Combo1.addItem(QString::fromLatin1(value));
    Combo1.setEditable(true);
    Combo1.setValidator(new QIntValidator(1, 24 * 3600, &Combo1));
    Combo1.setCurrentText(QStringLiteral("60"));
    Combo1.setEnabled(false);
    Command3.setText(QStringLiteral("Skrýt"));
    Command4.setText(QStringLiteral("Konec"));
    Command2.setText(QStringLiteral("Command2"));
    Text1.setReadOnly(true);
    Text1.setMaximumBlockCount(2000);
    Text1.setPlaceholderText(QStringLiteral("Co odpověděly servery"));
    Text2.setPlaceholderText(QStringLiteral("Příkaz pro server"));

    connect(&Command1, &QPushButton::clicked, this, &Form1::CheckLIST);
    connect(&Check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
    connect(&Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    connect(&Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(&Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(&Command2, &QPushButton::clicked, this, &Form1::Command2_Click);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&ListView1, 1);
    LabelHint.setText(
        QStringLiteral("Účet přidáte pravým tlačítkem myši v seznamu: „Přidat nový účet“."));
    LabelHint.setStyleSheet(QStringLiteral("color: #555"));
    layout->addWidget(&LabelHint);
    auto* controls = new QHBoxLayout;
    controls->addWidget(&Command1);
    controls->addWidget(&Check1);
    controls->addWidget(&Combo1);
    controls->addWidget(new QLabel(QStringLiteral("s"), this));
    controls->addStretch(1);
    controls->addWidget(&Command3);
    controls->addWidget(&Command4);
    layout->addLayout(controls);
    layout->addWidget(&Text1);
    Text1.setMaximumHeight(90);
    auto* raw = new QHBoxLayout;
    raw->addWidget(&Text2, 1);
    raw->addWidget(&Command2);
    layout->addLayout(raw);
    resize(twipsToPixels(14700), twipsToPixels(5600));
}

void Form1::buildMenu()
{
    MenuPrecteno = PopupMenu.addAction(QStringLiteral("Označit za přečtené"), this,
                                       &Form1::MenuPrecteno_Click);
    PopupMenu.addSeparator();
    MenuUpravit =
        PopupMenu.addAction(QStringLiteral("Upravit účet"), this, &Form1::MenuUpravit_Click);
    MenuOdstranit =
        PopupMenu.addAction(QStringLiteral("Odstranit účet"), this, &Form1::MenuOdstranit_Click);
    MenuDuplikovat =
        PopupMenu.addAction(QStringLiteral("Duplikovat účet"), this, &Form1::MenuDuplikovat_Click);
    MenuPridat =
        PopupMenu.addAction(QStringLiteral("Přidat nový účet"), this, &Form1::MenuPridat_Click);
}

bool Form1::Form_Load(const QString& commandLine)
{
    // 1.
    m_startsHidden = commandLine.compare(u"zuv", Qt::CaseInsensitive) == 0;
    // 2. One copy only.
    if (HandOverToPrevInstance(SingleInstanceProgram::MailChecker, commandLine))
        return false;
    m_bus.attach(this);
    BusWindow::setMainWindow(&m_bus);
    // 3.
    SetSubclass(true);
    // 4. The file exists from now on.
    touchAccountsFile(accountsPath());
    // 5.
    LoadUcty();
    // 6.
    CheckLIST();
    return true;
}

void Form1::SetSubclass(bool on)
{
    zuv::SetSubclass(m_bus, on,
                     {[this](const QString& command) { m_commands.dispatch(command); }, {}});
}

QString Form1::accountsPath() const
{
    return dataPath(QStringLiteral("img.jpg"));
}

void Form1::LoadUcty()
{
    const std::optional<AccountsFile> file = readAccountsFile(accountsPath());
    // An unreadable file is kept as it is: saving over it would lose the
    // accounts.
    m_fileReadable = file.has_value();
    if (!file)
        return;
    m_accounts.load(*file);
    Check1.setChecked(m_accounts.autoCheck().trimmed() == u"1");
    Combo1.setCurrentText(m_accounts.interval());
    applyInterval(m_accounts.interval());
    Check1_Click();
    showRows();
}

void Form1::showRows()
{
    const QString selected = selectedItem() ? selectedItem()->data(0, kKeyRole).toString() : "";
    ListView1.setSortingEnabled(false);
    ListView1.clear();
    for (const AccountRow& row : m_accounts.rows()) {
        auto* entry = new QTreeWidgetItem(
            QStringList{row.name, row.user, row.server, row.total, row.fresh, row.size, row.last});
        entry->setData(0, kKeyRole, row.key);
        QFont font = entry->font(0);
        font.setBold(row.bold);
        for (int i = 0; i < entry->columnCount(); ++i)
            entry->setFont(i, font);
        ListView1.addTopLevelItem(entry);
        if (row.key == selected)
            ListView1.setCurrentItem(entry);
    }
    ListView1.setSortingEnabled(true);
    LabelHint.setVisible(m_accounts.rows().isEmpty());
}

QTreeWidgetItem* Form1::item(const QString& key) const
{
    for (int i = 0; i < ListView1.topLevelItemCount(); ++i) {
        QTreeWidgetItem* entry = ListView1.topLevelItem(i);
        if (entry->data(0, kKeyRole).toString() == key)
            return entry;
    }
    return nullptr;
}

QTreeWidgetItem* Form1::selectedItem() const
{
    return ListView1.currentItem();
}

void Form1::KonecProgramu()
{
    if (!m_fileReadable)
        return;
    m_accounts.setAutoCheck(Check1.isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    m_accounts.setInterval(Combo1.currentText());
    writeAccountsFile(accountsPath(), m_accounts.save());
}

void Form1::EditAddNEW(const QString& iKey, const QString& Name, const QString& User,
                       const QString& Pass, const QString& Server)
{
    m_accounts.EditAddNEW(iKey, Name, User, Pass, Server);
    saveAndReload();
}

void Form1::saveAndReload()
{
    KonecProgramu();
    if (m_fileReadable)
        LoadUcty();
    else
        showRows();
}

void Form1::AktualizujUcet(const QString& NameUcet, const QString& Pocet, const QString& Velikost)
{
    m_accounts.AktualizujUcet(NameUcet, Pocet, Velikost, QTime::currentTime());
    showRows();
}

void Form1::CheckLIST()
{
    Timer1.stop();
    const QStringList& lines = m_accounts.lines();
    while (m_accountIndex < lines.size()) {
        const QString line = lines.at(m_accountIndex);
        ++m_accountIndex;
        // A line without the four fields of a mailbox is passed over.
        if (line.count(u'|') < 3)
            continue;
        const QStringList fields = accountFields(line);
        CurrentName = fields.value(0);
        CheckEmail(fields.value(1), fields.value(2), fields.value(3));
        return;
    }
    m_accountIndex = 0;
    ZobrazDialog();
    KonecProgramu();
    ++m_cyclesEnded;
}

void Form1::CheckEmail(const QString& Server, const QString& User, const QString& Pass)
{
    Timer1.start(kTimeoutMs);
    Winsock1.CheckEmail(Server, User, Pass);
}

void Form1::moveOn()
{
    Timer1.stop();
    // The next visit starts from the event loop, not from inside the
    // socket's own handler that reported this one.
    QMetaObject::invokeMethod(this, &Form1::CheckLIST, Qt::QueuedConnection);
}

void Form1::Timer1_Timer()
{
    Winsock1.abort();
    CheckLIST();
}

void Form1::Timer2_Timer()
{
    if (!Check1.isChecked())
        return;
    if (!busy())
        CheckLIST();
    applyInterval(Combo1.currentText());
}

void Form1::Check1_Click()
{
    Combo1.setEnabled(Check1.isChecked());
    if (Check1.isChecked())
        Timer2.start();
    else
        Timer2.stop();
}

void Form1::Combo1_Click()
{
    if (!applyInterval(Combo1.currentText()))
        return;
    Timer2.stop();
    Timer2.start();
}

bool Form1::applyInterval(const QString& text)
{
    const auto interval = seconds(text);
    if (!interval)
        return false;
    Timer2.setInterval(*interval * 1000);
    return true;
}

void Form1::Command2_Click()
{
    if (!Winsock1.sendRaw(Text2.text()))
        MsgBox(QStringLiteral("Chyba"));
}

void Form1::appendDiagnostic(const QString& text)
{
    Text1.appendPlainText(text.left(kDiagnosticChars));
}

void Form1::ZobrazDialog()
{
    const int sum = m_accounts.newSum();
    if (sum < 1) {
        notification.hide();
        notification.StopForm();
        m_showForm2 = false;
        if (m_desktopNotice)
            m_desktopNotice->close();
        m_notifiedSum = 0;
        return;
    }
    if (!m_showForm2) {
        notification.StartForm();
        notification.Form_Load();
        notification.show();
        m_showForm2 = true;
    }
    notification.Label1.setText(QStringLiteral("Nové emaily: ") + QString::number(sum));
    notifyDesktop(sum);
}

void Form1::notifyDesktop(int sum)
{
    // Only a growing sum is news; reading mail makes it fall.
    const bool grew = sum > m_notifiedSum;
    m_notifiedSum = sum;
    if (!grew)
        return;
    if (!m_desktopNotice) {
        m_desktopNotice = new DesktopNotification(QStringLiteral("Zuv Postrel!"), this);
        connect(m_desktopNotice, &DesktopNotification::clicked, this, &Form1::ZobrazForm1);
    }
    m_desktopNotice->show(QStringLiteral("Zuv Postrel!"),
                          QStringLiteral("Nové emaily: ") + QString::number(sum),
                          QStringLiteral("mail-unread"));
}

void Form1::ZobrazForm1()
{
    show();
    bringToFront(this);
}

void Form1::Command3_Click()
{
    showMinimized();
    hide();
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (m_ending) {
        event->accept();
        return;
    }
    event->ignore();
    Command3_Click();
}

void Form1::Command4_Click()
{
    if (MsgBox(QStringLiteral("Přejete si program vypnout?"), MsgButtons::YesNo,
               MsgIcon::Question) == MsgAnswer::Yes)
        Konec();
}

void Form1::Konec()
{
    if (m_ending)
        return;
    m_ending = true;
    KonecProgramu();
    Timer1.stop();
    Timer2.stop();
    Winsock1.abort();
    notification.hide();
    if (m_desktopNotice)
        m_desktopNotice->close();
    SetSubclass(false);
    m_bus.withdraw();
    emit ended();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView1.viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (QTreeWidgetItem* under = ListView1.itemAt(mouse->position().toPoint()))
            ListView1.setCurrentItem(under);
        ListView1_Click(mouse->button());
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::ListView1_Click(Qt::MouseButton button)
{
    for (QAction* action : {MenuPrecteno, MenuUpravit, MenuOdstranit, MenuDuplikovat})
        action->setEnabled(false);
    if (button != Qt::RightButton)
        return;
    const QTreeWidgetItem* selected = selectedItem();
    const bool hasItem = selected && !selected->data(0, kKeyRole).toString().isEmpty();
    MenuUpravit->setEnabled(hasItem);
    MenuOdstranit->setEnabled(hasItem);
    MenuDuplikovat->setEnabled(hasItem);
    MenuPrecteno->setEnabled(hasItem && selected->text(4) != u"0");
    PopupMenu.popup(QCursor::pos());
}

void Form1::ListView1_DblClick()
{
    MenuPrecteno_Click();
}

void Form1::MenuPrecteno_Click()
{
    const QTreeWidgetItem* selected = selectedItem();
    if (!selected)
        return;
    m_accounts.markRead(selected->data(0, kKeyRole).toString());
    showRows();
    ZobrazDialog();
}

void Form1::openDialogFor(const QTreeWidgetItem* selected, bool asNew)
{
    const QString key = selected->data(0, kKeyRole).toString();
    accountDialog.TextName.setText(selected->text(0));
    accountDialog.TextUser.setText(selected->text(1));
    accountDialog.TextServer.setText(selected->text(2));
    accountDialog.TextPass.setText(m_accounts.password(key));
    m_editKey = asNew ? QString() : key;
    accountDialog.Form_Activate(m_editKey);
    accountDialog.open();
}

void Form1::MenuUpravit_Click()
{
    if (const QTreeWidgetItem* selected = selectedItem())
        openDialogFor(selected, false);
}

void Form1::MenuDuplikovat_Click()
{
    // The same fields, added as a new account.
    if (const QTreeWidgetItem* selected = selectedItem())
        openDialogFor(selected, true);
}

void Form1::MenuPridat_Click()
{
    m_editKey.clear();
    accountDialog.Form_Activate(m_editKey);
    accountDialog.open();
}

void Form1::MenuOdstranit_Click()
{
    const QTreeWidgetItem* selected = selectedItem();
    if (!selected)
        return;
    if (MsgBox(QStringLiteral("Přejete si smazat účet ") + selected->text(0) + QStringLiteral(" ?"),
               MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return;
    m_accounts.remove(selected->data(0, kKeyRole).toString());
    saveAndReload();
}

} // namespace zuv::mailcheck
