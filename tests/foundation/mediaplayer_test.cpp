#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <foundation/codepage.h>
#include <foundation/gui/media/mediaplayer.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <support/icecastprocess.h>
#include <support/processes.h>
#include <support/qtprint.h>
#include <support/testhttpserver.h>
#include <vector>

using zuv::MediaPlayer;
using zuvtest::waitFor;

static std::ostream& operator<<(std::ostream& os, const QStringList& list)
{
    PrintTo(list, &os);
    return os;
}

namespace {

const QString kReady = QStringLiteral("Připraveno");
const QString kConnecting = QStringLiteral("Připojování…");
const QString kPlaying = QStringLiteral("Přehrávání");
const QString kStopped = QStringLiteral("Zastaveno");
const QString kReconnecting = QStringLiteral("Obnovování spojení…");
const QString kFailed = QStringLiteral("Spojení se nezdařilo");

void runEvents(int milliseconds)
{
    waitFor([] { return false; }, milliseconds);
}

// Every status the player reported, in order.
class StatusTrail
{
public:
    explicit StatusTrail(MediaPlayer& player)
    {
        QObject::connect(&player, &MediaPlayer::statusChanged, &m_context,
                         [this](const QString& status) { statuses << status; });
    }
    QStringList statuses;

private:
    QObject m_context;
};

std::unique_ptr<MediaPlayer> makePlayer(QList<int> retryDelays = {})
{
    // Tests play into nothing, also where a sound server runs.
    qputenv("ZUV_AUDIO_OUT", "null");
    auto player = std::make_unique<MediaPlayer>();
    if (!retryDelays.isEmpty())
        player->setRetryDelays(std::move(retryDelays));
    return player;
}

// A mono 16-bit PCM WAV file of a 440 Hz tone.
QByteArray waveBytes(double seconds)
{
    constexpr int rate = 8000;
    const int samples = int(seconds * rate);
    QByteArray data;
    for (int i = 0; i < samples; ++i) {
        const qint16 value = qint16(8000 * std::sin(2 * M_PI * 440 * i / rate));
        data.append(char(value & 0xff)).append(char((value >> 8) & 0xff));
    }
    QByteArray file;
    auto le = [&file](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            file.append(char((value >> (8 * i)) & 0xff));
    };
    file += "RIFF";
    le(quint32(36 + data.size()), 4);
    file += "WAVEfmt ";
    le(16, 4);
    le(1, 2); // PCM
    le(1, 2); // mono
    le(rate, 4);
    le(rate * 2, 4);
    le(2, 2);
    le(16, 2);
    file += "data";
    le(quint32(data.size()), 4);
    return file + data;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

QString urlOf(const zuvtest::TestHttpServer& server, const char* path)
{
    return QString::fromStdString(server.base() + path);
}

int closedLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Runs events until `condition` holds and tells the longest time the event
// loop went without a turn meanwhile.
struct LoopWatch
{
    qint64 longestGapMs = 0;
    bool waitFor(const std::function<bool()>& condition, int timeoutMs)
    {
        QElapsedTimer sinceTick;
        sinceTick.start();
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longestGapMs = std::max(longestGapMs, sinceTick.restart()); });
        ticker.start(10);
        return zuvtest::waitFor(condition, timeoutMs);
    }
};

// A station that answers every request of the stream with 503 and notes when.
class BusyStation
{
public:
    BusyStation()
    {
        m_server.routes().Get("/live.mp3", [this](const httplib::Request&, httplib::Response& res) {
            {
                std::lock_guard lock(m_mutex);
                m_times.push_back(std::chrono::steady_clock::now());
            }
            res.status = 503;
            res.set_content("busy", "text/plain");
        });
        m_server.start();
    }
    QString url() const { return urlOf(m_server, "/live.mp3"); }
    std::vector<std::chrono::steady_clock::time_point> requests()
    {
        std::lock_guard lock(m_mutex);
        return m_times;
    }

private:
    zuvtest::TestHttpServer m_server;
    std::mutex m_mutex;
    std::vector<std::chrono::steady_clock::time_point> m_times;
};

} // namespace

TEST(MediaPositionText, ShowsMinutesAndFromAnHourOnHours)
{
    const struct
    {
        double seconds;
        const char* text;
    } cases[] = {
        {0, "00:00"},      {59, "00:59"},     {59.9, "00:59"},     {61, "01:01"}, {3599, "59:59"},
        {3600, "1:00:00"}, {3725, "1:02:05"}, {36000, "10:00:00"}, {-3, "00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zuv::mediaPositionText(c.seconds), QString::fromLatin1(c.text)) << c.seconds;
}

TEST(DecodeStreamTitle, KeepsUtf8AndTakesOtherBytesAsWindows1250)
{
    const QString czech = QStringLiteral("Příliš žluťoučký kůň – Ďábelské ódy");
    const struct
    {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"Artist - Song", QStringLiteral("Artist - Song")},
        {czech.toUtf8(), czech},
        {zuv::CodePage::encode(czech), czech},
        // One stray byte is enough to make the whole title Windows-1250.
        {"Caf\xc3\xa9 \x9a", QStringLiteral("CafĂ© š")},
        {{}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(zuv::decodeStreamTitle(c.bytes), c.text) << c.bytes.toHex().constData();
}

TEST(MediaPlayer, WithoutAutoStartASetURLWaitsForPlay)
{
    zuvtest::TestHttpServer station;
    const QByteArray wave = waveBytes(5);
    station.routes().Get("/tone.wav", [&](const httplib::Request&, httplib::Response& res) {
        res.set_content(wave.constData(), size_t(wave.size()), "audio/wav");
    });
    station.start();
    auto player = makePlayer();
    EXPECT_EQ(player->status(), kReady);
    EXPECT_EQ(player->currentItemTitle(), u"");
    EXPECT_EQ(player->currentPositionString(), u"");

    player->setAutoStart(false);
    player->setURL(urlOf(station, "/tone.wav"));
    runEvents(500);
    EXPECT_TRUE(station.targets().empty()) << "the item was fetched before play()";
    EXPECT_EQ(player->status(), kReady);

    player->play();
    EXPECT_TRUE(waitFor([&] { return player->status() == kPlaying; }, 10000)) << player->status();
    EXPECT_FALSE(station.targets().empty());
    EXPECT_EQ(player->currentItemTitle(), u"tone.wav");
}

TEST(MediaPlayer, AFilePlaysToItsEndAndStops)
{
    QTemporaryDir dir;
    const QByteArray tone = waveBytes(3.5);
    zuvtest::TestHttpServer web;
    web.routes().Get("/tone.wav", [&tone](const httplib::Request&, httplib::Response& res) {
        res.set_content(tone.toStdString(), "audio/wav");
    });
    web.start();
    // A file fetched over the network has a length as a local one has; only
    // a station's endless stream is tried again when it ends.
    for (const QString& url :
         {writeFile(dir, QStringLiteral("tone.wav"), tone), urlOf(web, "/tone.wav")}) {
        auto player = makePlayer({50, 50});
        StatusTrail trail(*player);
        player->setURL(url);
        ASSERT_TRUE(waitFor([&] { return player->status() == kStopped; }, 10000))
            << url << trail.statuses;
        runEvents(300);
        EXPECT_EQ(trail.statuses, QStringList({kConnecting, kPlaying, kStopped})) << url;
        EXPECT_EQ(player->currentPositionString(), u"");
        EXPECT_EQ(player->currentItemTitle(), u"");
    }
}

TEST(MediaPlayer, ItemThatIsNoAudioFailsWithoutRetries)
{
    QTemporaryDir dir;
    zuvtest::TestHttpServer web;
    web.routes().Get("/page.html", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("<!DOCTYPE html><html><head><title>Rádio</title></head>"
                        "<body><p>Toto není zvuk.</p></body></html>",
                        "text/html; charset=utf-8");
    });
    web.start();
    const QString cases[] = {
        urlOf(web, "/page.html"),
        writeFile(dir, QStringLiteral("notes.txt"), "Toto také ne.\nAni tohle.\n"),
    };
    for (const QString& url : cases) {
        auto player = makePlayer({50, 50, 50});
        StatusTrail trail(*player);
        player->setURL(url);
        EXPECT_TRUE(waitFor([&] { return player->status() == kFailed; }, 10000))
            << url << trail.statuses;
        runEvents(300);
        EXPECT_EQ(trail.statuses, QStringList({kConnecting, kFailed})) << url;
    }
}

TEST(MediaPlayer, RetriesAStationWithGrowingPausesThenGivesUp)
{
    BusyStation station;
    const QList<int> delays = {100, 200, 300, 400, 500};
    auto player = makePlayer(delays);
    StatusTrail trail(*player);
    player->setURL(station.url());
    ASSERT_TRUE(waitFor([&] { return player->status() == kFailed; }, 15000)) << trail.statuses;
    EXPECT_EQ(trail.statuses, QStringList({kConnecting, kReconnecting, kFailed}));

    runEvents(700);
    const auto requests = station.requests();
    ASSERT_EQ(requests.size(), size_t(delays.size() + 1)) << "one first try and one per pause";
    for (qsizetype i = 0; i < delays.size(); ++i) {
        const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(
                             requests[size_t(i + 1)] - requests[size_t(i)])
                             .count();
        EXPECT_GE(gap, delays[i] * 9 / 10) << "pause before try " << i + 1;
    }
}

TEST(MediaPlayer, UnreachableStationFailsWhileTheLoopRuns)
{
    auto player = makePlayer({50, 100, 150, 200, 250});
    LoopWatch loop;
    player->setURL(QStringLiteral("http://127.0.0.1:%1/live.mp3").arg(closedLoopbackPort()));
    EXPECT_TRUE(loop.waitFor([&] { return player->status() == kFailed; }, 15000))
        << player->status();
    EXPECT_LT(loop.longestGapMs, 300);
}

TEST(MediaPlayer, SilentStationNeitherBlocksTheLoopNorTheEnd)
{
    // Connections complete in the backlog and never get an answer.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    auto player = makePlayer();
    LoopWatch loop;
    player->setURL(QStringLiteral("http://127.0.0.1:%1/live.mp3").arg(silent.serverPort()));
    loop.waitFor([] { return false; }, 1500);
    EXPECT_EQ(player->status(), kConnecting);
    EXPECT_LT(loop.longestGapMs, 300);

    QElapsedTimer clock;
    clock.start();
    player->stop();
    EXPECT_EQ(player->status(), kStopped);
    player.reset();
    EXPECT_LT(clock.elapsed(), 2000) << "ending waited for the station";
}

TEST(MediaPlayer, StopCloseAndNewURLCancelAPendingRetry)
{
    const struct
    {
        const char* name;
        std::function<void(MediaPlayer&)> action;
        QString status;
    } cases[] = {
        {"stop", [](MediaPlayer& p) { p.stop(); }, kStopped},
        {"close", [](MediaPlayer& p) { p.close(); }, kReady},
        {"setURL",
         [](MediaPlayer& p) {
             p.setAutoStart(false);
             p.setURL(QStringLiteral("http://127.0.0.1:9/other.mp3"));
         },
         kReady},
    };
    for (const auto& c : cases) {
        BusyStation station;
        auto player = makePlayer({400});
        player->setURL(station.url());
        ASSERT_TRUE(waitFor([&] { return player->status() == kReconnecting; }, 10000))
            << c.name << ": " << player->status();
        c.action(*player);
        EXPECT_EQ(player->status(), c.status) << c.name;
        runEvents(800);
        EXPECT_EQ(player->status(), c.status) << c.name;
        EXPECT_EQ(station.requests().size(), 1u) << c.name << ": the retry still ran";
    }
}

TEST(MediaPlayer, StreamThatPlaysAgainEarnsNewTries)
{
    // Each fetch is a stream that breaks off soon (sent without a length, as
    // a station sends): it plays, ends and is fetched again. With only one
    // try per outage the player gives up unless playing resets it.
    zuvtest::TestHttpServer station;
    const QByteArray wave = waveBytes(0.4);
    station.routes().Get("/short.wav", [&](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("audio/wav", [&wave](size_t, httplib::DataSink& sink) {
            sink.write(wave.constData(), size_t(wave.size()));
            sink.done();
            return true;
        });
    });
    station.start();
    auto player = makePlayer({50});
    StatusTrail trail(*player);
    player->setURL(urlOf(station, "/short.wav"));
    waitFor([&] { return trail.statuses.count(kPlaying) >= 3 || trail.statuses.contains(kFailed); },
            15000);
    EXPECT_GE(trail.statuses.count(kPlaying), 3) << trail.statuses;
    EXPECT_FALSE(trail.statuses.contains(kFailed)) << trail.statuses;
    player->stop();
}

class LiveStream : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!zuvtest::IcecastProcess::available())
            GTEST_SKIP() << "icecast2 or ffmpeg is not installed";
        server = std::make_unique<zuvtest::IcecastProcess>();
        ASSERT_TRUE(server->started()) << server->log();
        ASSERT_TRUE(server->startSource()) << server->log();
    }

    std::unique_ptr<zuvtest::IcecastProcess> server;
};

TEST_F(LiveStream, ConnectsPlaysAndCountsTheTime)
{
    auto player = makePlayer();
    StatusTrail trail(*player);
    QElapsedTimer clock;
    clock.start();
    player->setURL(server->streamURL());
    ASSERT_TRUE(waitFor([&] { return player->status() == kPlaying; }, 10000)) << trail.statuses;
    RecordProperty("play_to_playing_ms", int(clock.elapsed()));
    EXPECT_EQ(trail.statuses.front(), kConnecting);

    const QRegularExpression shortTime(QStringLiteral("^00:0\\d$"));
    QString first;
    ASSERT_TRUE(waitFor([&] { return !(first = player->currentPositionString()).isEmpty(); }))
        << trail.statuses;
    EXPECT_TRUE(shortTime.match(first).hasMatch()) << first;
    ASSERT_TRUE(waitFor([&] { return player->currentPositionString() != first; }, 3000))
        << "the position stays at " << first;
    EXPECT_TRUE(shortTime.match(player->currentPositionString()).hasMatch())
        << player->currentPositionString();
    player->setVolume(30);
    EXPECT_EQ(player->volume(), 30);
    runEvents(200);
    EXPECT_EQ(player->status(), kPlaying);
}

TEST_F(LiveStream, ShowsTheTitleTheStationSends)
{
    auto player = makePlayer();
    QStringList titles;
    QObject::connect(player.get(), &MediaPlayer::titleChanged,
                     [&](const QString& title) { titles << title; });
    const QString utf8Title = QStringLiteral("Žluťoučký kůň");
    ASSERT_TRUE(server->setTitle(utf8Title));
    player->setURL(server->streamURL());
    EXPECT_TRUE(waitFor([&] { return player->currentItemTitle() == utf8Title; }, 10000))
        << player->currentItemTitle() << titles;

    // An older encoder sends its Windows-1250 bytes; the change comes in the
    // running stream.
    const QString oldTitle = QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy");
    ASSERT_TRUE(server->setTitle(zuv::CodePage::encode(oldTitle)));
    EXPECT_TRUE(waitFor([&] { return player->currentItemTitle() == oldTitle; }, 15000))
        << player->currentItemTitle();
    ASSERT_FALSE(titles.isEmpty());
    EXPECT_EQ(titles.back(), oldTitle);
}

TEST_F(LiveStream, ShowsBufferingWhileTheSourceStalls)
{
    auto player = makePlayer();
    StatusTrail trail(*player);
    player->setURL(server->streamURL());
    ASSERT_TRUE(waitFor([&] { return player->status() == kPlaying; }, 10000)) << trail.statuses;

    server->pauseSource(true);
    const QRegularExpression buffering(
        QStringLiteral("^Načítání do vyrovnávací paměti: \\d{1,3} %$"));
    EXPECT_TRUE(waitFor([&] { return buffering.match(player->status()).hasMatch(); }, 10000))
        << trail.statuses;
    server->pauseSource(false);
    EXPECT_TRUE(waitFor([&] { return player->status() == kPlaying; }, 10000)) << trail.statuses;
}

TEST_F(LiveStream, ReconnectsByItselfWhenTheSourceComesBack)
{
    auto player = makePlayer({300, 600, 1200, 2400, 4800});
    StatusTrail trail(*player);
    player->setURL(server->streamURL());
    ASSERT_TRUE(waitFor([&] { return player->status() == kPlaying; }, 10000)) << trail.statuses;

    ASSERT_TRUE(server->killSource()) << server->log();
    ASSERT_TRUE(waitFor([&] { return player->status() == kReconnecting; }, 15000))
        << trail.statuses;
    EXPECT_EQ(player->currentPositionString(), u"");
    ASSERT_TRUE(server->startSource()) << server->log();
    EXPECT_TRUE(waitFor([&] { return player->status() == kPlaying; }, 15000)) << trail.statuses;
    EXPECT_FALSE(trail.statuses.contains(kFailed)) << trail.statuses;
}

TEST(MediaPlayer, PlaysTheEntriesOfAWplPlaylistInOrder)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("Music/Sub"));
    writeFile(dir, QStringLiteral("Music/Sub/one.wav"), waveBytes(1.2));
    writeFile(dir, QStringLiteral("Music/two & <three>.wav"), waveBytes(1.2));
    // As the library writes it: Windows-1250, "\" separators, XML references,
    // paths from the playlist's folder.
    const QString playlist = writeFile(dir, QStringLiteral("list.wpl"),
                                       "<?wpl version=\"1.0\"?>\r\n<smil>\r\n<body>\r\n<seq>\r\n"
                                       "<media src=\"Music\\Sub\\one.wav\"/>\r\n"
                                       "<media src=\"Music\\two &amp; &lt;three&gt;.wav\"/>\r\n"
                                       "</seq>\r\n</body>\r\n</smil>\r\n");
    EXPECT_EQ(zuv::wplEntries(playlist),
              QStringList({dir.filePath(QStringLiteral("Music/Sub/one.wav")),
                           dir.filePath(QStringLiteral("Music/two & <three>.wav"))}));

    auto player = makePlayer();
    StatusTrail trail(*player);
    QStringList titles;
    QObject::connect(player.get(), &MediaPlayer::titleChanged,
                     [&](const QString& title) { titles << title; });
    player->setURL(playlist);
    ASSERT_TRUE(waitFor([&] { return player->status() == kStopped; }, 15000))
        << trail.statuses << titles;
    runEvents(300);
    EXPECT_EQ(trail.statuses, QStringList({kConnecting, kPlaying, kStopped}));
    titles.removeAll(QString());
    EXPECT_EQ(titles,
              QStringList({QStringLiteral("one.wav"), QStringLiteral("two & <three>.wav")}));
}
