#include <QFile>
#include <core/playback.h>
#include <core/playersettings.h>
#include <core/stationrecord.h>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::radio;

TEST(PlayerSettings, TheLastStationIsCutAtFixedCharacters)
{
    struct Row
    {
        QString line12;
        QString id;
        QString quality;
    };
    const Row rows[] = {
        {u"#012:SVLast:123456/3"_s, u"123456"_s, u"3"_s},
        {u"#012:SVLast:123/3"_s, u"123/3"_s, u""_s}, // a short id takes the "/" along
        {u"#012:SVLast:abcdef/12"_s, u"abcdef"_s, u"12"_s},
        {u"#012:SVLast:"_s, u""_s, u""_s},
    };
    for (const Row& row : rows) {
        zuvtest::TempSuite suite;
        QByteArray file;
        for (int i = 0; i < 30; ++i)
            file += i == 12 ? row.line12.toLatin1() + "\r\n"
                            : "#" + QByteArray::number(i).rightJustified(3, '0') + ":x:v" +
                                  QByteArray::number(i) + "\r\n";
        suite.write(u"Zuv_Data/options.ini"_s, file);
        OptionsFile options;
        ASSERT_TRUE(options.load());
        const PlayerSettings s = PlayerSettings::read(options);
        EXPECT_EQ(s.CurrentStationId, row.id) << row.line12;
        EXPECT_EQ(s.CurrentQuality, row.quality) << row.line12;
    }
}

TEST(PlayerSettings, AShortFileReadsEmptyAndOnlyThePlayersLinesAreWritten)
{
    zuvtest::TempSuite suite;
    suite.write(u"Zuv_Data/options.ini"_s,
                "#000:Rezerva:\r\n#001:Rezerva:\r\n#002:Rezerva:\r\n#003:Rezerva:\r\n"
                "#004:Rezerva:\r\n#005:Zuvid:100001\r\n#006:Zuvpass:demo\r\n");
    OptionsFile options;
    ASSERT_TRUE(options.load());
    PlayerSettings s = PlayerSettings::read(options);
    EXPECT_EQ(s.OwnId, u"100001"_s);
    EXPECT_EQ(s.MessengerMode, u""_s);
    EXPECT_EQ(s.SkinName, u""_s);
    s.CurrentStationId = u"r15abc"_s;
    s.CurrentQuality = u"2"_s;
    s.VolumeText = u"60"_s;
    s.OwnId = u"999999"_s; // not the player's to write
    ASSERT_TRUE(s.save(options));
    OptionsFile again;
    ASSERT_TRUE(again.load());
    EXPECT_EQ(again.value(OptionKeys::SVLast), u"r15abc/2"_s);
    EXPECT_EQ(again.value(OptionKeys::SVvolume), u"60"_s);
    EXPECT_EQ(again.value(OptionKeys::Zuvid), u"100001"_s);
}

TEST(Playback, TheTitleShowsFifteenCharacters)
{
    EXPECT_EQ(titleCaption(u"Rádio Čtrnáctka"_s.left(14)), u"Rádio Čtrnáctk"_s);
    EXPECT_EQ(titleCaption(u"123456789012345"_s), u"123456789012345..."_s);
    EXPECT_EQ(titleCaption(u"1234567890123456"_s), u"123456789012345..."_s);
    EXPECT_EQ(titleCaption(u""_s), u""_s);
    EXPECT_EQ(chooseMediaTitle(u"Stanice"_s, u"Píseň"_s, u"Dálkové"_s), u"Stanice"_s);
    EXPECT_EQ(chooseMediaTitle(u""_s, u"Píseň"_s, u"Dálkové"_s), u"Píseň"_s);
    EXPECT_EQ(chooseMediaTitle(u""_s, u""_s, u"Dálkové"_s), u"Dálkové"_s);
}

TEST(Playback, RadioInfoReadsTheLastMatchingLine)
{
    zuvtest::TempSuite suite;
    const QString record = u"/@/Čtrnáctka/@/tip ok/@/x/@/CZ/@/100010/@/http://a/1/@/http://a/2/@/"
                           "/@//@//@/32/@/128/@//@//@//@/http://www.r15.cz/@/Popis"_s;
    suite.write(u"radios.tt"_s, CodePage::encode(u"R15ABC"_s + record + u"\r\n"_s +
                                                 u"r15abc/@/Nová Čtrnáctka/@/\r\n"_s + u"r15abd"_s +
                                                 record + u"\r\nkrátký\r\n"_s));
    const QString catalog = suite.path(u"radios.tt"_s);
    EXPECT_EQ(RadioInfo(catalog, u"r15abd"_s, u"name"_s), u"Čtrnáctka"_s);
    EXPECT_EQ(RadioInfo(catalog, u"R15ABD"_s, u"u2"_s), u"http://a/2"_s);
    EXPECT_EQ(RadioInfo(catalog, u"r15abd"_s, u"k2"_s), u"128"_s);
    EXPECT_EQ(RadioInfo(catalog, u"r15abd"_s, u"www"_s), u"http://www.r15.cz"_s);
    EXPECT_EQ(RadioInfo(catalog, u"r15abd"_s, u"kk"_s), u"100010"_s);
    // The last of two lines with the id counts, even when it is short.
    EXPECT_EQ(RadioInfo(catalog, u"r15abc"_s, u"name"_s), u"Nová Čtrnáctka"_s);
    EXPECT_EQ(RadioInfo(catalog, u"r15abc"_s, u"u1"_s), u""_s);
    EXPECT_EQ(RadioInfo(catalog, u"r15abd"_s, u"nazev"_s), u""_s) << "not a field name";
    EXPECT_EQ(RadioInfo(catalog, u"r15"_s, u"name"_s), u""_s) << "an id has six characters";
    EXPECT_EQ(RadioInfo(suite.path(u"chybí.tt"_s), u"r15abd"_s, u"name"_s), u""_s);
}

TEST(Playback, TheListeningReportInBothForms)
{
    EXPECT_EQ(listeningReportUrl(u"http://s"_s, u"100001"_s, u"demo"_s, u"r15abc"_s, false),
              u"http://s/zuv/sv_all.php?idh=100001&h=demo&zuvw=on&sv=on&stanice=r15abc"_s);
    EXPECT_EQ(listeningReportUrl(u"http://s"_s, u"100001"_s, u"demo"_s, u"r15abc"_s, true),
              u"http://s/zuv/sv_all.php?idh=100001&h=demo&zuvw=off&sv=on&stanice=r15abc"_s);
}

TEST(Playback, ConsoleVolumeAndRemotePlay)
{
    const ConsoleCommand vol = parseConsole(u"vol=55."_s);
    EXPECT_EQ(vol.kind, ConsoleCommand::Volume);
    EXPECT_EQ(vol.value, u"55"_s);
    EXPECT_TRUE(vol.openAgain);
    EXPECT_EQ(parseConsole(u"url=http://x/a.mp3"_s).value, u"http://x/a.mp3"_s);
    EXPECT_EQ(parseConsole(u"help"_s).kind, ConsoleCommand::Help);
    EXPECT_EQ(parseConsole(u"HELP"_s).kind, ConsoleCommand::None);

    const std::pair<QString, std::optional<int>> volumes[] = {
        {u"55"_s, 55},           {u"0"_s, 0},    {u"100"_s, 100},          {u"250"_s, 100},
        {u"99999999999"_s, 100}, {u"40x"_s, 40}, {u"x40"_s, std::nullopt}, {u""_s, std::nullopt},
    };
    for (const auto& [text, volume] : volumes)
        EXPECT_EQ(volumeFromText(text), volume) << text;

    const RemotePlay full = parseRemotePlay(u"remoteplay/@/15/@/2/@/http://a/b/@/x"_s);
    EXPECT_EQ(full.stationId, u"15"_s);
    EXPECT_EQ(full.quality, u"2"_s);
    EXPECT_EQ(full.address, u"http://a/b"_s);
    EXPECT_EQ(full.title, u"x"_s);
    const RemotePlay shortOne = parseRemotePlay(u"remoteplay/@/r15abc"_s);
    EXPECT_EQ(shortOne.stationId, u"r15abc"_s);
    EXPECT_FALSE(shortOne.quality.has_value());
    EXPECT_FALSE(parseRemotePlay(u"remoteplay"_s).stationId.has_value());

    EXPECT_EQ(unreadMessageQuestions({u"new:Máte 2 zprávy."_s, u"inf:Od Evy."_s}),
              QStringList{u"Máte 2 zprávy.\r\nOd Evy.\r\n\r\nChcete zapnout Zuv klienta?"_s});
    EXPECT_TRUE(unreadMessageQuestions({u"new:x"_s}).isEmpty());
}
