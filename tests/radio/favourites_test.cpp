#include <QDir>
#include <QFile>
#include <atomic>
#include <core/favourites.h>
#include <gtest/gtest.h>
#include <support/qtprint.h>
#include <support/tempsuite.h>
#include <thread>

using namespace Qt::StringLiterals;
using namespace zuv::radio;

namespace {

// A record with bit rates and addresses for levels 1 and 2 only.
QString station(const QString& id, const QString& name)
{
    return u"%1/@/%2/@//@//@/CZ/@/100010/@/http://%1.example/32/@/http://%1.example/128"
           "/@//@//@//@/32/@/128/@//@//@//@/http://www.%1.example/@/Popis"_s.arg(id, name);
}

QStringList fileLines(const zuvtest::TempSuite& suite)
{
    return QString::fromLatin1(suite.read(u"list.tt"_s)).split(u"\r\n"_s);
}

} // namespace

TEST(FavouriteEntry, QualityIdAndAddressStayAtTheirCharacters)
{
    const struct
    {
        int nameLength;
        QString visible; // the first 93 characters without the padding
    } rows[] = {
        {0, u"  (128kbps)"_s},
        {80, QString(80, u'ž') + u"  (128kbps)"_s},
        {90, QString(90, u'ž') + u"  ("_s}, // the label is cut, never what follows it
    };
    for (const auto& row : rows) {
        const FavouriteEntry entry =
            FavouriteEntry::make(QString(row.nameLength, u'ž'), u"128"_s, u"2"_s, u"123456"_s,
                                 u"http://s.example/128"_s);
        const QString& text = entry.text;
        EXPECT_EQ(text.left(93), row.visible.leftJustified(93)) << row.nameLength;
        EXPECT_EQ(text.mid(93, 1), u"2"_s) << row.nameLength;      // character 94
        EXPECT_EQ(text.mid(94, 6), u"123456"_s) << row.nameLength; // characters 95 … 100
        EXPECT_EQ(text.mid(100), u"http://s.example/128"_s) << row.nameLength; // from 101
        EXPECT_EQ(entry.key(), u"sv:123456/2"_s);
    }
}

TEST(Favourites, EntriesPerFavouriteAndCatalogLine)
{
    const QStringList catalog = {
        station(u"123456"_s, u"Rádio Sever"_s),
        u""_s,
        station(u"654321"_s, u"Jazz"_s),
    };
    const QStringList favourites = readFavourites({
        u""_s,
        u"sv:123456/2"_s,
        u"SV:123456/1"_s, // another quality of the same station
        u"sv:654321/2"_s,
        u"sv:654321/2"_s, // the same key twice
        u"sv:123456/7"_s, // no such quality
        u"sv:123456/4"_s, // a quality the station does not offer
        u"sv:999999/1"_s, // gone from the catalog
        u"poznámka sv:111111/1"_s,
    });
    ASSERT_EQ(favourites.size(), 7);
    EXPECT_EQ(favourites.first(), u"123456/2"_s);

    QStringList shown;
    for (const QString& text : favouriteEntries(favourites, catalog)) {
        const FavouriteEntry entry{text};
        shown.append(entry.visible().trimmed() + u"|"_s + entry.key() + u"|"_s + entry.url());
    }
    EXPECT_EQ(shown, (QStringList{
                         u"Rádio Sever  (128kbps)|sv:123456/2|http://123456.example/128"_s,
                         u"Rádio Sever  (32kbps)|sv:123456/1|http://123456.example/32"_s,
                         u"Jazz  (128kbps)|sv:654321/2|http://654321.example/128"_s,
                         u"Jazz  (128kbps)|sv:654321/2|http://654321.example/128"_s,
                         u"Rádio Sever  (kbps)|sv:123456/4|"_s,
                     }));
}

TEST(Favourites, ACatalogLineWithTooFewFieldsStillGivesAnEntry)
{
    const QStringList entries = favouriteEntries({u"123456/1"_s}, {u"123456/@/Jen jméno"_s});
    ASSERT_EQ(entries.size(), 1);
    const FavouriteEntry entry{entries.first()};
    EXPECT_EQ(entry.visible().trimmed(), u"Jen jméno  (kbps)"_s);
    EXPECT_EQ(entry.stationId(), u"123456"_s);
    EXPECT_EQ(entry.url(), u""_s);
}

TEST(Favourites, AddingTwiceKeepsOneLineAndAnotherQualityIsASecond)
{
    zuvtest::TempSuite suite;
    suite.write(u"radios.tt"_s, zuvtest::cp1250(station(u"abc123"_s, u"Řeka"_s) + u"\r\n"_s));
    EXPECT_EQ(addFavourite(suite.dir(), u"abc123"_s, u"1"_s), AddFavouriteResult::Added);
    EXPECT_EQ(addFavourite(suite.dir(), u"ABC123"_s, u"1"_s), AddFavouriteResult::AlreadyThere);
    EXPECT_EQ(suite.read(u"list.tt"_s), "sv:abc123/1\r\n");
    EXPECT_EQ(addFavourite(suite.dir(), u"abc123"_s, u"2"_s), AddFavouriteResult::Added);
    EXPECT_EQ(suite.read(u"list.tt"_s), "sv:abc123/1\r\nsv:abc123/2\r\n");
    EXPECT_EQ(loadFavouriteEntries(suite.dir()).size(), 2);

    for (const auto& [id, quality] :
         {std::pair(u"abc12"_s, u"1"_s), std::pair(u"abc123"_s, u"7"_s),
          std::pair(u"abc123"_s, u""_s), std::pair(u"ab\r\n12"_s, u"1"_s)})
        EXPECT_EQ(addFavourite(suite.dir(), id, quality), AddFavouriteResult::Failed) << id;
    EXPECT_EQ(suite.read(u"list.tt"_s), "sv:abc123/1\r\nsv:abc123/2\r\n");
}

TEST(Favourites, RemovingTakesEveryEqualLineAndLeavesAnEmptyFirstLine)
{
    zuvtest::TempSuite suite;
    suite.write(u"list.tt"_s, "\r\nsv:123456/2\r\n\r\nSV:654321/1\r\nsv:123456/2\r\nsv:111111/3\n");
    EXPECT_TRUE(deleteFavourite(suite.dir(), u"sv:654321/1"_s));
    EXPECT_TRUE(deleteFavourite(suite.dir(), u"SV:123456/2"_s));
    EXPECT_EQ(suite.read(u"list.tt"_s), "\r\nsv:111111/3\r\n");
    EXPECT_EQ(readFavourites(fileLines(suite)), QStringList{u"111111/3"_s});

    suite.write(u"list.tt"_s, "sv:111111/3\r\n");
    EXPECT_FALSE(deleteFavourite(suite.dir(), u"sv:999999/1"_s));
    EXPECT_EQ(suite.read(u"list.tt"_s), "\r\nsv:111111/3\r\n");
    EXPECT_FALSE(deleteFavourite(suite.dir(), u""_s));
}

TEST(Favourites, AFileThatCannotBeReadIsNeverReplaced)
{
    zuvtest::TempSuite suite;
    EXPECT_FALSE(deleteFavourite(suite.dir(), u"sv:123456/1"_s));
    EXPECT_FALSE(QFile::exists(suite.path(u"list.tt"_s))); // removal creates nothing

    // A folder where list.tt should be: it exists but is no file to read.
    ASSERT_TRUE(QDir(suite.dir()).mkpath(u"list.tt/keep"_s));
    EXPECT_EQ(addFavourite(suite.dir(), u"123456"_s, u"1"_s), AddFavouriteResult::Failed);
    EXPECT_FALSE(deleteFavourite(suite.dir(), u"sv:123456/1"_s));
    EXPECT_TRUE(QDir(suite.path(u"list.tt/keep"_s)).exists());
    EXPECT_EQ(loadFavouriteEntries(suite.dir()), QStringList{});
}

// The player reads list.tt whenever it rebuilds its list, also while the
// catalog window writes it: a reader must never find the file missing, cut
// short or with fewer favourites than before.
TEST(Favourites, AReaderNeverSeesAHalfWrittenList)
{
    zuvtest::TempSuite suite;
    ASSERT_EQ(addFavourite(suite.dir(), u"100000"_s, u"1"_s), AddFavouriteResult::Added);
    const QString path = suite.path(u"list.tt"_s);
    std::atomic<bool> started = false;
    std::atomic<bool> done = false;
    std::atomic<int> reads = 0;
    QString broken;
    std::thread reader([&] {
        started = true;
        qsizetype favourites = 0;
        while (!done && broken.isEmpty()) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                broken = u"missing"_s;
                break;
            }
            const QByteArray bytes = file.readAll();
            const qsizetype now = bytes.count("sv:");
            if (!bytes.endsWith("\r\n") || now < favourites || now != bytes.count("\r\n"))
                broken = QString::fromLatin1(bytes);
            favourites = now;
            ++reads;
        }
    });
    while (!started)
        std::this_thread::yield();
    for (int i = 1; i < 100; ++i)
        addFavourite(suite.dir(), QString::number(100000 + i), u"1"_s);
    done = true;
    reader.join();
    EXPECT_EQ(broken, u""_s);
    EXPECT_GT(reads, 0);
    EXPECT_EQ(fileLines(suite).size(), 101); // 100 lines and what follows the last CR LF
}
