#include <QFile>
#include <foundation/messengersettings.h>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <support/tempsuite.h>
#include <utility>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

using Values = std::initializer_list<std::pair<OptionKey, QString>>;

// A complete options.ini: every line "v<position>" unless given.
QStringList optionLines(Values values)
{
    QStringList lines = defaultOptionLines();
    for (int i = 0; i < lines.size(); ++i)
        lines[i] += u'v' + QString::number(i);
    for (const auto& [key, value] : values)
        lines[key.position] = key.prefix + value;
    return lines;
}

QByteArray crlf(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += zuvtest::cp1250(line) + "\r\n";
    return bytes;
}

class MessengerSettingsTest : public ::testing::Test
{
protected:
    QString path() const { return suite.data(u"options.ini"_s); }
    QByteArray onDisk() const { return suite.read(u"Zuv_Data/options.ini"_s); }
    void put(const QStringList& lines) const
    {
        suite.write(u"Zuv_Data/options.ini"_s, crlf(lines));
    }
    MessengerSettings readBack() const
    {
        OptionsFile file(path());
        EXPECT_TRUE(file.load());
        return MessengerSettings::read(file);
    }

    zuvtest::TempSuite suite;
};

TEST_F(MessengerSettingsTest, ReadsEachSettingFromItsOwnLine)
{
    const std::pair<OptionKey, QString MessengerSettings::*> fields[] = {
        {OptionKeys::Zuvid, &MessengerSettings::Zuvid},
        {OptionKeys::Zuvpass, &MessengerSettings::Zuvpass},
        {OptionKeys::Zuvnick, &MessengerSettings::Zuvnick},
        {OptionKeys::Zuvnalada, &MessengerSettings::Zuvnalada},
        {OptionKeys::Zuvmode, &MessengerSettings::Zuvmode},
        {OptionKeys::Zuvspeed, &MessengerSettings::Zuvspeed},
        {OptionKeys::Zuvzobrazeni, &MessengerSettings::Zuvzobrazeni},
        {OptionKeys::Zuvtree, &MessengerSettings::Zuvtree},
        {OptionKeys::ZuvsvStart, &MessengerSettings::ZuvsvStart},
        {OptionKeys::Zuv, &MessengerSettings::Zuv},
        {OptionKeys::Zuvrezim, &MessengerSettings::Zuvrezim},
        {OptionKeys::PostrelRun, &MessengerSettings::PostrelRun},
        {OptionKeys::ZuvHeight, &MessengerSettings::ZuvHeight},
        {OptionKeys::ZuvFx, &MessengerSettings::ZuvFx},
        {OptionKeys::ZuvFy, &MessengerSettings::ZuvFy},
        {OptionKeys::Zuvset, &MessengerSettings::Zuvset},
    };
    put(optionLines({}));
    const MessengerSettings s = readBack();
    for (const auto& [key, member] : fields)
        EXPECT_EQ(s.*member, u'v' + QString::number(key.position)) << key.prefix.data();
}

TEST_F(MessengerSettingsTest, MoodAndChatSettingDefaults)
{
    struct Row
    {
        const char* name;
        QString mood, set;
        QString expectedMood, expectedSet, fontSize, soundFlag;
    };
    const Row rows[] = {
        {"both empty", u""_s, u""_s, u":)"_s, u"11@1"_s, u"11"_s, u"1"_s},
        {"mood holding colons", u":))"_s, u"14@0"_s, u":))"_s, u"14@0"_s, u"14"_s, u"0"_s},
        {"mood as a sentence", u"Ahoj: jsem tu :-)"_s, u"9@1"_s, u"Ahoj: jsem tu :-)"_s, u"9@1"_s,
         u"9"_s, u"1"_s},
    };
    for (const Row& row : rows) {
        put(optionLines({{OptionKeys::Zuvnalada, row.mood}, {OptionKeys::Zuvset, row.set}}));
        const MessengerSettings s = readBack();
        EXPECT_EQ(s.Zuvnalada, row.expectedMood) << row.name;
        EXPECT_EQ(s.Zuvset, row.expectedSet) << row.name;
        EXPECT_EQ(s.FontSize, row.fontSize) << row.name;
        EXPECT_EQ(s.SoundFlag, row.soundFlag) << row.name;
    }
}

// ---------------------------------------------------------------------------
// Window geometry: what the window has at save time against what is stored.

struct GeometryRow
{
    const char* name;
    MessengerSettings::Geometry window;
    QString height, left, top; // expected in the file afterwards
};

void PrintTo(const GeometryRow& row, std::ostream* os)
{
    *os << row.name;
}

class MessengerGeometry : public MessengerSettingsTest,
                          public ::testing::WithParamInterface<GeometryRow>
{};

TEST_P(MessengerGeometry, SavesOnlyAUsableGeometry)
{
    put(optionLines({{OptionKeys::ZuvHeight, u"5000"_s},
                     {OptionKeys::ZuvFx, u"1200"_s},
                     {OptionKeys::ZuvFy, u"800"_s}}));
    OptionsFile file(path());
    ASSERT_TRUE(file.load());
    MessengerSettings s = MessengerSettings::read(file);
    ASSERT_TRUE(s.save(file, GetParam().window));

    EXPECT_EQ(s.ZuvHeight, GetParam().height);
    EXPECT_EQ(s.ZuvFx, GetParam().left);
    EXPECT_EQ(s.ZuvFy, GetParam().top);
    const MessengerSettings saved = readBack();
    EXPECT_EQ(saved.ZuvHeight, GetParam().height);
    EXPECT_EQ(saved.ZuvFx, GetParam().left);
    EXPECT_EQ(saved.ZuvFy, GetParam().top);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, MessengerGeometry,
    ::testing::Values(
        GeometryRow{"Normal", {6000, 300, 400}, u"6000"_s, u"300"_s, u"400"_s},
        GeometryRow{"Minimised", {360, -32000, -32000}, u"5000"_s, u"1200"_s, u"800"_s},
        GeometryRow{"HeightBelow1000", {999, 300, 400}, u"5000"_s, u"300"_s, u"400"_s},
        GeometryRow{"Height1000", {1000, 300, 400}, u"1000"_s, u"300"_s, u"400"_s},
        GeometryRow{"EdgesAtMinus50", {6000, -50, -50}, u"6000"_s, u"-50"_s, u"-50"_s},
        GeometryRow{"EdgesBelowMinus50", {6000, -51, -51}, u"6000"_s, u"1200"_s, u"800"_s},
        GeometryRow{"SlightlyOffScreen", {6000, -30, 0}, u"6000"_s, u"-30"_s, u"0"_s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessengerSettingsTest, KeptGeometryIsTheOneStoredAtSaveTime)
{
    put(optionLines({{OptionKeys::ZuvHeight, u"5000"_s},
                     {OptionKeys::ZuvFx, u"1200"_s},
                     {OptionKeys::ZuvFy, u"800"_s}}));
    OptionsFile file(path());
    ASSERT_TRUE(file.load());
    MessengerSettings s = MessengerSettings::read(file);
    // Another messenger window saved its geometry since this one read the file.
    OptionsFile other(path());
    ASSERT_TRUE(other.save({{OptionKeys::ZuvHeight, u"7000"_s},
                            {OptionKeys::ZuvFx, u"100"_s},
                            {OptionKeys::ZuvFy, u"200"_s}}));

    ASSERT_TRUE(s.save(file, {360, -32000, -32000}));
    const MessengerSettings saved = readBack();
    EXPECT_EQ(saved.ZuvHeight, u"7000"_s);
    EXPECT_EQ(saved.ZuvFx, u"100"_s);
    EXPECT_EQ(saved.ZuvFy, u"200"_s);
}

// ---------------------------------------------------------------------------

TEST_F(MessengerSettingsTest, SaveRewritesOnlyItsLinesAndKeepsCzechBytes)
{
    const QByteArray nickBytes = "#007:Zuvnick:\x8A\xE1rka \xC8\xED\x9Ekov\xE1\r\n";
    const QStringList original = optionLines({{OptionKeys::Zuvnick, u"Šárka Čížková"_s},
                                              {OptionKeys::SVLast, u"Rádio Čechy"_s},
                                              {OptionKeys::ZuvHeight, u"5000"_s},
                                              {OptionKeys::ZuvFx, u"1200"_s},
                                              {OptionKeys::ZuvFy, u"800"_s}});
    put(original);
    ASSERT_TRUE(onDisk().contains(nickBytes));

    OptionsFile file(path());
    ASSERT_TRUE(file.load());
    MessengerSettings s = MessengerSettings::read(file);
    EXPECT_EQ(s.Zuvnick, u"Šárka Čížková"_s);
    // Unchanged settings and the same geometry: the file comes back byte for byte.
    ASSERT_TRUE(s.save(file, {5000, 1200, 800}));
    EXPECT_EQ(onDisk(), crlf(original));
    EXPECT_TRUE(onDisk().contains(nickBytes));

    // Changed settings replace only their own lines; the others' lines stay.
    s.Zuvnick = u"Eva"_s;
    s.Zuvnalada = u"Čau ;)"_s;
    ASSERT_TRUE(s.save(file, {5000, 1200, 800}));
    QStringList expected = original;
    expected[7] = u"#007:Zuvnick:Eva"_s;
    expected[8] = u"#008:Zuvnalada:Čau ;)"_s;
    EXPECT_EQ(onDisk(), crlf(expected));
    EXPECT_TRUE(onDisk().contains("#008:Zuvnalada:\xC8"
                                  "au ;)\r\n"));
}

} // namespace
