#include "hledej.h"

#include "core/records.h"
#include "core/search.h"
#include "form1.h"

#include <QCollator>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <foundation/gui/messagebox.h>
#include <foundation/gui/pause.h>
#include <foundation/loginlink.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <foundation/textfile.h>

namespace zuv::messenger {
namespace {

constexpr int kReplyPollMs = 500;
// A downloader asked to end stops its transfer at once; this is only a bound.
constexpr int kDownloaderEndMs = 2000;

QString searchReplyFile()
{
    return programDir() + QStringLiteral("\\search.tt");
}

QString userAddReplyFile()
{
    return programDir() + QStringLiteral("\\user_add.tt");
}

// A reply file counts once it exists with at least one byte.
bool replyArrived(const QString& file)
{
    return QFileInfo(resolvePath(file)).size() > 0;
}

enum Column
{
    ColNick,
    ColSex,
    ColFirstName,
    ColSurname,
    ColNumber,
    ColAge,
    ColPlayer,
    ColStation,
    ColTown,
    ColumnCount
};

// Czech order for names ("Č" after "C", "Ch" after "H"), numbers by value.
const QCollator& collator()
{
    static const QCollator c = [] {
        QCollator made(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        made.setNumericMode(true);
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return c;
}

class ResultItem : public QTreeWidgetItem
{
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override
    {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        return collator().compare(text(column), other.text(column)) < 0;
    }
};

} // namespace

const QStringList& Hledej::columnKeys()
{
    static const QStringList keys = {
        QStringLiteral("Nick"),     QStringLiteral("zm"),    QStringLiteral("Jmeno"),
        QStringLiteral("Prijmeni"), QStringLiteral("ID"),    QStringLiteral("Age"),
        QStringLiteral("Sorvanta"), QStringLiteral("Radio"), QStringLiteral("Mesto"),
    };
    return keys;
}

Hledej::Hledej(Form1& main, QWidget* parent) : QWidget(parent, Qt::Window), m_main(main)
{
    buildWindow();
}

Hledej::~Hledej()
{
    Image1.removeEventFilter(this);
}

void Hledej::buildWindow()
{
    setWindowTitle(QStringLiteral("Hledej v Zuv..."));
    const QString folder = dataPath(QStringLiteral("img"));
    for (const QString& key : {QStringLiteral("s0"), QStringLiteral("s1"), QStringLiteral("s2"),
                               QStringLiteral("s3"), QStringLiteral("s4"), QStringLiteral("off")})
        m_images.insert(key, QIcon(resolvePath(folder + u'/' + key + QStringLiteral(".gif"))));

    auto* fields = new QGridLayout;
    auto row = [&](int line, int column, const QString& caption, QWidget* box) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(box);
        fields->addWidget(label, line, column * 2);
        fields->addWidget(box, line, column * 2 + 1);
        return label;
    };
    row(0, 0, QStringLiteral("Nick (přezdívka):"), &TextNick);
    row(1, 0, QStringLiteral("Jméno:"), &TextJmeno);
    row(2, 0, QStringLiteral("Příjmení:"), &TextPrijmeni);
    auto* ages = new QWidget(this);
    auto* agesLayout = new QHBoxLayout(ages);
    agesLayout->setContentsMargins(0, 0, 0, 0);
    agesLayout->addWidget(&TextAgeFrom);
    agesLayout->addSpacing(8);
    agesLayout->addWidget(new QLabel(QStringLiteral("Věk do:"), ages));
    agesLayout->addWidget(&TextAgeTo);
    agesLayout->addStretch(1);
    row(3, 0, QStringLiteral("Věk od:"), ages);
    ComboZm.addItems({QString(), QStringLiteral("Žena"), QStringLiteral("Muž")});
    row(0, 1, QStringLiteral("Pohlaví:"), &ComboZm);
    row(1, 1, QStringLiteral("Město:"), &TextMesto);
    row(2, 1, QStringLiteral("Text v poznámkách:"), &TextPoznamky);
    row(3, 1, QStringLiteral("Zuv#:"), &TextID);
    // The station row is wider than the fields: it has a row of its own.
    auto* stationLabel =
        new QLabel(QStringLiteral("Hledat uživatele, kteří poslouchájí rádio:"), this);
    stationLabel->setBuddy(&TextRadio);
    auto* stationRow = new QHBoxLayout;
    stationRow->addWidget(stationLabel);
    stationRow->addWidget(&TextRadio);
    stationRow->addWidget(&CheckStation);
    stationRow->addStretch(1);
    for (QLineEdit* box : {&TextAgeFrom, &TextAgeTo})
        box->setMaximumWidth(48);
    TextID.setMaxLength(6);

    CheckOnline.setText(QStringLiteral("Hledat jen uživatele, kteří jsou On-Line"));
    CheckListening.setText(QStringLiteral("Hledat jen uživatele, kteří právě poslouchají rádio"));
    CheckStation.setText(QStringLiteral("Hledat podle zadané stanice"));
    // The station is a condition only while its box shows; the box comes
    // with the listeners of a station.
    CheckStation.hide();
    stationLabel->hide();
    TextRadio.hide();
    connect(&CheckStation, &QCheckBox::toggled, this, [this, stationLabel](bool on) {
        stationLabel->setVisible(on);
        TextRadio.setVisible(on);
    });

    Command1.setText(QStringLiteral("Hledej"));
    Command2.setText(QStringLiteral("další uživatelé >>"));
    Command2.setEnabled(false);
    for (QPushButton* button : {&Command1, &Command2})
        button->setAutoDefault(false);
    connect(&Command1, &QPushButton::clicked, this, &Hledej::Command1_Click);
    connect(&Command2, &QPushButton::clicked, this, &Hledej::Command2_Click);
    for (QLineEdit* box : {&TextNick, &TextJmeno, &TextPrijmeni, &TextAgeFrom, &TextAgeTo,
                           &TextMesto, &TextPoznamky, &TextID, &TextRadio})
        connect(box, &QLineEdit::returnPressed, this, &Hledej::Command1_Click);

    // Texts from the server are shown as they are, never as markup.
    for (QLabel* label : {&Label8, &Label10})
        label->setTextFormat(Qt::PlainText);
    Label8.setText(QStringLiteral("připraven..."));
    Image1.setPixmap(QPixmap(resolvePath(folder + QStringLiteral("/zuvii.gif"))));
    Image1.setCursor(Qt::PointingHandCursor);
    Image1.setToolTip(QStringLiteral("Zuvnet"));
    Image1.installEventFilter(this);

    ListView1.setColumnCount(ColumnCount);
    ListView1.setHeaderLabels(
        {QStringLiteral("Nick"), QStringLiteral("Pohlaví"), QStringLiteral("Jméno"),
         QStringLiteral("Příjmení"), QStringLiteral("Zuv#"), QStringLiteral("Věk"),
         QStringLiteral("Sorvanta"), QStringLiteral("Stanice"), QStringLiteral("Město")});
    ListView1.setRootIsDecorated(false);
    ListView1.setUniformRowHeights(true);
    ListView1.setAllColumnsShowFocus(true);
    ListView1.setContextMenuPolicy(Qt::CustomContextMenu);
    ListView1.header()->setSectionsClickable(true);
    ListView1.header()->setSortIndicatorShown(false);
    const int widths[ColumnCount] = {110, 50, 80, 90, 60, 40, 60, 80, 90};
    for (int column = 0; column < ColumnCount; ++column)
        ListView1.setColumnWidth(column, widths[column]);
    connect(ListView1.header(), &QHeaderView::sectionClicked, this, &Hledej::ListView1_ColumnClick);
    connect(&ListView1, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { ListView1_DblClick(item); });
    connect(&ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        showMenuUser(ListView1.itemAt(at), ListView1.viewport()->mapToGlobal(at));
    });

    AddUser = MenuUser.addAction(QStringLiteral("Přidej do seznamu"), this,
                                 [this] { PridejUsera(m_menuNumber); });
    SendMessage = MenuUser.addAction(QStringLiteral("Poslat zprávu"), this,
                                     [this] { m_main.SendMessageZuv(m_menuNick, m_menuNumber); });
    ShowInform = MenuUser.addAction(QStringLiteral("Zobrazit informace"), this, [this] {
        m_main.webView(
            QStringLiteral("\\zuv\\whois.php?id=") + m_menuNumber, QStringLiteral("5600/@/6000"),
            QStringLiteral("Zuv - informace o ") + m_menuNick, QStringLiteral("noendtest"));
    });

    Timer1.setInterval(kReplyPollMs);
    Timer2.setInterval(kReplyPollMs);
    connect(&Timer1, &QTimer::timeout, this, &Hledej::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &Hledej::Timer2_Timer);

    auto* checks = new QVBoxLayout;
    checks->addWidget(&CheckOnline);
    checks->addWidget(&CheckListening);
    auto* buttons = new QHBoxLayout;
    buttons->addLayout(checks, 1);
    buttons->addWidget(&Command1);
    buttons->addWidget(&Command2);
    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addWidget(&Image1, 0, Qt::AlignTop);
    auto* status = new QHBoxLayout;
    status->addWidget(&Label8, 1);
    status->addWidget(&Label10, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(stationRow);
    layout->addLayout(buttons);
    layout->addLayout(status);
    layout->addWidget(&ListView1, 1);
    resize(760, 560);
    TextNick.setFocus();
}

bool Hledej::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &Image1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        m_main.openWebLogin();
    return QWidget::eventFilter(watched, event);
}

void Hledej::Command1_Click()
{
    SearchForm form;
    form.id = TextID.text();
    form.ageFrom = TextAgeFrom.text();
    form.ageTo = TextAgeTo.text();
    form.nick = TextNick.text();
    form.onlineOnly = CheckOnline.isChecked();
    form.listeningOnly = CheckListening.isChecked();
    if (CheckStation.isChecked())
        form.station = TextRadio.text();
    form.firstName = TextJmeno.text();
    form.surname = TextPrijmeni.text();
    form.sex = ComboZm.currentIndex() == 1   ? QStringLiteral("z")
               : ComboZm.currentIndex() == 2 ? QStringLiteral("m")
                                             : QString();
    form.notes = TextPoznamky.text();
    form.town = TextMesto.text();

    const AgeLimits ages = searchAgeLimits(form.ageFrom, form.ageTo);
    if (ages.limited() && !m_ageNoticeShown) {
        m_ageNoticeShown = true;
        MsgBox(ageNotice(ages), MsgButtons::Ok, MsgIcon::Information);
    }
    Label8.setText(QStringLiteral("probíhá hledání..."));
    ListView1.clear();
    m_sortColumn = -1;
    ListView1.header()->setSortIndicatorShown(false);
    const Form1& main = m_main;
    startSearch(searchUrl(main.server().serverBase, m_main.settings().Zuvid,
                          m_main.settings().Zuvpass, form));
}

void Hledej::Command2_Click()
{
    if (m_nextPage.isEmpty())
        return;
    Label8.setText(QStringLiteral("probíhá hledání..."));
    startSearch(m_main.server().serverBase + m_nextPage);
}

void Hledej::endSearchDownload()
{
    // The downloader of a search given up could still write its reply after
    // the next search has started, and be taken for its answer.
    if (m_searchPid <= 0)
        return;
    stopProgram(m_searchPid);
    for (int waited = 0; programRunning(m_searchPid) && waited < kDownloaderEndMs; waited += 10)
        Pause(10);
    m_searchPid = 0;
}

void Hledej::startSearch(const QString& url)
{
    Timer1.stop();
    endSearchDownload();
    QFile::remove(resolvePath(searchReplyFile()));
    Shell(QStringLiteral("load.exe ") + url + QStringLiteral("/@/") + searchReplyFile() +
              QStringLiteral("/@/show"),
          SW_SHOWNOACTIVATE, &m_searchPid);
    Timer1.start();
}

void Hledej::Timer1_Timer()
{
    if (!replyArrived(searchReplyFile()))
        return;
    Timer1.stop();
    m_searchPid = 0;
    Command2.setEnabled(false);
    m_nextPage.clear();
    const QStringList lines = TextFile::readLines(searchReplyFile()).value_or(QStringList());
    ListView1.setUpdatesEnabled(false);
    m_filling = true;
    for (const QString& line : lines) {
        const ClassifiedSearchLine record = classifySearchLine(line);
        switch (record.kind) {
        case SearchLine::Add:
            PridejDoListu(record.value);
            break;
        case SearchLine::Next:
            // The address goes into the downloader's argument: a separator
            // in it would name another reply file.
            if (!record.value.contains(QStringLiteral("/@/"))) {
                m_nextPage = QStringLiteral("/zuv/") + record.value;
                Command2.setEnabled(true);
            }
            break;
        case SearchLine::Num:
            Label8.setText(QStringLiteral("Nalezeno uživatelů: ") + record.value);
            break;
        case SearchLine::Svs:
            Label10.setText(listenersCaption(record.value));
            break;
        case SearchLine::Other:
            break;
        }
    }
    m_filling = false;
    ListView1.addTopLevelItems(std::exchange(m_newItems, {}));
    if (m_sortColumn >= 0)
        ListView1.sortItems(m_sortColumn, m_sortOrder);
    ListView1.setUpdatesEnabled(true);
}

void Hledej::PridejDoListu(const QString& record)
{
    const auto result = parseSearchResult(record);
    if (!result)
        return;
    auto* item = new ResultItem;
    item->setData(ColNick, Qt::UserRole, QStringLiteral("zuv") + result->number);
    item->setText(ColNick, u' ' + result->nick);
    item->setText(ColFirstName, result->firstName);
    item->setText(ColSurname, result->surname);
    item->setText(ColNumber, result->number);
    item->setText(ColAge, result->age);
    item->setText(ColPlayer, result->player);
    item->setText(ColStation, result->station);
    item->setText(ColSex, result->sex);
    item->setText(ColTown, result->town);
    item->setIcon(ColNick, m_images.value(resultImageKey(result->mood)));
    // While a reply is read the items wait, and come into the list at once.
    if (m_filling)
        m_newItems.append(item);
    else
        ListView1.addTopLevelItem(item);
}

QString Hledej::itemKey(const QTreeWidgetItem* item) const
{
    return item ? item->data(ColNick, Qt::UserRole).toString() : QString();
}

QString Hledej::numberOf(const QTreeWidgetItem* item) const
{
    return itemKey(item).mid(3);
}

QString Hledej::nickOf(const QTreeWidgetItem* item) const
{
    return item ? item->text(ColNick).mid(1) : QString();
}

void Hledej::ListView1_ColumnClick(int column)
{
    m_sortOrder = column == m_sortColumn && m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                              : Qt::AscendingOrder;
    m_sortColumn = column;
    ListView1.header()->setSortIndicatorShown(true);
    ListView1.sortItems(column, m_sortOrder);
}

void Hledej::ListView1_DblClick(QTreeWidgetItem* item)
{
    if (!item)
        return;
    m_main.SendMessageZuv(nickOf(item), numberOf(item));
}

void Hledej::showMenuUser(QTreeWidgetItem* item, const QPoint& where)
{
    if (!item)
        return;
    m_menuNumber = numberOf(item);
    m_menuNick = nickOf(item);
    MenuUser.popup(where);
}

void Hledej::PridejUsera(const QString& number)
{
    if (!isMemberNumber(number))
        return;
    QFile::remove(resolvePath(userAddReplyFile()));
    Shell(QStringLiteral("load.exe ") +
              userAddUrl(m_main.server().serverBase, m_main.settings().Zuvid,
                         m_main.settings().Zuvpass, number) +
              QStringLiteral("/@/") + userAddReplyFile() + QStringLiteral("/@/show"),
          SW_SHOWNOACTIVATE);
    Timer2.start();
}

void Hledej::Timer2_Timer()
{
    if (!replyArrived(userAddReplyFile()))
        return;
    Timer2.stop();
    m_main.showContactListAnswer(TextFile::readLines(userAddReplyFile()).value_or(QStringList()),
                                 QStringLiteral(" byl přidán do vašeho seznamu"));
}

void Hledej::HledejSv(const QString& station)
{
    CheckStation.show();
    CheckOnline.setChecked(true);
    CheckListening.setChecked(true);
    CheckStation.setChecked(true);
    TextRadio.setText(station);
    Command1_Click();
}

void Hledej::RemoteSearch(const QString& text)
{
    const QStringList values = remoteSearchValues(text);
    QLineEdit* boxes[] = {&TextNick,  &TextJmeno,    &TextPrijmeni, &TextAgeFrom, &TextAgeTo,
                          &TextMesto, &TextPoznamky, &TextID,       &TextRadio};
    qsizetype next = 0;
    for (QLineEdit* box : boxes)
        box->setText(next < values.size() ? values[next++] : QString());
    // A station asked for is a condition of the search, as its box shows.
    if (!TextRadio.text().isEmpty()) {
        CheckStation.show();
        CheckStation.setChecked(true);
    }
    Command1_Click();
}

} // namespace zuv::messenger
