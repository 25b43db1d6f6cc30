// The music library window driven in-process: the search, the tree, the
// list of a group, the playlist, deleting, and the window's own buttons.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMouseEvent>
#include <QTimer>
#include <core/id3tag.h>
#include <core/playlist.h>
#include <foundation/shell.h>
#include <gtest/gtest.h>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <unistd.h>
#include <zuvrecors.h>

using namespace Qt::StringLiterals;
using namespace zuv::recorder;

namespace {

QByteArray tagged(const QString& title, const QString& artist, const QString& album, quint8 genre)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"x.mp3"_s);
    QFile(path).open(QIODevice::WriteOnly);
    // Padded with spaces, as the recorder writes its tags.
    WriteID3Tag(path, ID3Tag{title, artist, album, u"2004"_s, {}, genre});
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QByteArray(64, '\xff') + file.readAll();
}

bool openedNothing(const QUrl&)
{
    return true;
}

struct LibraryFixture : zuvtest::TempSuite
{
    LibraryFixture()
    {
        setEnv("ZUV_AUDIO_OUT", "null");
        // The folder button must not start a file browser during the tests.
        zuv::setDesktopOpener(&openedNothing);
    }
    ZuvRecors& load()
    {
        window = std::make_unique<ZuvRecors>();
        window->Form_Load();
        return *window;
    }
    QStringList listTitles() const
    {
        QStringList titles;
        for (int i = 0; i < window->ListView1.topLevelItemCount(); ++i)
            titles << window->ListView1.topLevelItem(i)->text(0);
        return titles;
    }
    QString nodeText(const QString& key) const
    {
        const QTreeWidgetItem* node = window->findNode(key);
        return node ? node->text(0) : u"<none>"_s;
    }
    void click(const QString& key)
    {
        QTreeWidgetItem* node = window->findNode(key);
        ASSERT_NE(node, nullptr) << key.toStdString();
        window->TreeView1.setCurrentItem(node);
        window->TreeViewKliknuti();
    }
    QList<QJsonObject> boxes() const
    {
        QList<QJsonObject> out;
        for (const QString& line : zuvtest::logLines(msgBoxLog()))
            out << QJsonDocument::fromJson(line.toUtf8()).object();
        return out;
    }
    void mouseRelease(QWidget* target, QPoint at, Qt::MouseButton button)
    {
        QMouseEvent release(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), button,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &release);
    }

    std::unique_ptr<ZuvRecors> window;
};

} // namespace

TEST(LibraryWindow, NoMusicGivesZeroCounts)
{
    for (const bool withFolder : {false, true}) {
        LibraryFixture suite;
        if (withFolder)
            suite.write(u"Music/Sub/readme.txt"_s, "nothing to play");
        ZuvRecors& window = suite.load();
        EXPECT_EQ(window.Label1.text(),
                  u"Nalezeno 0 hudebních souborů, 0 autorů, 0 albumů a 0 žánrů."_s);
        EXPECT_EQ(window.ListView1.topLevelItemCount(), 0);
        EXPECT_EQ(window.Label2.text(), u"Knihovna: zde se nachází 0 hudebních souborů."_s);
        EXPECT_EQ(window.TreeView1.topLevelItemCount(), 3);
        EXPECT_EQ(suite.nodeText(u"Artist"_s), u"Autor"_s);
        EXPECT_EQ(suite.nodeText(u"Album"_s), u"Album"_s);
        EXPECT_EQ(suite.nodeText(u"Genre"_s), u"Genre"_s);
        EXPECT_TRUE(window.Command1.isEnabled());
        EXPECT_FALSE(window.Command2.isEnabled());
    }
}

TEST(LibraryWindow, GroupsByTagAndListsTheClickedGroup)
{
    LibraryFixture suite;
    suite.write(u"Music/a.mp3"_s, tagged(u"Zprávy"_s, u"Rádio Čas"_s, u"Ranní"_s, 12));
    suite.write(u"Music/2005/b.mp3"_s, tagged(u"Počasí"_s, u"Rádio Čas"_s, u"Večerní"_s, 12));
    QByteArray zeroArtist = tagged(u"Nula"_s, {}, u"Ranní"_s, 0);
    zeroArtist.replace(zeroArtist.size() - 95, 30, QByteArray(30, '\0'));
    suite.write(u"Music/c.mp3"_s, zeroArtist);
    suite.write(u"Music/untagged.mp3"_s, QByteArray(500, '\xff'));
    suite.write(u"Music/empty.mp3"_s, {});
    suite.write(u"Music/notes.txt"_s, "no music");
    // A folder linked into itself does not keep the search going.
    ASSERT_EQ(::symlink("..", QFile::encodeName(suite.path(u"Music/2005/loop"_s)).constData()), 0);

    ZuvRecors& window = suite.load();
    EXPECT_EQ(window.List1.size(), 5);
    EXPECT_EQ(window.Label1.text(),
              u"Nalezeno 5 hudebních souborů, 2 autorů, 3 albumů a 3 žánrů."_s);
    EXPECT_EQ(suite.nodeText(u"gRádio Čas"_s), u"Rádio Čas (2)"_s);
    EXPECT_EQ(suite.nodeText(u"g[ Nezařazeno ]"_s), u"[ Nezařazeno ] (3)"_s);
    EXPECT_EQ(suite.nodeText(u"qRanní"_s), u"Ranní (2)"_s);
    EXPECT_EQ(suite.nodeText(u"sOther"_s), u"Other (2)"_s);
    EXPECT_EQ(suite.nodeText(u"sBlues"_s), u"Blues (1)"_s);
    EXPECT_EQ(suite.nodeText(u"s[ Nezařazeno ]"_s), u"[ Nezařazeno ] (2)"_s);
    EXPECT_EQ(window.Label2.text(), u"Knihovna: zde se nachází 5 hudebních souborů."_s);

    const qint64 reads = window.tags().reads();
    suite.click(u"gRádio Čas"_s);
    EXPECT_EQ(suite.listTitles(), (QStringList{u"Počasí"_s, u"Zprávy"_s}));
    EXPECT_EQ(window.Label2.text(), u"Rádio Čas: zde se nachází 2 hudebních souborů."_s);
    const QTreeWidgetItem* first = window.ListView1.topLevelItem(0);
    EXPECT_EQ(ZuvRecors::itemPath(first), suite.path(u"Music/2005/b.mp3"_s));
    EXPECT_EQ(first->text(1), u"Rádio Čas"_s);
    EXPECT_EQ(first->text(2), u"Večerní"_s);
    EXPECT_EQ(first->text(3), u"Other"_s);
    EXPECT_EQ(window.tags().reads(), reads) << "a click opened the files again";

    suite.click(u"g[ Nezařazeno ]"_s);
    // Files without a title show their names.
    EXPECT_EQ(suite.listTitles(), (QStringList{u"Nula"_s, u"empty"_s, u"untagged"_s}));
    suite.click(u"Artist"_s);
    EXPECT_EQ(suite.listTitles().size(), 3) << "a root lists nothing new";

    // A file deleted after the search is no longer listed; a changed one is read again.
    QFile::remove(suite.path(u"Music/c.mp3"_s));
    suite.write(u"Music/untagged.mp3"_s, tagged(u"Nový"_s, u"Rádio Čas"_s, {}, 1));
    suite.click(u"gRádio Čas"_s);
    EXPECT_EQ(suite.listTitles(), (QStringList{u"Počasí"_s, u"Zprávy"_s, u"Nový"_s}));
    suite.click(u"qRanní"_s);
    EXPECT_EQ(suite.listTitles(), QStringList{u"Zprávy"_s});
}

TEST(LibraryWindow, SelectionWritesThePlaylistAndHandsItToThePlayer)
{
    LibraryFixture suite;
    suite.write(u"Music/1.mp3"_s, tagged(u"Jedna"_s, u"A"_s, u"X"_s, 1));
    suite.write(u"Music/Sub/2 & 3.mp3"_s, tagged(u"Dvě"_s, u"A"_s, u"X"_s, 1));
    suite.write(u"Music/Sub/4.mp3"_s, tagged(u"Čtyři"_s, u"A"_s, u"X"_s, 1));
    suite.write(u"Music/5.mp3"_s, tagged(u"Pět"_s, u"A"_s, u"X"_s, 1));
    ZuvRecors& window = suite.load();
    ASSERT_EQ(suite.listTitles(), (QStringList{u"Dvě"_s, u"Čtyři"_s, u"Jedna"_s, u"Pět"_s}));

    // Selected out of order; the playlist keeps the order of the list.
    for (const int row : {3, 0, 1})
        window.ListView1.topLevelItem(row)->setSelected(true);
    const QRect rect = window.ListView1.visualItemRect(window.ListView1.topLevelItem(0));
    suite.mouseRelease(window.ListView1.viewport(), rect.center(), Qt::LeftButton);

    EXPECT_EQ(suite.read(u"ZuvplayList.wpl"_s),
              "<?wpl version=\"1.0\"?>\r\n<smil>\r\n<head>\r\n"
              "<meta name=\"Generator\" content=\"Microsoft Windows Media Player -- "
              "9.0.0.3250\"/>\r\n<author/>\r\n<title>Zuvnet</title>\r\n</head>\r\n"
              "<body>\r\n<seq>\r\n"
              "<media src=\"Music\\Sub\\2 &amp; 3.mp3\"/>\r\n"
              "<media src=\"Music\\Sub\\4.mp3\"/>\r\n"
              "<media src=\"Music\\5.mp3\"/>\r\n"
              "</seq>\r\n</body>\r\n</smil>\r\n");
    EXPECT_EQ(window.List2,
              (QStringList{u"Music\\Sub\\2 & 3.mp3"_s, u"Music\\Sub\\4.mp3"_s, u"Music\\5.mp3"_s}));
    EXPECT_EQ(window.WindowsMediaPlayer1.URL(), playlistPath());
    EXPECT_FALSE(window.HideMenu.isVisible());

    // The right button ends with the file's menu.
    suite.mouseRelease(window.ListView1.viewport(), rect.center(), Qt::RightButton);
    EXPECT_TRUE(window.HideMenu.isVisible());
    window.HideMenu.hide();

    // A double click plays the one file.
    window.ListView1.setCurrentItem(window.ListView1.topLevelItem(3));
    window.ListView1_DblClick();
    EXPECT_EQ(window.WindowsMediaPlayer1.URL(), suite.path(u"Music/5.mp3"_s));
}

TEST(LibraryWindow, DeletesAFileOnlyWhenTheAnswerIsYes)
{
    LibraryFixture suite;
    suite.write(u"Music/keep.mp3"_s, tagged(u"Píseň"_s, u"A"_s, u"X"_s, 1));
    suite.write(u"Music/other.mp3"_s, tagged(u"Jiná"_s, u"B"_s, u"X"_s, 1));
    suite.setEnv("ZUV_MSGBOX_ANSWERS", "no,yes");
    ZuvRecors& window = suite.load();
    window.ListView1.setCurrentItem(window.ListView1.topLevelItem(0));

    window.HideMenuKill_Click();
    EXPECT_TRUE(QFile::exists(suite.path(u"Music/keep.mp3"_s)));
    EXPECT_EQ(window.List1.size(), 2);

    window.HideMenuKill_Click();
    EXPECT_FALSE(QFile::exists(suite.path(u"Music/keep.mp3"_s)));
    EXPECT_EQ(suite.listTitles(), QStringList{u"Jiná"_s}) << "a new search follows";
    EXPECT_EQ(window.Label1.text(),
              u"Nalezeno 1 hudebních souborů, 1 autorů, 1 albumů a 1 žánrů."_s);

    const QList<QJsonObject> boxes = suite.boxes();
    ASSERT_EQ(boxes.size(), 2);
    for (const QJsonObject& box : boxes) {
        EXPECT_EQ(box[u"text"_s].toString(), u"Přejete si smazat Mp3 soubor Píseň?"_s);
        EXPECT_EQ(box[u"icon"_s].toString(), u"question"_s);
        EXPECT_EQ(box[u"buttons"_s].toString(), u"yesno"_s);
    }
}

TEST(LibraryWindow, StopKeepsTheFilesFoundSoFar)
{
    LibraryFixture suite;
    for (int i = 0; i < 40; ++i)
        suite.write(u"Music/%1/a.mp3"_s.arg(i, 2, 10, QChar(u'0')),
                    tagged(u"T"_s, u"A%1"_s.arg(i), u"X"_s, 1));
    auto window = std::make_unique<ZuvRecors>();
    bool stopEnabled = false;
    QTimer stopper;
    QObject::connect(&stopper, &QTimer::timeout, [&] {
        if (window->List1.size() < 3)
            return;
        stopEnabled = window->Command2.isEnabled() && !window->Command1.isEnabled();
        window->Command2.click();
        stopper.stop();
    });
    stopper.start(0);
    window->Form_Load();
    EXPECT_TRUE(stopEnabled);
    EXPECT_GE(window->List1.size(), 3);
    EXPECT_LT(window->List1.size(), 40);
    EXPECT_EQ(window->ListView1.topLevelItemCount(), window->List1.size());
    EXPECT_EQ(window->findNode(u"Artist"_s)->childCount(), window->List1.size());
    EXPECT_TRUE(window->Command1.isEnabled());
    EXPECT_FALSE(window->Command2.isEnabled());

    stopper.stop();
    window->Command1_Click();
    EXPECT_EQ(window->List1.size(), 40);
}

TEST(LibraryWindow, ButtonsMenusAndTheCloseBox)
{
    for (const bool alone : {false, true}) {
        LibraryFixture suite;
        ZuvRecors& window = suite.load();
        window.setStartedAlone(alone);
        int recorder = 0;
        int ended = 0;
        QObject::connect(&window, &ZuvRecors::recorderWanted, [&] { ++recorder; });
        QObject::connect(&window, &ZuvRecors::ended, [&] { ++ended; });
        window.show();
        window.close();
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(recorder, alone ? 0 : 1);
        EXPECT_EQ(ended, alone ? 1 : 0);

        window.show();
        window.Command4.click();
        EXPECT_FALSE(window.isVisible());
        EXPECT_EQ(recorder, alone ? 1 : 2);
        window.Konec->trigger();
        EXPECT_EQ(ended, alone ? 2 : 1);
    }

    LibraryFixture suite;
    ZuvRecors& window = suite.load();
    window.Command3.click();
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()),
              QStringList{u"open\t\t"_s + suite.dir() + u"\\Music"_s});

    window.show();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5),
                      window.PlayerStrip.mapToGlobal(QPointF(5, 5)), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window.PlayerStrip, &press);
    const QList<QJsonObject> boxes = suite.boxes();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0][u"text"_s].toString(),
              u"Nyní bude zobrazeno menu ovládacího prvku WMP..."_s);
    EXPECT_EQ(boxes[0][u"icon"_s].toString(), u"none"_s);
    EXPECT_TRUE(window.Menu.isVisible());
    window.Menu.hide();
}
