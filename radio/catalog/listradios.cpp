#include "listradios.h"

#include "catalog/core/catalogfiles.h"
#include "catalog/core/categories.h"
#include "core/favourites.h"
#include "core/skinfile.h"
#include "sorvanta.h"
#include "stationlistmodel.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSplitter>
#include <QVBoxLayout>
#include <foundation/codepage.h>
#include <foundation/gui/messagebox.h>
#include <foundation/gui/sendcommand.h>
#include <foundation/loginlink.h>
#include <foundation/online.h>
#include <foundation/optionsfile.h>
#include <foundation/pagetext.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <foundation/textfile.h>
#include <foundation/twips.h>

namespace zuv::radio {
namespace {

const QString kCaption = QStringLiteral("Sorvanta - stanice");
const QString kMessengerCaption = QStringLiteral("Zuv - Sorvanta");
const QString kRefused =
    QStringLiteral("Aktualizaci nyní nelze provést, zkuste to prosím později.");
// Windows colour 12582912 (0x00C00000): blue.
const QString kHoverStyle = QStringLiteral("color: #0000c0; text-decoration: underline;");
constexpr qint64 kMaxAdvertBytes = 1 << 20;

QString sizeProbeFile()
{
    return programDir() + QStringLiteral("\\zuv_test_size.tt");
}

QString listFile()
{
    return programDir() + QStringLiteral("/seznam.tt");
}

qint64 fileSize(const QString& path)
{
    const QFileInfo info(resolvePath(path));
    return info.isFile() ? info.size() : -1;
}

} // namespace

ListRadios::ListRadios(Sorvanta& player, QWidget* parent)
    : QWidget(parent, Qt::Window), m_player(player),
      m_model(std::make_unique<StationListModel>(m_catalog))
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildWindow();
    buildMenu();
}

ListRadios::~ListRadios()
{
    for (QWidget* link : {static_cast<QWidget*>(&Label4), static_cast<QWidget*>(&Label5),
                          static_cast<QWidget*>(&Label6), static_cast<QWidget*>(&Label7),
                          static_cast<QWidget*>(&Label9), static_cast<QWidget*>(&Label10),
                          static_cast<QWidget*>(&Image3), static_cast<QWidget*>(&InfoPanel),
                          static_cast<QWidget*>(&Frame1), ListView1.viewport()})
        link->removeEventFilter(this);
}

void ListRadios::buildWindow()
{
    setWindowTitle(kCaption);
    resize(twipsToPixels(10500), twipsToPixels(6045));

    TreeView1.setHeaderHidden(true);
    TreeView1.setRootIsDecorated(true);
    connect(&TreeView1, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* node) { showNode(node); });
    connect(&TreeView1, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* node) {
        // Keys move the selection too; a click has its own handler.
        if (node && node != TreeView1.currentItem())
            showNode(node);
    });

    ListView1.setModel(m_model.get());
    ListView1.setRootIsDecorated(false);
    ListView1.setUniformRowHeights(true); // many rows, one height: no measuring each
    ListView1.setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1.setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1.setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1.header()->resizeSection(0, twipsToPixels(2000));
    ListView1.header()->resizeSection(1, twipsToPixels(800));
    ListView1.header()->setSectionsClickable(false);
    ListView1.viewport()->installEventFilter(this);
    connect(ListView1.selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& index) { selectedChanged(index); });
    connect(&ListView1, &QTreeView::doubleClicked, this, [this] {
        MenuRadia();
        popUp(*NaladRadio);
    });
    connect(&ListView1, &QTreeView::activated, this, [this](const QModelIndex&) {
        // Enter in the list, as a double click.
        if (!ListView1.underMouse()) {
            MenuRadia();
            popUp(*NaladRadio);
        }
    });

    Label1.setText(QStringLiteral("Připraven..."));
    Command1.setText(QStringLiteral("Aktualizuj"));
    connect(&Command1, &QPushButton::clicked, this, &ListRadios::Command1_Click);

    for (QLabel* text : {&Label2, &Label3, &Label4})
        text->setText(QStringLiteral("Vyberte rádio..."));
    Label2.setStyleSheet(QStringLiteral("font-weight: bold;"));
    Label8.setText(QStringLiteral("Popis:"));
    Text1.setReadOnly(true);
    Label5.setText(QStringLiteral("Rádio přidat do rychlého seznamu"));
    Label7.setText(QStringLiteral("Naladit rádio..."));
    Label6.setText(QStringLiteral("Mám potíže s poslechem tohoto rádia"));
    Label9.setText(QStringLiteral("Zobrazit uživatele, kteří poslouchají toto rádio"));
    Label10.setText(QStringLiteral("Diskuze k rádiové stanici"));
    for (QLabel* label : {&Label1, &Label2, &Label3, &Label4, &Label8, &Label5, &Label7, &Label6,
                          &Label9, &Label10, &InfoPanel})
        label->setTextFormat(Qt::PlainText);
    for (QLabel* link : {&Label4, &Label5, &Label7, &Label6, &Label9, &Label10}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setAttribute(Qt::WA_Hover);
        link->installEventFilter(this);
    }
    Label4.setWordWrap(true);
    Image3.setPixmap(QPixmap(dataPath(QStringLiteral("img/zuvii.gif"))));
    Image3.setToolTip(QStringLiteral("Zuvnet"));
    Image3.setCursor(Qt::PointingHandCursor);
    Image3.installEventFilter(this);
    Frame1.installEventFilter(this);
    Frame1.setAttribute(Qt::WA_Hover);
    // Until a station is chosen there is nothing to describe.
    for (QWidget* detail : std::initializer_list<QWidget*>{
             &Text1, &Label8, &Label3, &Label4, &Label5, &Label6, &Label7, &Label9, &Label10})
        detail->hide();

    auto* details = new QVBoxLayout(&Frame1);
    details->setContentsMargins(6, 6, 6, 6);
    for (QWidget* w : std::initializer_list<QWidget*>{&Label2, &Label3, &Label4, &Label8, &Text1,
                                                      &Label7, &Label5, &Label9, &Label10, &Label6})
        details->addWidget(w);
    details->addStretch();
    details->addWidget(&Image3, 0, Qt::AlignRight);
    // The links keep their whole captions; the list takes what is left.
    int widest = 0;
    for (QLabel* link : {&Label5, &Label7, &Label6, &Label9, &Label10})
        widest = qMax(widest, link->sizeHint().width());
    Frame1.setMinimumWidth(widest + 12);

    // The advert strip runs nothing and loads nothing by itself.
    WebBrowser1.setOpenLinks(false);
    WebBrowser1.setOpenExternalLinks(false);
    WebBrowser1.setFixedHeight(0);
    WebBrowser1.hide();
    connect(&WebBrowser1, &QTextBrowser::anchorClicked, this,
            [](const QUrl& url) { OpenURLInShell(url.toString()); });
    InfoPanel.setCursor(Qt::PointingHandCursor);
    InfoPanel.installEventFilter(this);
    ImageInPan.setPixmap(QPixmap(dataPath(QStringLiteral("img/info.gif"))));
    InfoPanel.hide();
    ImageInPan.hide();
    connect(&TimerInPan, &QTimer::timeout, this, &ListRadios::TimerInPan_Timer);

    Timer1.setInterval(100);
    Timer3.setInterval(100);
    connect(&Timer1, &QTimer::timeout, this, &ListRadios::Timer1_Timer);
    connect(&Timer3, &QTimer::timeout, this, &ListRadios::Timer3_Timer);

    auto* lists = new QSplitter(Qt::Horizontal);
    lists->addWidget(&TreeView1);
    lists->addWidget(&ListView1);
    lists->addWidget(&Frame1);
    lists->setStretchFactor(1, 1);
    lists->setSizes({twipsToPixels(2200), twipsToPixels(3600), twipsToPixels(3200)});
    auto* status = new QHBoxLayout;
    status->addWidget(&Label1, 1);
    status->addWidget(&Command1);
    auto* info = new QHBoxLayout;
    info->addWidget(&ImageInPan);
    info->addWidget(&InfoPanel, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lists, 1);
    layout->addLayout(status);
    layout->addWidget(&WebBrowser1);
    layout->addLayout(info);
}

void ListRadios::buildMenu()
{
    DostupnaKvalita = SkryteMenu.addMenu(QStringLiteral("Přidat rádio do rychlého seznamu"));
    DostupnaKvalita->setObjectName(QStringLiteral("DostupnaKvalita"));
    for (int i = 0; i < 5; ++i) {
        const QString level = QString::number(i + 1);
        Kvalita[i] = DostupnaKvalita->addAction(level);
        Kvalita[i]->setObjectName(QStringLiteral("Kvalita") + level);
        connect(Kvalita[i], &QAction::triggered, this, [this, level] { PridejRadioDoFAST(level); });
    }
    DostupnaKvalita->addSeparator();
    KvalitaInfo = DostupnaKvalita->addAction(QStringLiteral("Informace"));
    KvalitaInfo->setObjectName(QStringLiteral("KvalitaInfo"));
    connect(KvalitaInfo, &QAction::triggered, this, &ListRadios::KvalitaInfo_Click);

    NaladRadio = SkryteMenu.addMenu(QStringLiteral("Naladit rádio"));
    NaladRadio->setObjectName(QStringLiteral("NaladRadio"));
    for (int i = 0; i < 5; ++i) {
        const QString level = QString::number(i + 1);
        KvalitaPlay[i] = NaladRadio->addAction(level);
        KvalitaPlay[i]->setObjectName(QStringLiteral("Kvalita") + level + QStringLiteral("play"));
        connect(KvalitaPlay[i], &QAction::triggered, this, [this, level] { NaladitRadio(level); });
    }
    SkryteMenu.addSeparator();
    ShowUsersItem = SkryteMenu.addAction(QStringLiteral("Zobrazit posluchače tohoto rádia"));
    ShowUsersItem->setObjectName(QStringLiteral("ShowUsers"));
    connect(ShowUsersItem, &QAction::triggered, this, &ListRadios::ShowUsers);
    DiskuzeItem = SkryteMenu.addAction(QStringLiteral("Diskuze k tomuto rádiu"));
    DiskuzeItem->setObjectName(QStringLiteral("Diskuze"));
    connect(DiskuzeItem, &QAction::triggered, this, &ListRadios::Diskuze);
    PotizeItem = SkryteMenu.addAction(QStringLiteral("Mám potíže s poslechem"));
    PotizeItem->setObjectName(QStringLiteral("Potize"));
    connect(PotizeItem, &QAction::triggered, this, &ListRadios::Potize);
    SkryteMenu.addSeparator();
    WebRadia = SkryteMenu.addAction(QStringLiteral("Web rádia"));
    WebRadia->setObjectName(QStringLiteral("WebRadia"));
    connect(WebRadia, &QAction::triggered, this, [this] { OpenWeb(WebRadia->text()); });
}

void ListRadios::Form_Load()
{
    NactiKategorie();
    m_server.load(QStringLiteral("Sorvanta (LoadOptions) zuv_server.tt"));
    OptionsFile options;
    options.load();
    m_ownId = options.value(OptionKeys::Zuvid);
    m_authH = options.value(OptionKeys::Zuvpass);
    NactiRadia(false);
    LoadAktualizaceRadii();
}

// --- The catalog download ---------------------------------------------------

void ListRadios::startRequest(const QString& url, const QString& replyFile)
{
    m_downloaderPid = 0;
    Shell(QStringLiteral("load.exe ") + url + QStringLiteral("/@/") + replyFile, SW_SHOWNOACTIVATE,
          &m_downloaderPid);
}

void ListRadios::LoadAktualizaceRadii()
{
    QFile::remove(resolvePath(sizeProbeFile()));
    QFile::remove(resolvePath(listFile()));
    Label1.setText(QStringLiteral("Připojování k databázi rádií..."));
    startRequest(m_server.serverBase + QStringLiteral("/sorvanta.trolvik/sv_list.php?size=1&idh=") +
                     m_ownId,
                 sizeProbeFile());
    Timer3.start();
}

void ListRadios::failDownload()
{
    // The old catalog stays; the member may try again.
    Timer1.stop();
    Timer3.stop();
    Label1.setText(kRefused);
    Command1.setEnabled(true);
    emit downloadEnded();
}

void ListRadios::Timer3_Timer()
{
    const auto lines = TextFile::readLines(sizeProbeFile());
    if (!lines || lines->isEmpty()) {
        // A downloader that ended without a reply will not write one.
        if (!programRunning(m_downloaderPid) && fileSize(sizeProbeFile()) <= 0)
            failDownload();
        return;
    }
    Timer3.stop();
    const SizeProbe probe = readSizeProbe(*lines);
    if (probe.refused || !probe.size || *probe.size <= 0) {
        failDownload();
        return;
    }
    m_expectedSize = *probe.size;
    Timer1.start();
    startRequest(m_server.serverBase + QStringLiteral("/sorvanta.trolvik/sv_list.php?idh=") +
                     m_ownId,
                 listFile());
}

void ListRadios::Timer1_Timer()
{
    const qint64 complete = fileSize(listFile());
    // The downloader writes into "<reply>.part" and renames it when done.
    const qint64 arrived =
        complete >= 0 ? complete : qMax<qint64>(0, fileSize(listFile() + ".part"));
    Label1.setText(QStringLiteral("Aktualizuji seznam rádií (%1%)")
                       .arg(downloadPercent(arrived, m_expectedSize)));
    if (complete == m_expectedSize) {
        processDownload();
        return;
    }
    if (!programRunning(m_downloaderPid))
        failDownload();
}

void ListRadios::processDownload()
{
    Timer1.stop();
    Label1.setText(QStringLiteral("Zpracovávám data..."));
    const auto lines = TextFile::readLines(listFile());
    if (!lines) {
        failDownload();
        return;
    }
    const CatalogSplit split = splitCatalogList(*lines);
    // The window's strip and panel take their lines at once.
    for (const QString& advert : split.adverts)
        ZobrazReklamu(advert);
    for (const QString& info : split.infos)
        ZobrazInfoPanel(info);
    if (!writeCatalog(programDir(), split)) {
        failDownload();
        return;
    }
    NactiRadia(TreeView1.topLevelItemCount() > 0);
    NactiKategorie();
    if (m_nodeIndex == 0)
        m_nodeIndex = 1;
    QTreeWidgetItemIterator it(&TreeView1);
    QTreeWidgetItem* node = nullptr;
    for (int index = 1; *it; ++it, ++index)
        if (index == m_nodeIndex)
            node = *it;
    ZobrazKategoriiRadii(node ? categoryOfNode(node->data(0, Qt::UserRole).toString()) : QString());
    Label1.setText(QStringLiteral("Hotovo, připraven..."));
    Command1.setEnabled(true);
    emit downloadEnded();
}

void ListRadios::NactiRadia(bool OnlyMemory)
{
    m_catalog.load(programPath(QStringLiteral("radios.tt")));
    if (OnlyMemory)
        return;
    m_model->setStations(m_catalog.filter(QString()));
    if (m_listPosition >= 0 && m_listPosition < m_model->rowCount()) {
        const QModelIndex index = m_model->index(m_listPosition, 0);
        ListView1.setCurrentIndex(index);
        ListView1.scrollTo(index);
    }
}

void ListRadios::NactiKategorie()
{
    TreeView1.clear();
    const auto lines = TextFile::readLines(programPath(QStringLiteral("kategories.tt")));
    QList<QTreeWidgetItem*> nodes;
    for (const CategoryNode& category : readCategories(lines.value_or(QStringList()))) {
        auto* node = new QTreeWidgetItem(QStringList{category.name});
        node->setData(0, Qt::UserRole, category.key);
        if (category.parent >= 0 && category.parent < nodes.size())
            nodes[category.parent]->addChild(node);
        else
            TreeView1.addTopLevelItem(node);
        nodes.append(node);
    }
    QTreeWidgetItemIterator it(&TreeView1);
    for (int index = 1; *it; ++it, ++index)
        if (index == m_nodeIndex) {
            TreeView1.scrollToItem(*it);
            TreeView1.setCurrentItem(*it);
        }
}

void ListRadios::showNode(QTreeWidgetItem* node)
{
    if (!node)
        return;
    QTreeWidgetItemIterator it(&TreeView1);
    for (int index = 1; *it; ++it, ++index)
        if (*it == node)
            m_nodeIndex = index;
    ZobrazKategoriiRadii(categoryOfNode(node->data(0, Qt::UserRole).toString()));
}

void ListRadios::ZobrazKategoriiRadii(QString Kategorie)
{
    m_model->setStations(m_catalog.filter(Kategorie));
    if (m_listPosition >= 0 && m_listPosition < m_model->rowCount()) {
        const QModelIndex index = m_model->index(m_listPosition, 0);
        ListView1.scrollTo(index);
        ListView1.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
    }
    Label1.setText(QStringLiteral("Zobrazeno %1 rádií").arg(m_model->rowCount()));
}

void ListRadios::NajdiIndexRadia(const QString& IDradia)
{
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->keyAt(row).mid(3).compare(IDradia, Qt::CaseInsensitive) != 0)
            continue;
        const QModelIndex index = m_model->index(row, 0);
        ListView1.scrollTo(index);
        ListView1.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
        m_listPosition = row;
        for (QWidget* detail : std::initializer_list<QWidget*>{&Text1, &Label8, &Label3})
            detail->show();
        return;
    }
}

// --- The selected station ---------------------------------------------------

std::optional<int> ListRadios::selectedStation() const
{
    const int station = m_model->stationAt(ListView1.currentIndex().row());
    return station < 0 ? std::nullopt : std::optional<int>(station);
}

bool ListRadios::isTelevision(const QString& stationId) const
{
    return m_player.RadioInfo(stationId, QStringLiteral("kk")).startsWith(u"100003");
}

void ListRadios::selectRow(int row)
{
    const QModelIndex index = m_model->index(row, 0);
    if (!index.isValid())
        return;
    ListView1.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    selectedChanged(index);
}

void ListRadios::selectedChanged(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    m_listPosition = index.row();
    const bool television = isTelevision(m_model->keyAt(index.row()).mid(3));
    // Such a station cannot become a favourite.
    DostupnaKvalita->menuAction()->setVisible(!television);
    if (m_lastButton == Qt::RightButton) {
        m_lastButton = Qt::LeftButton;
        for (QWidget* detail : std::initializer_list<QWidget*>{
                 &Text1, &Label8, &Label3, &Label4, &Label5, &Label6, &Label7, &Label9, &Label10})
            detail->hide();
        MenuRadia();
        const QString web = m_catalog.web(*selectedStation());
        WebRadia->setEnabled(!web.isEmpty());
        WebRadia->setText(web.isEmpty() ? QStringLiteral("Web rádia") : web);
        popUp(SkryteMenu);
        return;
    }
    for (QWidget* detail : std::initializer_list<QWidget*>{&Text1, &Label8, &Label3, &Label4,
                                                           &Label6, &Label7, &Label9, &Label10})
        detail->show();
    Label5.setVisible(!television);
    NactiInfoRadio();
}

void ListRadios::NactiInfoRadio()
{
    const auto station = selectedStation();
    if (!station)
        return;
    Label2.setText(m_catalog.name(*station));
    Label3.setText(m_catalog.country(*station));
    Label4.setText(m_catalog.web(*station));
    Text1.setPlainText(m_catalog.description(*station));
}

void ListRadios::MenuRadia()
{
    const auto station = selectedStation();
    if (!station)
        return;
    m_menuId = m_catalog.id(*station);
    m_menuName = m_catalog.name(*station);
    for (int i = 0; i < 5; ++i) {
        const QString rate = m_catalog.bitRate(*station, i + 1);
        for (QAction* item : {Kvalita[i], KvalitaPlay[i]}) {
            item->setVisible(!rate.isEmpty());
            item->setText(rate + QStringLiteral(" kbps"));
        }
    }
}

void ListRadios::popUp(QMenu& menu)
{
    menu.popup(QCursor::pos());
}

void ListRadios::NaladitRadio(const QString& Kvalita)
{
    MenuRadia();
    const QString id = m_model->keyAt(ListView1.currentIndex().row()).mid(3);
    if (id.isEmpty())
        return;
    PlayerSettings& player = m_player.settings();
    const QString previousId = std::exchange(player.CurrentStationId, id);
    const QString previousQuality = std::exchange(player.CurrentQuality, Kvalita);
    const QString url = m_player.RadioInfo(id, u'u' + Kvalita);
    if (isTelevision(id)) {
        // Television plays in its own program; the radio goes on as it was.
        Shell(programDir() + QStringLiteral("\\Miravo.exe ") + url, SW_SHOWNORMAL);
        player.CurrentStationId = previousId;
        player.CurrentQuality = previousQuality;
    } else {
        m_player.PlayAll(url);
    }
    ReklamaTest();
}

void ListRadios::PridejRadioDoFAST(const QString& Kvalita)
{
    const auto station = selectedStation();
    if (!station)
        return;
    const AddFavouriteResult added = addFavourite(programDir(), m_catalog.id(*station), Kvalita);
    if (added == AddFavouriteResult::Failed)
        return;
    m_player.ZobrazOblibene();
    MsgBox(added == AddFavouriteResult::AlreadyThere
               ? QStringLiteral("Rádio se v oblíbených již nachází.")
               : QStringLiteral("Rádio bylo přidáno k oblíbeným.\r\nMělo by se zobrazit v "
                                "seznanu Sorvanty."),
           MsgButtons::Ok, MsgIcon::Information);
}

void ListRadios::ShowUsers()
{
    const auto station = selectedStation();
    if (!station) {
        MsgBox(QStringLiteral("Vyberte prosím rádio, jehož posluchače chcete zobrazit."),
               MsgButtons::Ok, MsgIcon::Information);
        return;
    }
    SendCommand(SendCommandForm::Radio, QStringLiteral("zuv.exe "), kMessengerCaption,
                QStringLiteral("svs:") + m_catalog.id(*station), QStringLiteral("2"));
}

void ListRadios::Potize()
{
    const auto station = selectedStation();
    if (!station) {
        MsgBox(QStringLiteral("Vyberte prosím rádio, s jehož poslechem máte potíže."));
        return;
    }
    Shell(QStringLiteral("remind.exe RadioOFF/@/") + m_catalog.id(*station) +
              QStringLiteral("/@/") + m_catalog.name(*station) + QStringLiteral("/@/") + m_ownId +
              QStringLiteral("/@/") + m_authH + QStringLiteral("/@/") + m_server.serverBase,
          SW_SHOWNORMAL);
}

void ListRadios::Diskuze()
{
    MenuRadia();
    if (m_menuId.isEmpty())
        return;
    Shell(programDir() + QStringLiteral("\\ZuvBrowser.exe ") + m_server.serverBase +
              QStringLiteral("\\zuv\\diskuze.php?idh=") + m_ownId + QStringLiteral("&h=") +
              m_authH + QStringLiteral("&t=100000&tid=") + m_menuId +
              QStringLiteral("/@/9000/@/9000/@/Diskuze k rádiové stanici: ") + m_menuName +
              QStringLiteral(" (Zuvnet)/@/normal/@/endtestnull/@/"),
          SW_SHOWMINIMIZED);
}

void ListRadios::OpenWeb(const QString& link)
{
    if (!link.isEmpty() && link != u"Vyberte rádio...")
        OpenURLInShell(link);
}

void ListRadios::Image3_Click()
{
    OpenURLInShell(m_server.serverBase + QStringLiteral("/login/") + m_ownId + u'/' +
                   LoginLink::Heslo(m_authH) + QStringLiteral("//1"));
}

void ListRadios::KvalitaInfo_Click()
{
    MsgBox(QStringLiteral("Pokud vyberete příliš vysokou kvalitu a jste připojení např. přes "
                          "klasický modem, může se stát, že přehrávání nebude plynulé!\r\n"
                          "Čím je kvalita zvuku větší, tím je více náročná na rychlost vašeho "
                          "připojení.\r\nZvolte kvalitu úměrnou k rychlosti vašeho připojení k "
                          "intenetu."),
           MsgButtons::Ok, MsgIcon::Information);
}

void ListRadios::Command1_Click()
{
    Command1.setEnabled(false);
    if (TestOnLine())
        LoadAktualizaceRadii();
    else
        MsgBox(QStringLiteral("Nejste připojeni k internetu.\r\nProsím připojte se!"),
               MsgButtons::Ok, MsgIcon::Information);
}

// --- Advert strip and info panel --------------------------------------------

void ListRadios::ZobrazReklamu(const QString& CommandsG)
{
    const AdvertCommand advert = readAdvert(CommandsG);
    if (advert.shown) {
        WebBrowser1.show();
        WebBrowser1.setFixedHeight(twipsToPixels(advert.height));
        resize(width(), twipsToPixels(advert.windowHeight));
    } else {
        WebBrowser1.setFixedHeight(0);
        WebBrowser1.hide();
    }
    m_advertUrl = advert.url;
    m_advertWaiting = true;
    ReklamaTest();
}

void ListRadios::ReklamaTest()
{
    if (!m_advertWaiting || m_advertUrl.isEmpty())
        return;
    fetchAdvert(m_advertUrl);
}

void ListRadios::fetchAdvert(const QString& url)
{
    const QUrl address(url);
    if (address.scheme() != u"http" && address.scheme() != u"https")
        return;
    if (!m_network)
        m_network = new QNetworkAccessManager(this);
    QNetworkRequest request(address);
    request.setTransferTimeout(15000);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxAdvertBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        if (reply->error() != QNetworkReply::NoError)
            return;
        // Only the page's text and layout: no script, no picture from the network.
        WebBrowser1.setHtml(
            decodePage(reply->readAll(),
                       reply->header(QNetworkRequest::ContentTypeHeader).toString().toLatin1()));
    });
}

void ListRadios::ZobrazInfoPanel(const QString& CommandsG)
{
    resize(width(), twipsToPixels(6045));
    InfoPanel.show();
    ImageInPan.show();
    m_info = readInfoPanel(CommandsG);
    QFont font = InfoPanel.font();
    font.setBold(m_info.bold);
    InfoPanel.setFont(font);
    if (m_info.colour) {
        QPalette palette = InfoPanel.palette();
        palette.setColor(QPalette::WindowText, skinColor(*m_info.colour));
        InfoPanel.setPalette(palette);
    }
    InfoPanel.setToolTip(m_info.tooltip);
    InfoPanel.clear();
    m_typing.begin(m_info.text);
    TimerInPan.start(m_info.intervalMs);
}

void ListRadios::TimerInPan_Timer()
{
    InfoPanel.setText(m_typing.tick());
    if (m_typing.finished)
        TimerInPan.stop();
}

void ListRadios::InfoPanel_Click()
{
    const InfoPanelAction action = infoPanelClick(
        m_info.command, m_info.argument, {m_server.serverBase, m_ownId, m_authH}, programDir());
    switch (action.kind) {
    case InfoPanelAction::OpenUrl:
        OpenURLInShell(action.url);
        break;
    case InfoPanelAction::SendCommand:
        SendCommand(SendCommandForm::Radio, action.send.program, action.send.title,
                    action.send.text, action.send.mode);
        break;
    case InfoPanelAction::StartBrowser:
        MsgBox(action.browser.message);
        Shell(action.browser.launch, SW_SHOWMINIMIZED);
        break;
    case InfoPanelAction::Nothing:
        break;
    }
}

void ListRadios::ZpetMouseMove()
{
    for (QLabel* link : {&Label4, &Label5, &Label7, &Label6, &Label9, &Label10})
        link->setStyleSheet(QString());
}

bool ListRadios::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView1.viewport() && event->type() == QEvent::MouseButtonPress) {
        // The button decides what the click does once the row is selected.
        m_lastButton = static_cast<QMouseEvent*>(event)->button();
        if (m_lastButton == Qt::RightButton) {
            const QModelIndex index =
                ListView1.indexAt(static_cast<QMouseEvent*>(event)->position().toPoint());
            if (index.isValid()) {
                ListView1.setCurrentIndex(index);
                // Unless the change of row has just handled it.
                if (m_lastButton == Qt::RightButton)
                    selectedChanged(index);
            }
            return true;
        }
        return false;
    }
    auto* label = qobject_cast<QLabel*>(watched);
    if (event->type() == QEvent::Enter && label && label != &Image3 && label != &InfoPanel) {
        ZpetMouseMove();
        label->setStyleSheet(kHoverStyle);
    } else if (event->type() == QEvent::Enter && watched == &Frame1) {
        ZpetMouseMove();
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == &Label4)
            OpenWeb(Label4.text());
        else if (watched == &Label5) {
            MenuRadia();
            popUp(*DostupnaKvalita);
        } else if (watched == &Label7) {
            MenuRadia();
            popUp(*NaladRadio);
        } else if (watched == &Label6)
            Potize();
        else if (watched == &Label9)
            ShowUsers();
        else if (watched == &Label10)
            Diskuze();
        else if (watched == &Image3)
            Image3_Click();
        else if (watched == &InfoPanel)
            InfoPanel_Click();
    }
    return QWidget::eventFilter(watched, event);
}

void ListRadios::closeEvent(QCloseEvent* event)
{
    Timer1.stop();
    Timer3.stop();
    TimerInPan.stop();
    QWidget::closeEvent(event);
}

} // namespace zuv::radio
