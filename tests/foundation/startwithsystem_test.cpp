#include <QDir>
#include <QFile>
#include <foundation/startwithsystem.h>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

// The prepared entry in Windows-1250 with CR LF, copied as it is.
const QByteArray kEntry = "[Desktop Entry]\r\nType=Application\r\nName=Zuv \xC8"
                          "echy\r\n"
                          "Exec=/opt/zuv/zuv\r\n";

class StartWithSystemTest : public ::testing::Test
{
protected:
    StartWithSystemTest()
    {
        QDir().mkpath(home());
        suite.setEnv("HOME", QFile::encodeName(home()));
    }
    QString home() const { return suite.path(u"home"_s); }
    bool homeIsEmpty() const
    {
        return QDir(home())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
            .isEmpty();
    }
    // "{dir}" in the text stands for the program folder.
    void putPaths(const QString& text) const
    {
        suite.write(u"Zuv_Data/paths.tt"_s,
                    zuvtest::cp1250(QString(text).replace(u"{dir}"_s, suite.dir())));
    }

    zuvtest::TempSuite suite;
};

struct LinkRow
{
    const char* name;
    QString paths;    // paths.tt
    QString link;     // where the entry must go, below the program folder
    QString notThere; // a path named earlier in paths.tt, or empty
};

void PrintTo(const LinkRow& row, std::ostream* os)
{
    *os << row.name;
}

class StartWithSystemLink : public StartWithSystemTest,
                            public ::testing::WithParamInterface<LinkRow>
{};

TEST_P(StartWithSystemLink, OnCopiesTheEntryAndOffRemovesIt)
{
    putPaths(GetParam().paths);
    suite.write(u"Zuv_Data/zuvst.tt"_s, kEntry);
    const QString link = suite.path(GetParam().link);

    StartWithSystem::set(true);
    EXPECT_EQ(suite.read(GetParam().link), kEntry);
    if (!GetParam().notThere.isEmpty()) {
        EXPECT_FALSE(QFile::exists(suite.path(GetParam().notThere)));
    }

    StartWithSystem::set(false);
    EXPECT_FALSE(QFile::exists(link));
    EXPECT_EQ(suite.read(u"Zuv_Data/zuvst.tt"_s), kEntry) << "the prepared entry stays";
}

INSTANTIATE_TEST_SUITE_P(
    Paths, StartWithSystemLink,
    ::testing::Values(
        LinkRow{"HomeRelative",
                u"-st>~/.config/autostart/zuv.desktop\r\n"_s,
                u"home/.config/autostart/zuv.desktop"_s,
                {}},
        LinkRow{"Absolute", u"-st>{dir}/links/zuv.desktop\r\n"_s, u"links/zuv.desktop"_s, {}},
        LinkRow{"LastLineCounts",
                u"-st>~/first.desktop\r\n-pr>/opt/zuv\r\n-st>~/autostart/zuv.desktop\r\n-xx>~/x"_s,
                u"home/autostart/zuv.desktop"_s, u"home/first.desktop"_s},
        LinkRow{"LfLinesWithoutLastEnding",
                u"-pr>/opt/zuv\n-st>~/zuv.desktop"_s,
                u"home/zuv.desktop"_s,
                {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartWithSystemTest, OnReplacesAnOutdatedEntry)
{
    putPaths(u"-st>~/autostart/zuv.desktop\r\n"_s);
    suite.write(u"Zuv_Data/zuvst.tt"_s, kEntry);
    suite.write(u"home/autostart/zuv.desktop"_s, "old entry, longer than the new one" + kEntry);
    StartWithSystem::set(true);
    EXPECT_EQ(suite.read(u"home/autostart/zuv.desktop"_s), kEntry);
}

TEST_F(StartWithSystemTest, WithoutAPathOrAnEntryNothingIsWritten)
{
    struct Row
    {
        const char* name;
        std::optional<QString> paths;
        bool entry;
    };
    const Row rows[] = {
        {"no paths.tt", std::nullopt, true},
        {"no -st> line", u"-pr>~/zuv\r\n"_s, true},
        {"empty -st> line", u"-st>\r\n"_s, true},
        {"no zuvst.tt", u"-st>~/autostart/zuv.desktop\r\n"_s, false},
    };
    for (const Row& row : rows) {
        QFile::remove(suite.data(u"paths.tt"_s));
        QFile::remove(suite.data(u"zuvst.tt"_s));
        if (row.paths)
            putPaths(*row.paths);
        if (row.entry)
            suite.write(u"Zuv_Data/zuvst.tt"_s, kEntry);
        StartWithSystem::set(true);
        EXPECT_TRUE(homeIsEmpty()) << row.name;
        StartWithSystem::set(false);
    }
}

TEST_F(StartWithSystemTest, SwitchOffMarkerCountsOnceWhenNotEmpty)
{
    struct Row
    {
        const char* name;
        std::optional<QByteArray> marker;
        bool switchOff;
    };
    const Row rows[] = {
        {"no marker", std::nullopt, false},
        {"empty marker", QByteArray(), false},
        {"marker with content", QByteArray("1"), true},
    };
    const QString marker = suite.data(u"gstzuv.tt"_s);
    for (const Row& row : rows) {
        if (row.marker)
            suite.write(u"Zuv_Data/gstzuv.tt"_s, *row.marker);
        EXPECT_EQ(StartWithSystem::takeSwitchOffMarker(), row.switchOff) << row.name;
        EXPECT_FALSE(QFile::exists(marker)) << row.name;
        EXPECT_FALSE(StartWithSystem::takeSwitchOffMarker()) << row.name << ", taken again";
    }
}

} // namespace
