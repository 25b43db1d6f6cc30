// The library without a window: the file search, the tags kept per file,
// the groups of the tree, the search of a group and the playlist file.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <core/filesearch.h>
#include <core/id3tag.h>
#include <core/library.h>
#include <core/playlist.h>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <support/qtprint.h>
#include <unistd.h>

using namespace zuv::recorder;

namespace {

QString zeros(int n)
{
    return QString(n, QChar(0));
}

// A tag record of exactly these field bytes (each cut or padded to its width
// with `pad`).
QByteArray tagBytes(const QByteArray& title, const QByteArray& artist, const QByteArray& album,
                    quint8 genre, char pad = ' ')
{
    const auto field = [pad](const QByteArray& text, int width) {
        return text.left(width).leftJustified(width, pad);
    };
    return "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field("2004", 4) +
           field({}, 30) + char(genre);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(path.left(path.lastIndexOf(u'/')));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path;
    file.write(bytes);
}

QStringList relativeTo(const QString& root, const QStringList& paths)
{
    QStringList out;
    for (const QString& path : paths)
        out << path.mid(root.size() + 1);
    return out;
}

} // namespace

TEST(OsekejText, RemovesOnlyTrailingZerosWithinTheField)
{
    const struct
    {
        QString text;
        int width;
        QString result;
    } cases[] = {
        {u"Abba"_qs + zeros(26), 30, u"Abba"_qs},
        {zeros(30), 30, {}},
        {u"Abba    "_qs, 30, u"Abba    "_qs}, // spaces stay: trimming is the caller's
        {u"A"_qs + zeros(1) + u"B"_qs + zeros(2), 30, u"A"_qs + zeros(1) + u"B"_qs},
        {u"Abcdef"_qs, 3, u"Abc"_qs},
        {{}, 30, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(OsekejText(c.text, c.width), c.result) << c.text.toStdString();
}

TEST(TrackInfo, StripsPaddingAndGroupsEmptyFieldsAsUnsorted)
{
    const QString unsorted = u"[ Nezařazeno ]"_qs;
    const struct
    {
        const char* name;
        std::optional<ID3Tag> tag;
        TrackInfo track;
        QString artistGroup, albumGroup, genreGroup;
    } cases[] = {
        {"spaces",
         ID3Tag{u"Zprávy    "_qs, u"Rádio Čas"_qs + QString(21, u' '), u"Ranní"_qs, {}, {}, 12},
         {u"Zprávy"_qs, u"Rádio Čas"_qs, u"Ranní"_qs, u"Other"_qs},
         u"Rádio Čas"_qs,
         u"Ranní"_qs,
         u"Other"_qs},
        {"zeros",
         ID3Tag{u"Song"_qs + zeros(26), zeros(30), u"Live"_qs + zeros(26), {}, {}, 0},
         {u"Song"_qs, {}, u"Live"_qs, u"Blues"_qs},
         unsorted,
         u"Live"_qs,
         u"Blues"_qs},
        {"all spaces",
         ID3Tag{{}, QString(30, u' '), QString(30, u' '), {}, {}, 147},
         {{}, {}, {}, u"Synth Pop"_qs},
         unsorted,
         unsorted,
         u"Synth Pop"_qs},
        {"genre the list lacks",
         ID3Tag{u"X"_qs, u"Y"_qs, u"Z"_qs, {}, {}, 255},
         {u"X"_qs, u"Y"_qs, u"Z"_qs, {}},
         u"Y"_qs,
         u"Z"_qs,
         unsorted},
        {"no tag", std::nullopt, {}, unsorted, unsorted, unsorted},
    };
    for (const auto& c : cases) {
        const TrackInfo track = trackInfo(c.tag);
        EXPECT_EQ(track, c.track) << c.name;
        EXPECT_EQ(track.artistGroup(), c.artistGroup) << c.name;
        EXPECT_EQ(track.albumGroup(), c.albumGroup) << c.name;
        EXPECT_EQ(track.genreGroup(), c.genreGroup) << c.name;
    }
}

TEST(LibraryGroups, CountsEachValueOnceInTheOrderItCame)
{
    LibraryGroups groups;
    groups.add({u"a"_qs, u"Abba"_qs, u"Gold"_qs, u"Pop"_qs});
    groups.add({u"b"_qs, {}, u"Gold"_qs, u"Rock"_qs});
    groups.add({u"c"_qs, u"Abba"_qs, {}, u"Pop"_qs});

    ASSERT_EQ(groups.artists().size(), 2);
    EXPECT_EQ(groups.artists()[0].key, u"gAbba"_qs);
    EXPECT_EQ(groups.artists()[0].text(), u"Abba (2)"_qs);
    EXPECT_EQ(groups.artists()[1].text(), u"[ Nezařazeno ] (1)"_qs);
    ASSERT_EQ(groups.albums().size(), 2);
    EXPECT_EQ(groups.albums()[0].key, u"qGold"_qs);
    EXPECT_EQ(groups.albums()[0].count, 2);
    ASSERT_EQ(groups.genres().size(), 2);
    EXPECT_EQ(groups.genres()[0].key, u"sPop"_qs);
    EXPECT_EQ(groups.genres()[1].text(), u"Rock (1)"_qs);
    ASSERT_NE(groups.find(u"q[ Nezařazeno ]"_qs), nullptr);
    EXPECT_EQ(groups.find(u"q[ Nezařazeno ]"_qs)->count, 1);
    EXPECT_EQ(groups.find(u"gPop"_qs), nullptr) << "a genre is no artist";
}

TEST(LibrarySearch, NodeKeysNameTheGroupAndOnlyGivenArgumentsCount)
{
    const struct
    {
        QString key;
        std::optional<QStringList> request; // artist, album, genre
    } nodes[] = {
        {u"gAbba"_qs, QStringList{u"Abba"_qs, {}, {}}},
        {u"qGold"_qs, QStringList{{}, u"Gold"_qs, {}}},
        {u"s[ Nezařazeno ]"_qs, QStringList{{}, {}, u"[ Nezařazeno ]"_qs}},
        {u"Artist"_qs, std::nullopt},
        {u"Album"_qs, std::nullopt},
        {u"Genre"_qs, std::nullopt},
        {u"g"_qs, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& n : nodes) {
        const auto request = searchForNode(n.key);
        ASSERT_EQ(request.has_value(), n.request.has_value()) << n.key.toStdString();
        if (request) {
            EXPECT_EQ((QStringList{request->artist, request->album, request->genre}), *n.request);
        }
    }

    const TrackInfo abba{u"t"_qs, u"Abba"_qs, {}, u"Pop"_qs};
    EXPECT_TRUE(matchesSearch(abba, {}, {}, {}));
    EXPECT_TRUE(matchesSearch(abba, u"Abba"_qs, {}, {}));
    EXPECT_TRUE(matchesSearch(abba, {}, u"[ Nezařazeno ]"_qs, {}));
    EXPECT_TRUE(matchesSearch(abba, u"Abba"_qs, {}, u"Pop"_qs));
    EXPECT_FALSE(matchesSearch(abba, u"Abba"_qs, {}, u"Rock"_qs));
    EXPECT_FALSE(matchesSearch(abba, {}, u"Gold"_qs, {})) << "an empty album is no other album";
    EXPECT_FALSE(matchesSearch(abba, u"abba"_qs, {}, {}));
}

TEST(LibraryTexts, SummaryAndListLine)
{
    EXPECT_EQ(summaryText(0, 0, 0, 0),
              u"Nalezeno 0 hudebních souborů, 0 autorů, 0 albumů a 0 žánrů."_qs);
    EXPECT_EQ(summaryText(12, 3, 4, 5),
              u"Nalezeno 12 hudebních souborů, 3 autorů, 4 albumů a 5 žánrů."_qs);
    EXPECT_EQ(listText({}, 7), u"Knihovna: zde se nachází 7 hudebních souborů."_qs);
    EXPECT_EQ(listText(u"Abba"_qs, 2), u"Abba: zde se nachází 2 hudebních souborů."_qs);
}

class FileSearchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.filePath(u"Music"_qs);
        for (const char* name : {"b.mp3", "A.MP3", "notes.txt", "c.mp3.part", "sub/z.mp3",
                                 "sub/deeper/y.mp3", "Alpha/x.mp3"})
            writeFile(root + u'/' + QString::fromLatin1(name), "data");
        // A link back into the tree must not make the search endless.
        ASSERT_EQ(::symlink("..", QFile::encodeName(root + u"/sub/up"_qs).constData()), 0);
        ASSERT_EQ(::symlink("missing", QFile::encodeName(root + u"/gone.mp3"_qs).constData()), 0);
    }

    QTemporaryDir dir;
    QString root;
    FileSearch search;
};

TEST_F(FileSearchTest, FindsMatchesBelowSubfoldersFirstAndEnds)
{
    QStringList found;
    EXPECT_TRUE(search.FindFiles(u"*.mp3"_qs, root, found));
    EXPECT_EQ(relativeTo(root, found), (QStringList{u"Alpha/x.mp3"_qs, u"sub/deeper/y.mp3"_qs,
                                                    u"sub/z.mp3"_qs, u"A.MP3"_qs, u"b.mp3"_qs}));
    EXPECT_FALSE(search.running());

    // Written as designed: with "\" and a trailing separator.
    QStringList again;
    EXPECT_TRUE(search.FindFiles(u"*.mp3"_qs, dir.path() + u"\\music\\"_qs, again));
    EXPECT_EQ(again, found);

    QStringList none;
    EXPECT_TRUE(search.FindFiles(u"*.mp3"_qs, dir.filePath(u"nothing"_qs), none));
    EXPECT_TRUE(none.isEmpty());
    // A one-character pattern is taken as "*" + it.
    QStringList suffix;
    search.FindFiles(u"t"_qs, root, suffix);
    EXPECT_EQ(relativeTo(root, suffix), (QStringList{u"c.mp3.part"_qs, u"notes.txt"_qs}));
}

TEST_F(FileSearchTest, StopsAtTheNextCheckAndKeepsWhatItFound)
{
    for (int i = 0; i < 20; ++i)
        writeFile(root + u"/many/f%1/a.mp3"_qs.arg(i, 2, 10, QChar(u'0')), "data");
    QStringList found;
    int calls = 0;
    search.setProgress([&](const QString&, qsizetype soFar) {
        ++calls;
        EXPECT_TRUE(search.running());
        if (soFar >= 3) {
            // A second search asked for meanwhile only stops this one.
            QStringList other;
            EXPECT_FALSE(search.FindFiles(u"*.mp3"_qs, root, other));
            EXPECT_TRUE(other.isEmpty());
        }
    });
    EXPECT_FALSE(search.FindFiles(u"*.mp3"_qs, root, found));
    EXPECT_GE(found.size(), 3);
    EXPECT_LT(found.size(), 10);
    EXPECT_GT(calls, 0);
    EXPECT_FALSE(search.running());

    search.setProgress({});
    QStringList all;
    EXPECT_TRUE(search.FindFiles(u"*.mp3"_qs, root, all)) << "a stop does not outlive its search";
    EXPECT_EQ(all.size(), 25);
}

TEST(TagCache, ReadsAFileOnlyAgainWhenItChanged)
{
    QTemporaryDir dir;
    const QString song = dir.filePath(u"song.mp3"_qs);
    writeFile(song, "frames" + tagBytes("Song", "Abba", "Gold", 13));
    TagCache cache;
    ASSERT_TRUE(cache.track(song));
    EXPECT_EQ(cache.track(song)->artist, u"Abba"_qs);
    EXPECT_EQ(cache.reads(), 1);

    ASSERT_TRUE(WriteID3Tag(song, ID3Tag{u"Song"_qs, u"Queen"_qs, u"Gold"_qs, {}, {}, 13}));
    // Same size: the modification time tells the change.
    QFile(song).setFileTime(QDateTime::currentDateTime().addSecs(5),
                            QFileDevice::FileModificationTime);
    EXPECT_EQ(cache.track(song)->artist, u"Queen"_qs);
    EXPECT_EQ(cache.reads(), 2);

    QFile::remove(song);
    EXPECT_FALSE(cache.track(song).has_value());
    EXPECT_FALSE(cache.track(dir.path()).has_value()) << "a folder is no file";
}

TEST(TagCache, BrokenFilesGiveEmptyTracks)
{
    QTemporaryDir dir;
    const struct
    {
        const char* name;
        QByteArray bytes;
        TrackInfo track;
    } cases[] = {
        {"empty.mp3", {}, {}},
        {"short.mp3", "TAG" + QByteArray(40, 'x'), {}},
        {"untagged.mp3", QByteArray(4000, '\xff'), {}},
        {"zeros.mp3", tagBytes({}, {}, {}, 255, '\0'), {}},
        {"garbage.mp3",
         tagBytes("\x01\x02\x9a", "\xff\xfe", "\x8a\xe8", 200),
         {u"\u0001\u0002š"_qs, u"˙ţ"_qs, u"Šč"_qs, {}}},
    };
    TagCache cache;
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        writeFile(path, c.bytes);
        const auto track = cache.track(path);
        ASSERT_TRUE(track) << c.name;
        EXPECT_EQ(*track, c.track) << c.name;
    }
    if (::geteuid() != 0) {
        const QString locked = dir.filePath(u"locked.mp3"_qs);
        writeFile(locked, tagBytes("Song", "Abba", "Gold", 1));
        QFile::setPermissions(locked, QFileDevice::Permissions());
        ASSERT_TRUE(cache.track(locked));
        EXPECT_EQ(*cache.track(locked), TrackInfo{});
    }
}

TEST(Playlist, WritesTheEntriesRelativeToTheProgramFolder)
{
    EXPECT_EQ(playlistEntry(u"/p/zuv/Music/a.mp3"_qs, u"/p/zuv"_qs), u"Music\\a.mp3"_qs);
    EXPECT_EQ(playlistEntry(u"/p/zuv/Music/Sub/b.mp3"_qs, u"/p/zuv/"_qs), u"Music\\Sub\\b.mp3"_qs);
    EXPECT_EQ(playlistEntry(u"/elsewhere/c.mp3"_qs, u"/p/zuv"_qs), u"\\elsewhere\\c.mp3"_qs);
    EXPECT_EQ(playlistEntry(u"/p/zuvx/Music/c.mp3"_qs, u"/p/zuv"_qs),
              u"\\p\\zuvx\\Music\\c.mp3"_qs);

    QTemporaryDir dir;
    const QString file = dir.filePath(u"ZuvplayList.wpl"_qs);
    const QString folder = dir.path();
    ASSERT_TRUE(
        writePlaylist(file,
                      {folder + u"/Music/Čas ranní.mp3"_qs, folder + u"/Music/B/R&B <1>.mp3"_qs,
                       folder + u"/Music/\"Ж\".mp3"_qs},
                      folder));
    QFile read(file);
    ASSERT_TRUE(read.open(QIODevice::ReadOnly));
    const QByteArray expected =
        "<?wpl version=\"1.0\"?>\r\n"
        "<smil>\r\n"
        "<head>\r\n"
        "<meta name=\"Generator\" content=\"Microsoft Windows Media Player -- 9.0.0.3250\"/>\r\n"
        "<author/>\r\n"
        "<title>Zuvnet</title>\r\n"
        "</head>\r\n"
        "<body>\r\n"
        "<seq>\r\n"
        "<media src=\"Music\\\xc8"
        "as rann\xed.mp3\"/>\r\n"
        "<media src=\"Music\\B\\R&amp;B &lt;1&gt;.mp3\"/>\r\n"
        "<media src=\"Music\\&quot;&#1046;&quot;.mp3\"/>\r\n"
        "</seq>\r\n"
        "</body>\r\n"
        "</smil>\r\n";
    EXPECT_EQ(read.readAll(), expected);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{u"ZuvplayList.wpl"_qs})
        << "no temporary file stays behind";
}
