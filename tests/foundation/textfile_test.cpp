#include <QDir>
#include <foundation/paths.h>
#include <foundation/textfile.h>
#include <gtest/gtest.h>
#include <support/tempsuite.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace zuv;

TEST(TextFile, ReadsCrLfAndLfLinesAlike)
{
    zuvtest::TempSuite suite;
    struct Row
    {
        const char* name;
        QByteArray bytes;
        QStringList lines;
    };
    const Row rows[] = {
        {"crlf", "a\r\nb\r\n", {u"a"_s, u"b"_s}},
        {"lf", "a\nb\n", {u"a"_s, u"b"_s}},
        {"mixed", "a\r\nb\nc", {u"a"_s, u"b"_s, u"c"_s}},
        {"last line without ending", "a\r\nb", {u"a"_s, u"b"_s}},
        {"empty lines kept", "a\r\n\r\n\nb\r\n", {u"a"_s, u""_s, u""_s, u"b"_s}},
        {"empty file", "", {}},
        {"lone CR stays in the line", "a\rb\r\n", {u"a\rb"_s}},
    };
    for (const Row& row : rows) {
        suite.write(u"f.txt"_s, row.bytes);
        const auto lines = TextFile::readLines(suite.path(u"f.txt"_s));
        ASSERT_TRUE(lines) << row.name;
        EXPECT_EQ(*lines, row.lines) << row.name;
    }
    EXPECT_FALSE(TextFile::readLines(suite.path(u"missing.txt"_s)));
}

TEST(TextFile, WritesWindows1250WithCrLf)
{
    zuvtest::TempSuite suite;
    ASSERT_TRUE(TextFile::writeLinesAtomic(suite.path(u"f.txt"_s), {u"Šárka"_s, u""_s, u"€"_s}));
    EXPECT_EQ(suite.read(u"f.txt"_s), QByteArray("\x8A\xE1rka\r\n\r\n\x80\r\n"));
    ASSERT_TRUE(TextFile::appendLine(suite.path(u"f.txt"_s), u"ž"_s));
    EXPECT_EQ(suite.read(u"f.txt"_s).right(3), QByteArray("\x9E\r\n"));
    // The rewrite leaves no temporary file behind.
    EXPECT_EQ(QDir(suite.dir()).entryList({u"f.txt*"_s}), QStringList{u"f.txt"_s});
}

TEST(TextFile, AppendCreatesTheFile)
{
    zuvtest::TempSuite suite;
    ASSERT_TRUE(TextFile::appendLine(suite.data(u"error.log"_s), u"x"_s));
    EXPECT_EQ(suite.read(u"Zuv_Data/error.log"_s), QByteArray("x\r\n"));
}

TEST(TextFile, FilesItMakesAreTheOwnersAlone)
{
    zuvtest::TempSuite suite;
    const auto mode = [&](const QString& name) {
        struct stat info;
        return ::stat(QFile::encodeName(suite.path(name)).constData(), &info) == 0
                   ? info.st_mode & 0777
                   : 0u;
    };
    ASSERT_TRUE(TextFile::writeBytesAtomic(suite.path(u"new.ini"_s), "x"));
    ASSERT_TRUE(TextFile::appendLine(suite.path(u"new.log"_s), u"x"_s));
    EXPECT_EQ(mode(u"new.ini"_s), 0600u);
    EXPECT_EQ(mode(u"new.log"_s), 0600u);
    // One the member made readable keeps that.
    ::chmod(QFile::encodeName(suite.path(u"new.ini"_s)).constData(), 0644);
    ASSERT_TRUE(TextFile::writeBytesAtomic(suite.path(u"new.ini"_s), "y"));
    EXPECT_EQ(mode(u"new.ini"_s), 0644u);
}

TEST(Paths, BackslashesAndTheCaseOfFolderNames)
{
    zuvtest::TempSuite suite;
    suite.write(u"Zuv_Data/img/s0.gif"_s, "GIF");
    const QString dir = suite.dir();
    EXPECT_EQ(resolvePath(dir + u"\\Zuv_Data\\img\\s0.gif"_s), dir + u"/Zuv_Data/img/s0.gif"_s);
    EXPECT_EQ(resolvePath(dir + u"\\Zuv_data\\IMG/s0.gif"_s), dir + u"/Zuv_Data/img/s0.gif"_s);
    // A new file in an existing folder keeps its own name; the folder is matched.
    EXPECT_EQ(resolvePath(dir + u"/zuv_DATA/new.tt"_s), dir + u"/Zuv_Data/new.tt"_s);
    // Missing folders are kept as written.
    EXPECT_EQ(resolvePath(dir + u"/nic/Tady"_s), dir + u"/nic/Tady"_s);
    EXPECT_EQ(resolvePath(u"relative\\file.tt"_s), u"relative/file.tt"_s);

    EXPECT_EQ(programDir(), dir);
    EXPECT_EQ(dataPath(u"options.ini"_s), dir + u"/Zuv_Data/options.ini"_s);
    ASSERT_TRUE(TextFile::appendLine(u"%1\\Zuv_data\\error.log"_s.arg(dir), u"x"_s));
    EXPECT_EQ(suite.read(u"Zuv_Data/error.log"_s), QByteArray("x\r\n"));
}
