// The player on real components: a stream from a local icecast2 fed by
// ffmpeg, a second copy of the real program, the server's reply to the
// listening report.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <catalog/listradios.h>
#include <catalog/stationlistmodel.h>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/instance.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/codepage.h>
#include <foundation/gui/media/mediaplayer.h>
#include <foundation/optionsfile.h>
#include <foundation/serversettings.h>
#include <gtest/gtest.h>
#include <memory>
#include <sorvanta.h>
#include <support/icecastprocess.h>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::radio;

namespace {

struct StreamFixture : zuvtest::TempSuite
{
    StreamFixture()
    {
        setEnv("ZUV_AUDIO_OUT", "null");
        OptionsFile options;
        options.load();
        options.save({{OptionKeys::Zuvid, u"100001"_s}, {OptionKeys::SVskin, u"Den"_s}});
        const QDir skins(QStringLiteral(ZUV_SUITE_DIR) + u"/Zuv_Data/skins"_s);
        QDir().mkpath(data(u"skins"_s));
        for (const QString& file : skins.entryList({u"*.skin"_s}, QDir::Files))
            QFile::copy(skins.filePath(file), data(u"skins/"_s + file));
    }
    ~StreamFixture() { form.reset(); }

    Sorvanta& open()
    {
        form = std::make_unique<Sorvanta>();
        EXPECT_TRUE(form->Form_Load({}));
        form->show();
        form->WindowsMediaPlayer1.setRetryDelays({200, 200, 400, 400, 800});
        return *form;
    }
    bool statusBecomes(const QString& status, int timeoutMs = 10000) const
    {
        return zuvtest::waitFor([&] { return form->InfoStatus.text() == status; }, timeoutMs);
    }

    std::unique_ptr<Sorvanta> form;
};

} // namespace

TEST(PlayerStream, PlaysShowsTheTitleAndReconnectsByItself)
{
    if (!zuvtest::IcecastProcess::available())
        GTEST_SKIP() << "icecast2 or ffmpeg missing";
    zuvtest::IcecastProcess icecast;
    ASSERT_TRUE(icecast.started()) << icecast.log();
    ASSERT_TRUE(icecast.startSource());
    StreamFixture suite;
    Sorvanta& form = suite.open();

    // As another program asks it to: "p:" with the address.
    ASSERT_EQ(SendCopyData(FindWindowA(u"Sorvanta"_s), u"p:"_s + icecast.streamURL()), -1);
    ASSERT_TRUE(suite.statusBecomes(u"Přehrávání"_s)) << form.InfoStatus.text();
    EXPECT_EQ(form.PlayTL.text(), u"Stop"_s);
    EXPECT_TRUE(form.InfoStatus.isVisible());
    ASSERT_TRUE(zuvtest::waitFor([&] { return form.InfoTime.text() >= u"00:02"_s; }));

    ASSERT_TRUE(icecast.setTitle(u"Žluťoučký kůň úpěl ódy"_s));
    EXPECT_TRUE(zuvtest::waitFor(
        [&] { return form.InfoName.toolTip() == u"Žluťoučký kůň úpěl ódy"_s; }, 15000))
        << form.InfoName.toolTip();
    EXPECT_EQ(form.InfoName.text(), u"Žluťoučký kůň ú..."_s);

    ASSERT_TRUE(icecast.killSource());
    EXPECT_TRUE(suite.statusBecomes(u"Obnovování spojení…"_s)) << form.InfoStatus.text();
    ASSERT_TRUE(icecast.startSource());
    EXPECT_TRUE(suite.statusBecomes(u"Přehrávání"_s, 15000)) << form.InfoStatus.text();

    form.PlayTL_Click();
    EXPECT_NE(form.WindowsMediaPlayer1.status(), u"Přehrávání"_s);
    EXPECT_EQ(form.PlayTL.text(), u"Zapnout"_s);
}

TEST(PlayerStream, AddressesThatGiveNoSound)
{
    StreamFixture suite;
    suite.write(u"not-audio.txt"_s, "Tohle není zvuk.\n");
    Sorvanta& form = suite.open();
    for (const QString& url :
         {u"http://127.0.0.1:9/radio"_s, suite.path(u"not-audio.txt"_s), u"x:/@/"_s}) {
        QElapsedTimer clock;
        clock.start();
        form.PlayAll(url);
        EXPECT_LT(clock.elapsed(), 500) << "the window never waits for the stream";
        EXPECT_TRUE(suite.statusBecomes(u"Spojení se nezdařilo"_s, 20000))
            << url << ": " << form.InfoStatus.text();
        form.PlayStop();
    }
}

TEST(PlayerProgram, ASecondCopyHandsOverFmaxAndEnds)
{
    StreamFixture suite;
    // This test is the first copy: it holds the lock and the window.
    ASSERT_FALSE(PrevInstance(SingleInstanceProgram::Radio));
    QStringList received;
    BusWindow first;
    first.setHandler([&received](quint32, quint64, const QByteArray& bytes) {
        received << CodePage::decode(bytes);
        return qint64(-1);
    });
    ASSERT_TRUE(first.publish(u"Sorvanta"_s));

    QProcess second;
    second.start(zuvtest::suitePath(u"sorvanta"_s), {});
    ASSERT_TRUE(zuvtest::waitFor([&] { return second.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(received, QStringList{u"fmax"_s});
    EXPECT_EQ(first.caption(), u"Sorvanta"_s);
    EXPECT_TRUE(zuvtest::logLines(suite.shellLog()).isEmpty()) << "no messenger start";
}

TEST(PlayerCatalog, DownloadsTheCatalogTunesAStationAndKeepsItAsAFavourite)
{
    if (!zuvtest::IcecastProcess::available())
        GTEST_SKIP() << "icecast2 or ffmpeg missing";
    zuvtest::IcecastProcess icecast;
    ASSERT_TRUE(icecast.started()) << icecast.log();
    ASSERT_TRUE(icecast.startSource());
    zuvtest::Zuvd zuvd({u"--demo-stream"_s, icecast.streamURL()});
    ASSERT_TRUE(zuvd.started());
    StreamFixture suite;
    suite.write(u"Zuv_Data/zuv_server.tt"_s, zuvd.get("/server.tt?/").body);
    // The real downloader, from the program folder.
    ASSERT_TRUE(QFile::link(zuvtest::suitePath(u"load"_s), suite.path(u"load"_s)));
    Sorvanta& player = suite.open();

    player.Naladit();
    ListRadios& browser = *player.stationBrowser();
    ASSERT_TRUE(
        zuvtest::waitFor([&] { return browser.Label1.text() == u"Hotovo, připraven..."_s; }, 15000))
        << browser.Label1.text();
    EXPECT_GT(browser.TreeView1.topLevelItemCount(), 1);
    EXPECT_TRUE(QFile::exists(suite.path(u"radios.tt"_s)));
    EXPECT_FALSE(QFile::exists(suite.path(u"seznam.tt.part"_s)));

    // The demo station leads the list; tuned at its first quality it plays.
    int row = -1;
    for (int r = 0; r < browser.model().rowCount(); ++r)
        if (browser.model().keyAt(r) == u"zuvzd0001"_s)
            row = r;
    ASSERT_GE(row, 0);
    browser.selectRow(row);
    browser.NaladitRadio(u"1"_s);
    EXPECT_TRUE(suite.statusBecomes(u"Přehrávání"_s)) << player.InfoStatus.text();
    EXPECT_EQ(player.currentStationName(), u"Zuv demo rádio"_s);

    browser.PridejRadioDoFAST(u"1"_s);
    player.PlayStop();
    ASSERT_EQ(player.Control_List.count(), 1);
    EXPECT_TRUE(player.Control_List.item(0)->text().startsWith(u"Zuv demo rádio  (128kbps)"_s));
    player.Control_List.setCurrentRow(0);
    player.Control_List_Click();
    player.Control_List_DblClick();
    EXPECT_TRUE(suite.statusBecomes(u"Přehrávání"_s)) << player.InfoStatus.text();
}
