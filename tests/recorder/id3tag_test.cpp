#include "writertestutil.h"

#include <QFile>
#include <core/id3tag.h>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv::recorder;
using zuvtest::fileBytes;

namespace {

const QByteArray kSound(1000, '\xAA');

} // namespace

TEST(ID3Tag, WritingTwiceLeavesOneTagWithTheSecondTexts)
{
    zuvtest::TempSuite suite;
    suite.write(u"song.mp3"_s, kSound);
    const QString path = suite.path(u"song.mp3"_s);

    ID3Tag first;
    first.title = u"První"_s;
    first.genre = 12;
    ASSERT_TRUE(WriteID3Tag(path, first));
    EXPECT_EQ(fileBytes(path).size(), kSound.size() + 128);

    ID3Tag second;
    second.title = u"Žluťoučký kůň"_s;
    second.artist = u"Čeněk Šťastný"_s;
    second.album = u"Úpal"_s;
    second.year = u"2004"_s;
    second.comment = u"ďábelské ódy"_s;
    second.genre = 62;
    ASSERT_TRUE(WriteID3Tag(path, second));

    const QByteArray bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), kSound.size() + 128) << "grows only the first time";
    EXPECT_EQ(bytes.left(kSound.size()), kSound);
    EXPECT_EQ(bytes.count("TAG"), 1);
    const QByteArray tag = bytes.right(128);
    EXPECT_EQ(tag.left(3), "TAG");
    EXPECT_EQ(tag.mid(3, 30), zuvtest::cp1250(u"Žluťoučký kůň"_s) + QByteArray(17, ' '));
    EXPECT_EQ(tag.mid(93, 4), "2004");
    EXPECT_EQ(quint8(tag[127]), 62);

    // Read back as stored: every text keeps its padding.
    const auto read = ReadID3Tag(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->title, u"Žluťoučký kůň"_s.leftJustified(30));
    EXPECT_EQ(read->artist, u"Čeněk Šťastný"_s.leftJustified(30));
    EXPECT_EQ(read->album, u"Úpal"_s.leftJustified(30));
    EXPECT_EQ(read->year, u"2004"_s);
    EXPECT_EQ(read->comment, u"ďábelské ódy"_s.leftJustified(30));
    EXPECT_EQ(read->genre, 62);
}

TEST(ID3Tag, TextsAreCutOrPaddedToTheirWidth)
{
    zuvtest::TempSuite suite;
    const QString path = suite.path(u"cut.mp3"_s);
    suite.write(u"cut.mp3"_s, kSound);
    ID3Tag tag;
    tag.title = u"Příliš žluťoučký kůň úpěl ďábelské ódy"_s; // 38 characters
    tag.artist = u"12345"_s;
    tag.year = u"199999"_s;
    tag.comment = u"€"_s;  // one byte in the code page
    tag.album = u"日本"_s; // no byte in the code page
    ASSERT_TRUE(WriteID3Tag(path, tag));

    const QByteArray bytes = fileBytes(path).right(128);
    EXPECT_EQ(bytes.mid(3, 30), zuvtest::cp1250(u"Příliš žluťoučký kůň úpěl ďábe"_s));
    EXPECT_EQ(bytes.mid(33, 30), "12345" + QByteArray(25, ' '));
    EXPECT_EQ(bytes.mid(63, 30), "??" + QByteArray(28, ' '));
    EXPECT_EQ(bytes.mid(93, 4), "1999");
    EXPECT_EQ(bytes.mid(97, 30), "\x80" + QByteArray(29, ' '));
}

TEST(ID3Tag, FilesWithoutATagGiveNone)
{
    zuvtest::TempSuite suite;
    struct Row
    {
        QString name;
        QByteArray content; // empty: the file does not exist
    };
    const Row rows[] = {
        {u"missing.mp3"_s, {}},
        {u"short.mp3"_s, "TAG" + QByteArray(100, 'x')}, // 103 bytes
        {u"tiny.mp3"_s, "TAG"},
        {u"untagged.mp3"_s, kSound},
        {u"tagInside.mp3"_s, "TAG" + QByteArray(125, 'x') + "y"}, // not at 128 from the end
    };
    for (const Row& row : rows) {
        if (!row.content.isEmpty())
            suite.write(row.name, row.content);
        EXPECT_FALSE(ReadID3Tag(suite.path(row.name))) << row.name;
    }

    // A tag of its own is the smallest file that has one.
    suite.write(u"only.mp3"_s, "TAG" + QByteArray(124, ' ') + "\x11");
    const auto tag = ReadID3Tag(suite.path(u"only.mp3"_s));
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->genre, 0x11);
}

TEST(ID3Tag, AFileShorterThanATagGetsOneAppended)
{
    zuvtest::TempSuite suite;
    suite.write(u"s.mp3"_s, "TAG");
    const QString path = suite.path(u"s.mp3"_s);
    ID3Tag tag;
    tag.title = u"x"_s;
    ASSERT_TRUE(WriteID3Tag(path, tag));
    const QByteArray bytes = fileBytes(path);
    ASSERT_EQ(bytes.size(), 3 + 128);
    EXPECT_EQ(bytes.mid(3, 4), "TAGx");
}

TEST(ID3Tag, GenreListHas148NamesInTheProgramsSpelling)
{
    const QStringList names = ID3GenreNames();
    ASSERT_EQ(names.size(), 148);
    EXPECT_EQ(ID3GenreText().count(u'|'), 147);
    EXPECT_EQ(names[0], u"Blues"_s);
    EXPECT_EQ(names[12], u"Other"_s);
    EXPECT_EQ(names[62], u"Pop/Punk"_s);
    EXPECT_EQ(names[67], u"Phychedelic"_s);
    EXPECT_EQ(names[79], u"Hard Rock"_s);
    EXPECT_EQ(names[80], u"Folk"_s);
    EXPECT_EQ(names[131], u"indie"_s);
    EXPECT_EQ(names[147], u"Synth Pop"_s);
    for (const QString& name : names)
        EXPECT_FALSE(name.trimmed().isEmpty());
}
