// The station browser and the player's favourites driven in-process: the
// catalog download from reply files, the station's commands and the list.
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMenu>
#include <catalog/listradios.h>
#include <catalog/stationlistmodel.h>
#include <foundation/bus/buswindow.h>
#include <foundation/codepage.h>
#include <foundation/gui/media/mediaplayer.h>
#include <foundation/loginlink.h>
#include <foundation/optionsfile.h>
#include <gtest/gtest.h>
#include <memory>
#include <sorvanta.h>
#include <support/processes.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::radio;

namespace {

QString record(const QString& id, const QString& name, const QString& mark, const QString& category,
               const QStringList& rates, const QString& web = {})
{
    QStringList fields{id, name, mark, u""_s, u"Česko"_s, category};
    for (int level = 1; level <= 5; ++level)
        fields << (rates.value(level - 1).isEmpty()
                       ? QString()
                       : u"http://127.0.0.1:9/"_s + id + u'/' + QString::number(level));
    for (int level = 1; level <= 5; ++level)
        fields << rates.value(level - 1);
    fields << web << u"Popis stanice "_s + name;
    return fields.join(u"/@/"_s);
}

const QStringList kStations = {
    record(u"111111"_s, u"Rock Praha"_s, u"tip: nejlepší"_s, u"10010001"_s,
           {u"64"_s, u""_s, u"128"_s}, u"http://rock.example"_s),
    record(u"222222"_s, u"Pop Brno"_s, u"x"_s, u"100100"_s, {u"32"_s}),
    record(u"333333"_s, u"Zprávy"_s, u"x"_s, u"100200"_s, {u"24"_s, u"48"_s}),
    record(u"444444"_s, u"Skupina AB"_s, u"x"_s, u"100000ab"_s, {u"96"_s}),
    record(u"555555"_s, u"Televize"_s, u"x"_s, u"100003"_s, {u"500"_s}),
};
const QStringList kCategories = {
    u"new//100000/@/Všechna rádia"_s, u"add//100000ab/@/Skupina AB"_s,
    u"new//100100/@/Pop a rock"_s,    u"add//10010001/@/Rock"_s,
    u"new//100200/@/Mluvené slovo"_s, u"new//100003/@/Televize"_s,
};

QByteArray crlf(const QStringList& lines)
{
    return zuvtest::cp1250(lines.join(u"\r\n"_s) + u"\r\n"_s);
}

struct BrowserFixture : zuvtest::TempSuite
{
    BrowserFixture()
    {
        setEnv("ZUV_AUDIO_OUT", "null");
        setEnv("ZUV_ONLINE", "1");
        const QDir skins(QStringLiteral(ZUV_SUITE_DIR) + u"/Zuv_Data/skins"_s);
        QDir().mkpath(data(u"skins"_s));
        for (const QString& file : skins.entryList({u"*.skin"_s}, QDir::Files))
            QFile::copy(skins.filePath(file), data(u"skins/"_s + file));
        OptionsFile options;
        options.load();
        options.save({{OptionKeys::Zuvid, u"100001"_s}, {OptionKeys::Zuvpass, u"heslo"_s}});
        ServerSettings server;
        server.updateHost = u"127.0.0.1:9"_s;
        server.serverBase = u"http://127.0.0.1:9"_s;
        server.activeInterval = server.passiveInterval = server.thresholdInterval = u"10000"_s;
        write(u"Zuv_Data/zuv_server.tt"_s, server.toLines().join(u"\r\n"_s).toLatin1() + "\r\n");
        write(u"radios.tt"_s, crlf(kStations));
        write(u"kategories.tt"_s, crlf(kCategories));
        player = std::make_unique<Sorvanta>();
        EXPECT_TRUE(player->Form_Load({}));
    }
    ~BrowserFixture() { player.reset(); }

    ListRadios& open()
    {
        QFile::remove(shellLog());
        player->Naladit();
        return *player->stationBrowser();
    }
    QStringList shell() const { return zuvtest::logLines(shellLog()); }
    QStringList boxTexts() const
    {
        QStringList texts;
        for (const QString& line : zuvtest::logLines(msgBoxLog()))
            texts << QJsonDocument::fromJson(line.toUtf8()).object()[u"text"_s].toString();
        return texts;
    }
    QStringList listed(ListRadios& browser) const
    {
        QStringList names;
        for (int row = 0; row < browser.model().rowCount(); ++row)
            names
                << browser.model().data(browser.model().index(row, 0), Qt::DisplayRole).toString();
        return names;
    }
    void clickNode(ListRadios& browser, const QString& name) const
    {
        const auto found = browser.TreeView1.findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1) << name;
        emit browser.TreeView1.itemClicked(found[0], 0);
    }
    void select(ListRadios& browser, const QString& id) const
    {
        for (int row = 0; row < browser.model().rowCount(); ++row)
            if (browser.model().keyAt(row) == u"zuv"_s + id)
                return browser.selectRow(row);
        FAIL() << id;
    }
    // Lets the download finish with these replies; no downloader runs here.
    void download(ListRadios& browser, const QByteArray& probe, const QByteArray& list) const
    {
        write(u"zuv_test_size.tt"_s, probe);
        browser.Timer3_Timer();
        write(u"seznam.tt"_s, list);
        browser.Timer1_Timer();
    }

    std::unique_ptr<Sorvanta> player;
};

} // namespace

TEST(StationBrowser, OpensWithTheStoredCatalogAndAsksForANewOne)
{
    BrowserFixture suite;
    ListRadios& browser = suite.open();
    EXPECT_EQ(browser.windowTitle(), u"Sorvanta - stanice"_s);
    EXPECT_EQ(suite.listed(browser).size(), 5);
    EXPECT_EQ(browser.TreeView1.topLevelItemCount(), 4);
    EXPECT_EQ(browser.Label1.text(), u"Připojování k databázi rádií..."_s);
    EXPECT_EQ(
        suite.shell(),
        QStringList{
            u"4\tload.exe\thttp://127.0.0.1:9/sorvanta.trolvik/sv_list.php?size=1&idh=100001/@/"_s +
            suite.dir() + u"\\zuv_test_size.tt"_s});
    EXPECT_EQ(browser.model().headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
              u"Název rádia"_s);
    // "tip" is bold, and the mark's text stands after the name.
    const QModelIndex first = browser.model().index(0, 0);
    EXPECT_EQ(first.data().toString(), u"Rock Praha nejlepší"_s);
    EXPECT_TRUE(first.data(Qt::FontRole).value<QFont>().bold());
    EXPECT_FALSE(browser.model().index(1, 0).data(Qt::FontRole).value<QFont>().bold());

    suite.player->Naladit();
    EXPECT_EQ(suite.player->stationBrowser(), &browser) << "one browser only";
}

TEST(StationBrowser, TheTreeChoosesTheStations)
{
    BrowserFixture suite;
    ListRadios& browser = suite.open();
    struct Row
    {
        QString node;
        QStringList names;
    };
    const Row rows[] = {
        {u"Pop a rock"_s, {u"Rock Praha nejlepší"_s, u"Pop Brno"_s}},
        {u"Rock"_s, {u"Rock Praha nejlepší"_s}},
        {u"Všechna rádia"_s,
         {u"Rock Praha nejlepší"_s, u"Pop Brno"_s, u"Zprávy"_s, u"Skupina AB"_s, u"Televize"_s}},
        {u"Skupina AB"_s, {u"Skupina AB"_s}},
    };
    for (const Row& row : rows) {
        suite.clickNode(browser, row.node);
        EXPECT_EQ(suite.listed(browser), row.names) << row.node;
        EXPECT_EQ(browser.Label1.text(), u"Zobrazeno %1 rádií"_s.arg(row.names.size()));
    }
}

TEST(StationBrowser, TheDownloadIsTakenOnlyWhenWholeAndTheOldFilesStayOtherwise)
{
    const QStringList list = {u"zuv:k:new//100100/@/Nová kategorie"_s, kStations[1],
                              u"zuv:i:1/@/255/@/50/@/Vítejte!/@/tip/@/openurl/@/faq"_s, u"<end>"_s};
    const QByteArray body = crlf(list);
    struct Row
    {
        const char* what;
        QByteArray probe;
        QByteArray list;
        bool taken;
    };
    const Row rows[] = {
        {"whole", "size:" + QByteArray::number(body.size()) + "\r\n", body, true},
        {"short", "size:" + QByteArray::number(body.size() + 1) + "\r\n", body, false},
        {"long", "size:" + QByteArray::number(body.size() - 1) + "\r\n", body, false},
        {"refused", "zuvnet:error nelze\r\n", body, false},
        {"garbage", "\x01\x02nesmysl\r\n", body, false},
    };
    for (const Row& row : rows) {
        BrowserFixture suite;
        ListRadios& browser = suite.open();
        const QByteArray oldStations = suite.read(u"radios.tt"_s);
        suite.download(browser, row.probe, row.list);
        EXPECT_FALSE(browser.Timer1.isActive()) << row.what;
        EXPECT_FALSE(browser.Timer3.isActive()) << row.what;
        EXPECT_TRUE(browser.Command1.isEnabled()) << row.what;
        if (row.taken) {
            EXPECT_EQ(browser.Label1.text(), u"Hotovo, připraven..."_s);
            EXPECT_EQ(suite.read(u"radios.tt"_s), crlf({kStations[1]}));
            EXPECT_EQ(suite.read(u"kategories.tt"_s), crlf({u"new//100100/@/Nová kategorie"_s}));
            EXPECT_EQ(browser.TreeView1.topLevelItemCount(), 1);
            EXPECT_EQ(suite.listed(browser), QStringList{u"Pop Brno"_s});
            EXPECT_TRUE(browser.InfoPanel.isVisibleTo(&browser));
            EXPECT_TRUE(browser.TimerInPan.isActive());
        } else {
            EXPECT_EQ(browser.Label1.text(),
                      u"Aktualizaci nyní nelze provést, zkuste to prosím později."_s)
                << row.what;
            EXPECT_EQ(suite.read(u"radios.tt"_s), oldStations) << row.what;
        }
    }
}

TEST(StationBrowser, TheListRequestAndTheUpdateButton)
{
    BrowserFixture suite;
    ListRadios& browser = suite.open();
    QFile::remove(suite.shellLog());
    suite.write(u"zuv_test_size.tt"_s, "size:100\r\n");
    browser.Timer3_Timer();
    EXPECT_EQ(suite.shell(),
              QStringList{
                  u"4\tload.exe\thttp://127.0.0.1:9/sorvanta.trolvik/sv_list.php?idh=100001/@/"_s +
                  suite.dir() + u"/seznam.tt"_s});
    EXPECT_EQ(browser.expectedSize(), 100);
    // Half of it came before the downloader ended: that is no catalog.
    suite.write(u"seznam.tt.part"_s, QByteArray(50, 'x'));
    browser.Timer1_Timer();
    EXPECT_EQ(browser.Label1.text(),
              u"Aktualizaci nyní nelze provést, zkuste to prosím později."_s);

    suite.setEnv("ZUV_ONLINE", "0");
    browser.Command1_Click();
    EXPECT_FALSE(browser.Command1.isEnabled());
    EXPECT_EQ(suite.boxTexts(),
              QStringList{u"Nejste připojeni k internetu.\r\nProsím připojte se!"_s});
}

TEST(StationBrowser, QualitiesTuningAndTelevision)
{
    BrowserFixture suite;
    ListRadios& browser = suite.open();
    suite.select(browser, u"111111"_s);
    EXPECT_EQ(browser.Label2.text(), u"Rock Praha"_s);
    EXPECT_EQ(browser.Label4.text(), u"http://rock.example"_s);
    EXPECT_EQ(browser.Text1.toPlainText(), u"Popis stanice Rock Praha"_s);
    browser.MenuRadia();
    QStringList offered;
    for (QAction* item : browser.NaladRadio->actions())
        if (item->isVisible())
            offered << item->text();
    EXPECT_EQ(offered, (QStringList{u"64 kbps"_s, u"128 kbps"_s}));

    browser.NaladitRadio(u"3"_s);
    EXPECT_EQ(suite.player->settings().CurrentStationId, u"111111"_s);
    EXPECT_EQ(suite.player->settings().CurrentQuality, u"3"_s);
    EXPECT_EQ(suite.player->PlayTL.text(), u"Stop"_s);
    EXPECT_EQ(suite.player->WindowsMediaPlayer1.URL(), u"http://127.0.0.1:9/111111/3"_s);

    // Television plays elsewhere; the radio's station stays.
    suite.select(browser, u"555555"_s);
    EXPECT_FALSE(browser.DostupnaKvalita->menuAction()->isVisible());
    EXPECT_FALSE(browser.Label5.isVisibleTo(&browser));
    QFile::remove(suite.shellLog());
    browser.NaladitRadio(u"1"_s);
    EXPECT_EQ(suite.shell(),
              QStringList{u"1\t"_s + suite.dir() + u"\\Miravo.exe\thttp://127.0.0.1:9/555555/1"_s});
    EXPECT_EQ(suite.player->settings().CurrentStationId, u"111111"_s);
    EXPECT_EQ(suite.player->settings().CurrentQuality, u"3"_s);
}

TEST(StationBrowser, TheStationsCommands)
{
    BrowserFixture suite;
    ListRadios& browser = suite.open();
    browser.ShowUsers();
    browser.Potize();
    EXPECT_EQ(suite.boxTexts(),
              (QStringList{u"Vyberte prosím rádio, jehož posluchače chcete zobrazit."_s,
                           u"Vyberte prosím rádio, s jehož poslechem máte potíže."_s}));

    suite.select(browser, u"333333"_s);
    QFile::remove(suite.shellLog());
    browser.Potize();
    browser.Diskuze();
    browser.OpenWeb(u"http://zpravy.example"_s);
    browser.Image3_Click();
    EXPECT_EQ(
        suite.shell(),
        (QStringList{
            u"1\tremind.exe\tRadioOFF/@/333333/@/Zprávy/@/100001/@/heslo/@/http://127.0.0.1:9"_s,
            u"2\t"_s + suite.dir() +
                u"\\ZuvBrowser.exe\thttp://127.0.0.1:9\\zuv\\diskuze.php?idh=100001&h=heslo&t=100000&tid=333333/@/9000/@/9000/@/Diskuze k rádiové stanici: Zprávy (Zuvnet)/@/normal/@/endtestnull/@/"_s,
            u"open\t\thttp://zpravy.example"_s,
            u"open\t\thttp://127.0.0.1:9/login/100001/"_s + LoginLink::Heslo(u"heslo"_s) + u"//1"_s,
        }));

    // The listeners: the messenger is started and the command waits for it.
    QStringList toMessenger;
    BusWindow messenger;
    messenger.setHandler([&toMessenger](quint32, quint64, const QByteArray& bytes) {
        toMessenger << CodePage::decode(bytes);
        return qint64(-1);
    });
    messenger.publish(u"Zuv - Sorvanta"_s);
    browser.ShowUsers();
    EXPECT_EQ(toMessenger, QStringList{u"svs:333333"_s});
}

TEST(StationBrowser, FavouritesFromTheBrowserReachThePlayer)
{
    BrowserFixture suite;
    ListRadios& browser = suite.open();
    EXPECT_EQ(suite.player->Control_List.count(), 0);
    suite.select(browser, u"111111"_s);
    browser.PridejRadioDoFAST(u"1"_s);
    browser.PridejRadioDoFAST(u"1"_s);
    browser.PridejRadioDoFAST(u"3"_s);
    EXPECT_EQ(
        suite.boxTexts(),
        (QStringList{
            u"Rádio bylo přidáno k oblíbeným.\r\nMělo by se zobrazit v seznanu Sorvanty."_s,
            u"Rádio se v oblíbených již nachází."_s,
            u"Rádio bylo přidáno k oblíbeným.\r\nMělo by se zobrazit v seznanu Sorvanty."_s}));
    EXPECT_EQ(suite.read(u"list.tt"_s), "sv:111111/1\r\nsv:111111/3\r\n");

    Sorvanta& player = *suite.player;
    ASSERT_EQ(player.Control_List.count(), 2);
    EXPECT_EQ(player.Control_List.item(1)->text(), u"Rock Praha  (128kbps)"_s);
    EXPECT_TRUE(player.Control_List.isVisibleTo(&player)) << "the list replaces the tune-in label";
    EXPECT_FALSE(player.InfoNaladit.isVisibleTo(&player));

    player.Control_List.setCurrentRow(1);
    player.Control_List_Click();
    EXPECT_EQ(player.settings().CurrentStationId, u"111111"_s);
    EXPECT_EQ(player.settings().CurrentQuality, u"3"_s);
    EXPECT_EQ(player.selectedFavourite(), u"sv:111111/3"_s);
    EXPECT_EQ(player.PlayTL.text(), u"Zapnout"_s) << "a click tunes, nothing plays yet";
    player.Control_List_DblClick();
    EXPECT_EQ(player.PlayTL.text(), u"Stop"_s);
    EXPECT_EQ(player.WindowsMediaPlayer1.URL(), u"http://127.0.0.1:9/111111/3"_s);

    player.PlayStop();
    player.DeleteFromOblibene(u"SV:111111/1"_s);
    EXPECT_EQ(suite.boxTexts().last(), u"Rádio bylo ostraněno z oblíbených."_s);
    EXPECT_EQ(suite.read(u"list.tt"_s), "\r\nsv:111111/3\r\n");
    EXPECT_EQ(player.Control_List.count(), 1);
}

TEST(StationBrowser, TheInfoPanelTypesItsTextAndRefusesForeignPrograms)
{
    BrowserFixture suite;
    ListRadios& browser = suite.open();
    browser.ZobrazInfoPanel(
        u"0/@/x/@/20/@/Vítej, Evo/@/tip/@/showusers/@/..\\bin\\rm||Zuv||x||1"_s);
    QStringList shown;
    for (int tick = 0; tick < 11; ++tick) {
        ASSERT_TRUE(browser.TimerInPan.isActive()) << tick;
        browser.TimerInPan_Timer();
        shown << browser.InfoPanel.text();
    }
    EXPECT_EQ(shown.first(), u""_s);
    EXPECT_EQ(shown.last(), u"Vítej, Evo"_s);
    EXPECT_FALSE(browser.TimerInPan.isActive());
    QFile::remove(suite.shellLog());
    browser.InfoPanel_Click();
    EXPECT_TRUE(suite.shell().isEmpty());
}
