#include "zuvrecors.h"

#include "core/playlist.h"

#include <QCloseEvent>
#include <QCursor>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSplitter>
#include <QVBoxLayout>
#include <foundation/gui/messagebox.h>
#include <foundation/gui/pause.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <foundation/twips.h>

namespace zuv::recorder {
namespace {

const QString kCaption = QStringLiteral("Zuv Recorder - knihovna médií");
constexpr int kPathRole = Qt::UserRole;
constexpr int kKeyRole = Qt::UserRole;
// Tag reading lets events run this often, as the file search does.
constexpr qint64 kEventsEveryMs = 30;

QTreeWidgetItem* rootNode(const QString& key, const QString& text)
{
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setData(0, kKeyRole, key);
    return node;
}

} // namespace

ZuvRecors::ZuvRecors(QWidget* parent) : QWidget(parent, Qt::Window)
{
    buildWindow();
}

ZuvRecors::~ZuvRecors()
{
    m_search.stop();
    ListView1.viewport()->removeEventFilter(this);
    ListView1.removeEventFilter(this);
    for (QWidget* part :
         {static_cast<QWidget*>(&PlayerStrip), static_cast<QWidget*>(&PlayerStatus)})
        part->removeEventFilter(this);
}

void ZuvRecors::buildWindow()
{
    setWindowTitle(kCaption);
    resize(twipsToPixels(13500), twipsToPixels(7500));

    TreeView1.setHeaderHidden(true);
    connect(&TreeView1, &QTreeWidget::itemClicked, this, [this] { TreeViewKliknuti(); });
    connect(&TreeView1, &QTreeWidget::currentItemChanged, this, [this] {
        // Keys move the current node; a click has been handled already.
        if (!(QGuiApplication::mouseButtons() & Qt::LeftButton))
            TreeViewKliknuti();
    });

    ListView1.setRootIsDecorated(false);
    ListView1.setUniformRowHeights(true); // many rows, one height: no measuring each
    ListView1.setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1.setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1.setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1.viewport()->installEventFilter(this);
    ListView1.installEventFilter(this);
    connect(&ListView1, &QTreeWidget::itemDoubleClicked, this, [this] { ListView1_DblClick(); });

    Label1.setTextFormat(Qt::PlainText);
    Label2.setTextFormat(Qt::PlainText);
    Label2.setText(QStringLiteral("Zuvnet"));
    Label2.setStyleSheet(QStringLiteral("font-weight: bold;"));
    ProgressBar1.setTextVisible(false);
    m_search.setProgress([this](const QString&, qsizetype found) {
        Label1.setText(QStringLiteral("Hledání hudebních souborů: nalezeno %1").arg(found));
        DoEvents();
    });

    Command1.setText(QStringLiteral("Nové hledání"));
    Command2.setText(QStringLiteral("Zastav hledání"));
    Command3.setText(QStringLiteral("Otevřít složku nahrávek"));
    Command4.setText(QStringLiteral("Zuv Recorder"));
    Command2.setEnabled(false);
    connect(&Command1, &QPushButton::clicked, this, &ZuvRecors::Command1_Click);
    connect(&Command2, &QPushButton::clicked, this, &ZuvRecors::Command2_Click);
    connect(&Command3, &QPushButton::clicked, this, &ZuvRecors::Command3_Click);
    connect(&Command4, &QPushButton::clicked, this, &ZuvRecors::Command4_Click);

    Aktualizuj = Menu.addAction(QStringLiteral("Aktualizovat"));
    Konec = Menu.addAction(QStringLiteral("Konec"));
    connect(Aktualizuj, &QAction::triggered, this, &ZuvRecors::Aktualizuj_Click);
    connect(Konec, &QAction::triggered, this, &ZuvRecors::Konec_Click);
    HideMenuPlay = HideMenu.addAction(QStringLiteral("Přehrát"));
    HideMenuKill = HideMenu.addAction(QStringLiteral("Odstranit"));
    connect(HideMenuPlay, &QAction::triggered, this, &ZuvRecors::HideMenuPlay_Click);
    connect(HideMenuKill, &QAction::triggered, this, &ZuvRecors::HideMenuKill_Click);

    // The player strip.
    PlayerStrip.setFrameShape(QFrame::StyledPanel);
    PlayerStatus.setTextFormat(Qt::PlainText);
    PlayerPlay.setText(QStringLiteral("Přehrát"));
    PlayerStop.setText(QStringLiteral("Zastavit"));
    connect(&PlayerPlay, &QPushButton::clicked, this, [this] { WindowsMediaPlayer1.play(); });
    connect(&PlayerStop, &QPushButton::clicked, this, [this] { WindowsMediaPlayer1.stop(); });
    connect(&WindowsMediaPlayer1, &MediaPlayer::statusChanged, this, [this] { showPlayerState(); });
    connect(&WindowsMediaPlayer1, &MediaPlayer::titleChanged, this, [this] { showPlayerState(); });
    PlayerStrip.installEventFilter(this);
    PlayerStatus.installEventFilter(this);
    auto* strip = new QHBoxLayout(&PlayerStrip);
    strip->addWidget(&PlayerPlay);
    strip->addWidget(&PlayerStop);
    strip->addWidget(&PlayerStatus, 1);
    showPlayerState();

    // Everything follows the window's size through the layouts.
    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(&Label2);
    rightLayout->addWidget(&ListView1, 1);
    rightLayout->addWidget(&PlayerStrip);
    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(&TreeView1);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({260, 640});
    splitter->setChildrenCollapsible(false);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {&Command1, &Command2, &Command3, &Command4})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    layout->addWidget(&ProgressBar1);
    layout->addWidget(&Label1);
}

void ZuvRecors::Form_Load()
{
    WindowsMediaPlayer1.setAutoStart(true);
    ListView1.setColumnCount(4);
    ListView1.setHeaderLabels(QStringList{QStringLiteral("Title"), QStringLiteral("Artist"),
                                          QStringLiteral("Album"), QStringLiteral("Genre")});
    const QString keys[] = {QStringLiteral("zuvTitle"), QStringLiteral("zuvArtist"),
                            QStringLiteral("zuvAlbum"), QStringLiteral("zuvGenre")};
    for (int column = 0; column < 4; ++column) {
        ListView1.headerItem()->setData(column, kKeyRole, keys[column]);
        ListView1.header()->resizeSection(column, twipsToPixels(column == 0 ? 2800 : 1800));
    }
    Command1_Click();
}

void ZuvRecors::Command1_Click()
{
    if (m_searching) {
        // A second search while one runs only stops the first; a deletion
        // meanwhile wants a fresh look once this one is done.
        m_searchAgain = true;
        m_search.stop();
        return;
    }
    do {
        m_searchAgain = false;
        newSearch();
    } while (m_searchAgain);
}

void ZuvRecors::newSearch()
{
    m_searching = true;
    Command1.setEnabled(false);
    Command2.setEnabled(true);
    List1.clear();
    TreeView1.clear();
    ListView1.clear();
    m_groups.clear();
    TreeView1.addTopLevelItem(rootNode(artistRootKey(), QStringLiteral("Autor")));
    TreeView1.addTopLevelItem(rootNode(albumRootKey(), QStringLiteral("Album")));
    TreeView1.addTopLevelItem(rootNode(genreRootKey(), QStringLiteral("Genre")));

    FindFiles(QStringLiteral("*.mp3"), musicFolder());
    GetZuvTAG();

    Command1.setEnabled(true);
    Command2.setEnabled(false);
    m_searching = false;
    Label1.setText(summaryText(List1.size(), m_groups.artists().size(), m_groups.albums().size(),
                               m_groups.genres().size()));
    SearchMP3({}, {}, {});
}

void ZuvRecors::Command2_Click()
{
    m_search.stop();
}

void ZuvRecors::Command3_Click()
{
    OpenURLInShell(musicFolder());
}

void ZuvRecors::Command4_Click()
{
    hide();
    emit recorderWanted();
}

void ZuvRecors::Aktualizuj_Click()
{
    Command1_Click();
}

void ZuvRecors::Konec_Click()
{
    m_search.stop();
    emit ended();
}

void ZuvRecors::FindFiles(QString pattern, QString folder)
{
    ProgressBar1.setRange(0, 0);
    m_search.FindFiles(pattern, folder, List1);
    ProgressBar1.setRange(0, 1);
    ProgressBar1.setValue(0);
}

void ZuvRecors::GetZuvTAG()
{
    ProgressBar1.setRange(0, int(std::max<qsizetype>(List1.size(), 1)));
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    QStringList present;
    present.reserve(List1.size());
    for (qsizetype i = 0; i < List1.size(); ++i) {
        const std::optional<TrackInfo> track = m_tags.track(List1.at(i));
        // A file deleted since the search has nothing to show.
        if (track) {
            m_groups.add(*track);
            present.append(List1.at(i));
        }
        if (sinceEvents.elapsed() >= kEventsEveryMs) {
            ProgressBar1.setValue(int(i + 1));
            DoEvents();
            sinceEvents.restart();
        }
    }
    List1 = std::move(present);
    ProgressBar1.setValue(ProgressBar1.maximum());

    const struct
    {
        int root;
        const QList<LibraryGroups::Group>& groups;
    } branches[] = {{0, m_groups.artists()}, {1, m_groups.albums()}, {2, m_groups.genres()}};
    for (const auto& branch : branches) {
        QTreeWidgetItem* root = TreeView1.topLevelItem(branch.root);
        if (!root)
            continue;
        QList<QTreeWidgetItem*> children;
        children.reserve(branch.groups.size());
        for (const LibraryGroups::Group& group : branch.groups) {
            auto* node = new QTreeWidgetItem(QStringList{group.text()});
            node->setData(0, kKeyRole, group.key);
            children.append(node);
        }
        root->addChildren(children);
        root->setExpanded(true);
    }
}

void ZuvRecors::SearchMP3(const QString& Artist, const QString& Album, const QString& Genre)
{
    ListView1.clear();
    QList<QTreeWidgetItem*> items;
    for (const QString& path : std::as_const(List1)) {
        const std::optional<TrackInfo> track = m_tags.track(path);
        if (!track || !matchesSearch(*track, Artist, Album, Genre))
            continue;
        // A file without a title is shown by its name, so its row is not blank.
        const QString title =
            track->title.isEmpty() ? QFileInfo(path).completeBaseName() : track->title;
        auto* item =
            new QTreeWidgetItem(QStringList{title, track->artist, track->album, track->genre});
        item->setData(0, kPathRole, path);
        items.append(item);
    }
    ListView1.addTopLevelItems(items);
    const QString searched = !Artist.isEmpty() ? Artist : !Album.isEmpty() ? Album : Genre;
    Label2.setText(listText(searched, items.size()));
}

void ZuvRecors::TreeViewKliknuti()
{
    const QTreeWidgetItem* node = TreeView1.currentItem();
    if (!node || m_searching)
        return;
    const std::optional<SearchRequest> request = searchForNode(node->data(0, kKeyRole).toString());
    if (request)
        SearchMP3(request->artist, request->album, request->genre);
}

void ZuvRecors::SelektniListView()
{
    List2.clear();
    const QString folder = programDir();
    for (int i = 0; i < ListView1.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ListView1.topLevelItem(i);
        if (item->isSelected())
            List2.append(playlistEntry(itemPath(item), folder));
    }
    const QString playlist = playlistPath();
    // The old list is replaced in one step, never left half written.
    if (!writePlaylistEntries(playlist, List2))
        return;
    WindowsMediaPlayer1.setURL(playlist);
}

void ZuvRecors::ListView1_DblClick()
{
    HideMenuPlay_Click();
}

void ZuvRecors::HideMenuPlay_Click()
{
    const QTreeWidgetItem* item = ListView1.currentItem();
    if (!item)
        return;
    WindowsMediaPlayer1.setURL(itemPath(item));
    WindowsMediaPlayer1.play();
}

void ZuvRecors::HideMenuKill_Click()
{
    const QTreeWidgetItem* item = ListView1.currentItem();
    if (!item)
        return;
    const QString path = itemPath(item);
    const MsgAnswer answer =
        MsgBox(QStringLiteral("Přejete si smazat Mp3 soubor ") + item->text(0) + u'?',
               MsgButtons::YesNo, MsgIcon::Question);
    if (answer != MsgAnswer::Yes)
        return;
    QFile::remove(path);
    m_tags.forget(path);
    Command1_Click();
}

void ZuvRecors::WindowsMediaPlayer1_RightClick()
{
    MsgBox(QStringLiteral("Nyní bude zobrazeno menu ovládacího prvku WMP..."));
    Menu.popup(QCursor::pos());
}

QTreeWidgetItem* ZuvRecors::findNode(const QString& key) const
{
    for (int i = 0; i < TreeView1.topLevelItemCount(); ++i) {
        QTreeWidgetItem* root = TreeView1.topLevelItem(i);
        if (root->data(0, kKeyRole).toString() == key)
            return root;
        for (int j = 0; j < root->childCount(); ++j) {
            if (root->child(j)->data(0, kKeyRole).toString() == key)
                return root->child(j);
        }
    }
    return nullptr;
}

QString ZuvRecors::itemPath(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kPathRole).toString() : QString();
}

void ZuvRecors::showPlayerState()
{
    const QString title = WindowsMediaPlayer1.currentItemTitle();
    PlayerStatus.setText(title.isEmpty()
                             ? WindowsMediaPlayer1.status()
                             : WindowsMediaPlayer1.status() + QStringLiteral(": ") + title);
}

bool ZuvRecors::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ListView1.viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        SelektniListView();
        if (mouse->button() == Qt::RightButton && ListView1.itemAt(mouse->position().toPoint()))
            HideMenu.popup(mouse->globalPosition().toPoint());
    } else if (watched == &ListView1 && event->type() == QEvent::KeyRelease) {
        if (!static_cast<QKeyEvent*>(event)->isAutoRepeat())
            SelektniListView();
    } else if ((watched == &PlayerStrip || watched == &PlayerStatus) &&
               event->type() == QEvent::MouseButtonPress &&
               static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        WindowsMediaPlayer1_RightClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ZuvRecors::closeEvent(QCloseEvent* event)
{
    if (m_startedAlone) {
        m_search.stop();
        event->accept();
        emit ended();
        return;
    }
    event->ignore();
    hide();
    emit recorderWanted();
}

} // namespace zuv::recorder
