#include <QDir>
#include <QFile>
#include <catalog/core/catalogfiles.h>
#include <catalog/core/categories.h>
#include <catalog/core/infopanel.h>
#include <catalog/core/stationlist.h>
#include <foundation/loginlink.h>
#include <gtest/gtest.h>
#include <support/qtprint.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::radio;

namespace {

// A station record as the server sends it: fields 0 … 17, "/@/" between.
QString record(const QString& id, const QString& name, const QString& mark, const QString& category,
               const QStringList& bitRates = {u"128"_s})
{
    QStringList fields = {id, name, mark, u"x"_s, u"CZ"_s, category};
    for (int level = 1; level <= 5; ++level)
        fields.append(u"http://s%1.example/q%2"_s.arg(id).arg(level));
    for (int level = 0; level < 5; ++level)
        fields.append(bitRates.value(level));
    fields.append(u"http://www.%1.example"_s.arg(id));
    fields.append(u"Popis stanice %1"_s.arg(id));
    return fields.join(u"/@/"_s);
}

} // namespace

// --- seznam.tt, radios.tt, kategories.tt --------------------------------------

TEST(CatalogFiles, TheListIsSortedByLineKindWhateverTheCaseOfThePrefix)
{
    const CatalogSplit split = splitCatalogList({
        u"ZUV:K:new//100010/@/Pop"_s,
        u""_s,
        u"100001/@/Rádio Žluťoučký kůň/@/tip Eva"_s,
        u"zuv:r:60/@/7000/@/1/@/http://ads.example/a"_s,
        u"Zuv:I:1/@/255/@/50/@/Ahoj/@/tip/@/openurl/@/faq"_s,
        u"zuv:k:add//10001005/@/Česká"_s,
        u"100002/@/Druhé"_s,
        u"<END>"_s,
        u"<end>"_s,
    });
    EXPECT_EQ(split.categories,
              zuvtest::cp1250(u"new//100010/@/Pop\r\nadd//10001005/@/Česká\r\n"_s));
    EXPECT_EQ(split.stations,
              zuvtest::cp1250(u"100001/@/Rádio Žluťoučký kůň/@/tip Eva\r\n100002/@/Druhé\r\n"_s));
    EXPECT_EQ(split.adverts, QStringList{u"60/@/7000/@/1/@/http://ads.example/a"_s});
    EXPECT_EQ(split.infos, QStringList{u"1/@/255/@/50/@/Ahoj/@/tip/@/openurl/@/faq"_s});
}

TEST(CatalogFiles, BothFilesAreReplacedOrNeither)
{
    zuvtest::TempSuite suite;
    const CatalogSplit split = splitCatalogList({u"zuv:k:new//100010/@/Pop"_s, u"100001/@/Nové"_s});
    ASSERT_TRUE(writeCatalog(suite.dir(), split));
    EXPECT_EQ(suite.read(u"radios.tt"_s), zuvtest::cp1250(u"100001/@/Nové\r\n"_s));
    EXPECT_EQ(suite.read(u"kategories.tt"_s), "new//100010/@/Pop\r\n");

    // kategories.tt cannot be replaced (a folder stands in its way): the
    // stations written a moment before must not stay without their tree.
    const QByteArray oldStations = suite.read(u"radios.tt"_s);
    ASSERT_TRUE(QFile::remove(suite.path(u"kategories.tt"_s)));
    ASSERT_TRUE(QDir(suite.dir()).mkdir(u"kategories.tt"_s));
    EXPECT_FALSE(writeCatalog(suite.dir(), splitCatalogList({u"100009/@/Jiné"_s})));
    EXPECT_EQ(suite.read(u"radios.tt"_s), oldStations);

    ASSERT_TRUE(QFile::remove(suite.path(u"radios.tt"_s)));
    EXPECT_FALSE(writeCatalog(suite.dir(), splitCatalogList({u"100009/@/Jiné"_s})));
    EXPECT_FALSE(QFile::exists(suite.path(u"radios.tt"_s)));
}

TEST(CatalogFiles, TheSizeProbeReply)
{
    struct Row
    {
        const char* name;
        QStringList lines;
        std::optional<qint64> size;
        bool refused;
    };
    const Row rows[] = {
        {"plain", {u"size:1234567"_s}, 1234567, false},
        {"case and spaces", {u""_s, u"SIZE: 42 "_s}, 42, false},
        {"trailing garbage", {u"size:12abc"_s}, std::nullopt, false},
        {"no number", {u"size:"_s}, std::nullopt, false},
        {"signed", {u"size:-5"_s}, std::nullopt, false},
        {"too large", {u"size:99999999999999999999"_s}, std::nullopt, false},
        {"not at the start", {u" size:10"_s}, std::nullopt, false},
        {"refusal", {u"zuvnet:error: database down"_s}, std::nullopt, true},
        {"refusal beside a size", {u"size:10"_s, u"ZUVNET:ERROR"_s}, 10, true},
        {"marker cut short", {u"zuvnet:erro"_s}, std::nullopt, false},
        {"html page", {u"<html>"_s, u"<body>Not found</body>"_s}, std::nullopt, false},
    };
    for (const Row& row : rows) {
        const SizeProbe probe = readSizeProbe(row.lines);
        EXPECT_EQ(probe.size, row.size) << row.name;
        EXPECT_EQ(probe.refused, row.refused) << row.name;
    }
}

TEST(CatalogFiles, DownloadPercentIsRoundedAndNeverDividesByZero)
{
    const struct
    {
        qint64 bytes, expected;
        int percent;
    } rows[] = {
        {0, 1000, 0},      {1, 3, 33}, {2, 3, 67},
        {1, 200, 1}, // one half rounds up
        {1000, 1000, 100}, {5, 0, 0},  {5000000000, 10000000000, 50},
    };
    for (const auto& row : rows)
        EXPECT_EQ(downloadPercent(row.bytes, row.expected), row.percent)
            << row.bytes << "/" << row.expected;
}

// --- category tree and filter ---------------------------------------------------

TEST(Categories, TheTreeSkipsOrphansRepeatsAndForeignLines)
{
    const QList<CategoryNode> nodes = readCategories({
        u"add//10002001/@/Dříve než rodič"_s,
        u"new//100010/@/Pop"_s,
        u"new//100020/@/Rock"_s,
        u"add//10002001/@/Metal"_s,
        u"add//10001005/@/Česká/@/navíc"_s,
        u"new//100010/@/Pop znovu"_s,
        u"NEW//100030/@/Velká písmena"_s,
        u"new//100040"_s,
        u"add//99999901/@/Bez rodiče"_s,
        u"# komentář"_s,
    });
    ASSERT_EQ(nodes.size(), 4);
    const struct
    {
        QString key, name;
        int parent;
    } expected[] = {
        {u"a100010"_s, u"Pop"_s, -1},
        {u"a100020"_s, u"Rock"_s, -1},
        {u"a10002001"_s, u"Metal"_s, 1},
        {u"a10001005"_s, u"Česká"_s, 0},
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(nodes[i].key, expected[i].key) << i;
        EXPECT_EQ(nodes[i].name, expected[i].name) << i;
        EXPECT_EQ(nodes[i].parent, expected[i].parent) << i;
    }
}

TEST(Categories, EachNodeListsItsStations)
{
    const StationCatalog catalog(QStringList{
        record(u"100001"_s, u"Pop"_s, u""_s, u"100010"_s),
        record(u"100002"_s, u"Česká pop"_s, u""_s, u"10001005"_s),
        u""_s,
        record(u"100003"_s, u"Skupina 1"_s, u""_s, u"1000001"_s),
        record(u"100004"_s, u"Skupina 12"_s, u""_s, u"10000012"_s),
        record(u"100005"_s, u"Rock"_s, u""_s, u"100020"_s),
        u"100006/@/Krátký záznam"_s,
    });
    const struct
    {
        QString nodeKey;
        QList<int> lines;
    } rows[] = {
        {u"a100000"_s, {0, 1, 3, 4, 5, 6}},
        {u"a100010"_s, {0, 1}}, // a category takes in its sub-categories
        {u"a10001005"_s, {1}},
        {u"a1000001"_s, {3}}, // a group suffix matches whole, never as a prefix
        {u"a10000012"_s, {4}},
        {u"a100020"_s, {5}},
        {u"a100099"_s, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(catalog.filter(categoryOfNode(row.nodeKey)), row.lines) << row.nodeKey;
}

TEST(Categories, TheCategoryOfANode)
{
    const struct
    {
        QString key, category;
    } rows[] = {
        {u"a100000"_s, u"100000"_s}, {u"a1000001"_s, u"x1"_s},        {u"a10000012"_s, u"x12"_s},
        {u"a100010"_s, u"100010"_s}, {u"a10001005"_s, u"10001005"_s}, {u"a10000"_s, u"10000"_s},
    };
    for (const auto& row : rows)
        EXPECT_EQ(categoryOfNode(row.key), row.category) << row.key;
}

// --- the station list -----------------------------------------------------------

TEST(StationCatalog, FieldsOfARecordAndOfOneWithTooFewFields)
{
    const StationCatalog catalog(QStringList{
        record(u"AbC123"_s, u"Rádio Jih"_s, u"tip Eva Malá"_s, u"100010"_s,
               {u"32"_s, u""_s, u"128"_s}) +
            u"/@/pole navíc"_s,
        u"100002/@/Krátké/@/tipec"_s,
        record(u"abc123"_s, u"Dvojník"_s, u"Top"_s, u"100010"_s),
    });
    EXPECT_EQ(catalog.id(0), u"AbC123"_s);
    EXPECT_EQ(catalog.displayName(0), u"Rádio JihEva Malá"_s);
    EXPECT_TRUE(catalog.recommended(0));
    EXPECT_EQ(catalog.country(0), u"CZ"_s);
    EXPECT_EQ(catalog.offeredQualities(0), (QList<int>{1, 3}));
    EXPECT_EQ(catalog.bitRate(0, 3), u"128"_s);
    EXPECT_EQ(catalog.stream(0, 3), u"http://sAbC123.example/q3"_s);
    EXPECT_EQ(catalog.web(0), u"http://www.AbC123.example"_s);
    EXPECT_EQ(catalog.description(0), u"Popis stanice AbC123"_s); // the extra field stays out

    EXPECT_EQ(catalog.displayName(1), u"Krátkéc"_s);
    EXPECT_TRUE(catalog.recommended(1));
    EXPECT_EQ(catalog.category(1), u""_s);
    EXPECT_EQ(catalog.description(1), u""_s);
    EXPECT_EQ(catalog.offeredQualities(1), QList<int>{});
    EXPECT_FALSE(catalog.recommended(2)); // "Top" is not "tip"

    EXPECT_EQ(catalog.name(3), u""_s);
    EXPECT_EQ(catalog.field(0, 18), u""_s);
    EXPECT_EQ(catalog.stream(0, 6), u""_s);
}

TEST(StationCatalog, LookUpByIdTakesTheFirstLineOfSixCharacters)
{
    const StationCatalog catalog(QStringList{
        u""_s,
        u"12345/@/Pět znaků"_s,
        record(u"ABC123"_s, u"První"_s, u""_s, u"100010"_s),
        record(u"abc123"_s, u"Druhý"_s, u""_s, u"100010"_s),
    });
    EXPECT_EQ(catalog.indexOfId(u"abc123"_s), 2);
    EXPECT_EQ(catalog.indexOfId(u"ABC123"_s), 2);
    EXPECT_EQ(catalog.indexOfId(u"12345"_s), std::nullopt);
    EXPECT_EQ(catalog.indexOfId(u""_s), std::nullopt);
    EXPECT_EQ(catalog.indexOfId(u"999999"_s), std::nullopt);
}

TEST(StationCatalog, LoadsWindows1250LinesInFileOrder)
{
    zuvtest::TempSuite suite;
    suite.write(u"radios.tt"_s,
                zuvtest::cp1250(record(u"100001"_s, u"Žluťoučký"_s, u""_s, u"100010"_s) +
                                u"\r\n\r\n100002/@/Lf řádek\n"_s));
    StationCatalog catalog;
    ASSERT_TRUE(catalog.load(suite.path(u"radios.tt"_s)));
    EXPECT_EQ(catalog.size(), 3);
    EXPECT_EQ(catalog.name(0), u"Žluťoučký"_s);
    EXPECT_EQ(catalog.lines().at(1), u""_s);
    EXPECT_EQ(catalog.name(2), u"Lf řádek"_s);

    EXPECT_FALSE(catalog.load(suite.path(u"chybi.tt"_s)));
    EXPECT_EQ(catalog.size(), 0);
    EXPECT_EQ(catalog.filter(u""_s), QList<int>{});
}

// --- info panel and advert strip --------------------------------------------

TEST(InfoPanel, TheCommandLineWithMissingAndBadFields)
{
    const InfoPanelCommand full =
        readInfoPanel(u"1/@/255/@/40/@/Nové rádio!/@/Klikni/@/openurl/@/radio.php?id=5"_s);
    EXPECT_TRUE(full.bold);
    EXPECT_EQ(full.colour, 255);
    EXPECT_EQ(full.intervalMs, 40);
    EXPECT_EQ(full.text, u"Nové rádio!"_s);
    EXPECT_EQ(full.tooltip, u"Klikni"_s);
    EXPECT_EQ(full.command, u"openurl"_s);
    EXPECT_EQ(full.argument, u"radio.php?id=5"_s);

    const InfoPanelCommand shortLine = readInfoPanel(u"0/@/červená/@/0/@/Ahoj"_s);
    EXPECT_FALSE(shortLine.bold);
    EXPECT_EQ(shortLine.colour, std::nullopt);
    EXPECT_EQ(shortLine.intervalMs, 100);
    EXPECT_EQ(shortLine.text, u"Ahoj"_s);
    EXPECT_EQ(shortLine.command, u""_s);
    EXPECT_EQ(shortLine.argument, u""_s);

    const struct
    {
        QString colour, interval;
        std::optional<int> expectedColour;
        int expectedInterval;
    } rows[] = {
        {u""_s, u""_s, std::nullopt, 100},
        {u"16777215"_s, u"-5"_s, 0xFFFFFF, 100},
        {u"16777216"_s, u"20ms"_s, std::nullopt, 100},
        {u"-1"_s, u" 250 "_s, std::nullopt, 250},
        {u"0"_s, u"1"_s, 0, 1},
    };
    for (const auto& row : rows) {
        const InfoPanelCommand panel =
            readInfoPanel(u"1/@/"_s + row.colour + u"/@/"_s + row.interval + u"/@/t"_s);
        EXPECT_EQ(panel.colour, row.expectedColour) << row.colour;
        EXPECT_EQ(panel.intervalMs, row.expectedInterval) << row.interval;
    }
}

TEST(InfoPanel, TenCharactersAreCompleteOnTheEleventhTick)
{
    InfoTyping typing;
    typing.begin(u"Ahoj světe"_s);
    ASSERT_EQ(typing.text.size(), 10);
    QStringList captions;
    while (!typing.finished && captions.size() < 20)
        captions.append(typing.tick());
    ASSERT_EQ(captions.size(), 11);
    EXPECT_EQ(captions.first(), u""_s);
    EXPECT_EQ(captions.at(1), u"A"_s);
    EXPECT_EQ(captions.last(), u"Ahoj světe"_s);
    EXPECT_EQ(typing.counter, 0);

    // A shorter text arriving half-way is typed from its start and still ends.
    typing.begin(u"Dlouhý text"_s);
    for (int i = 0; i < 8; ++i)
        typing.tick();
    typing.begin(u"Krátký"_s);
    int ticks = 0;
    while (!typing.finished && ticks < 20) {
        typing.tick();
        ++ticks;
    }
    EXPECT_EQ(ticks, 7);
}

TEST(InfoPanel, TheAdvertLine)
{
    const struct
    {
        QString line;
        bool shown;
        int height, windowHeight;
        QString url;
    } rows[] = {
        {u"900/@/8000/@/1/@/http://ads.example/a"_s, true, 900, 8000, u"http://ads.example/a"_s},
        {u"900/@/8000/@/0/@/http://ads.example/b"_s, false, 0, 0, u"http://ads.example/b"_s},
        {u"vysoký/@/8000/@/1/@/http://ads.example/c"_s, false, 0, 0, u"http://ads.example/c"_s},
        {u"900/@//@/1/@/http://ads.example/d"_s, false, 0, 0, u"http://ads.example/d"_s},
        {u"900/@/8000/@/1"_s, true, 900, 8000, u""_s},
        {u""_s, false, 0, 0, u""_s},
    };
    for (const auto& row : rows) {
        const AdvertCommand advert = readAdvert(row.line);
        EXPECT_EQ(advert.shown, row.shown) << row.line;
        EXPECT_EQ(advert.height, row.height) << row.line;
        EXPECT_EQ(advert.windowHeight, row.windowHeight) << row.line;
        EXPECT_EQ(advert.url, row.url) << row.line;
    }
}

// --- clicks on the info panel ---------------------------------------------------

namespace {

const PanelAccount kAccount{u"http://zuv.example"_s, u"100001"_s, u"demo"_s};

} // namespace

TEST(InfoPanelClick, OpenUrlLeadsThroughTheLoginPage)
{
    const InfoPanelAction action =
        infoPanelClick(u"OpenURL"_s, u"radio.php?id=5&x=1"_s, kAccount, u"/prog"_s);
    EXPECT_EQ(action.kind, InfoPanelAction::OpenUrl);
    EXPECT_EQ(action.url, u"http://zuv.example/login/100001/"_s + LoginLink::Heslo(u"demo"_s) +
                              u"/radio.php*o*id*r*5*a*x*r*1/1"_s);
    EXPECT_EQ(infoPanelClick(u"openurl2"_s, u"x"_s, kAccount, u"/prog"_s).kind,
              InfoPanelAction::Nothing);
}

TEST(InfoPanelClick, ShowUsersAddressesOnlyTheSuitesOwnPrograms)
{
    const std::optional<SendCommandRequest> request =
        showUsersRequest(u"zu..v.exe ||Zuv - Sorvanta||svs:100001||2"_s);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->program, u"zuv.exe "_s);
    EXPECT_EQ(request->title, u"Zuv - Sorvanta"_s);
    EXPECT_EQ(request->text, u"svs:100001"_s);
    EXPECT_EQ(request->mode, u"2"_s);

    const struct
    {
        QString program;
        bool accepted;
    } rows[] = {
        {u"MSG.EXE"_s, true},
        {u"ZuvRecorder"_s, true},
        {u"load2.exe"_s, true},
        {u"..\\..\\zuv.exe"_s, false}, // after removing ".." a path is left
        {u"/usr/bin/zuv"_s, false},
        {u"C:zuv.exe"_s, false},
        {u"cmd.exe"_s, false},
        {u"zuv.exe /c del"_s, false},
        {u"zuvx.exe"_s, false},
        {u" zuv.exe"_s, false},
        {u""_s, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(showUsersRequest(row.program + u"||t||x||1"_s).has_value(), row.accepted)
            << row.program;
        EXPECT_EQ(infoPanelClick(u"SHOWUSERS"_s, row.program + u"||t||x||1"_s, kAccount, {}).kind,
                  row.accepted ? InfoPanelAction::SendCommand : InfoPanelAction::Nothing)
            << row.program;
    }
}

TEST(InfoPanelClick, OpenGBrowserFillsTheMarkersOnceAndStartsOnlyTheWebView)
{
    // The password itself holds a marker: what is put in is never read again.
    const PanelAccount account{u"http://zuv.example"_s, u"100001"_s, u"a*.l*b"_s};
    const QString heslo = LoginLink::Heslo(account.password);
    const InfoPanelAction action = infoPanelClick(
        u"openGbrowser"_s,
        u"zuv*.l*page.php?idh=*.Zuvidh*&h=*.!Zuvh*&p=*.Zuvh*|=|9000||7000||Stránka"_s, account,
        u"/prog"_s);
    ASSERT_EQ(action.kind, InfoPanelAction::StartBrowser);
    const QString page = u"zuv/page.php?idh=100001&h="_s + heslo + u"&p=a*.l*b"_s;
    EXPECT_EQ(action.browser.message, page + u"\r\n9000/@/7000/@/Stránka"_s);
    EXPECT_EQ(action.browser.launch, u"/prog\\ZuvBrowser.exe http://zuv.example/"_s + page +
                                         u"/@/9000/@/7000/@/Stránka"_s);

    const BrowserRequest bare = openBrowserRequest(kAccount, u"/prog"_s, u"faq"_s);
    EXPECT_EQ(bare.message, u"faq\r\n"_s);
    EXPECT_EQ(bare.launch, u"/prog\\ZuvBrowser.exe http://zuv.example/faq/@/"_s);
}
