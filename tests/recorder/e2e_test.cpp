// The recorder on real components: the real program started as the radio
// player starts it, and a scheduled recording of a loopback icecast2 stream
// that the media player plays into a PulseAudio daemon of the test's own.
#include "writertestutil.h"

#include <QFile>
#include <QFileInfo>
#include <core/id3tag.h>
#include <form1.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/gui/media/mediaplayer.h>
#include <foundation/gui/pause.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <gtest/gtest.h>
#include <support/icecastprocess.h>
#include <support/processes.h>
#include <support/pulseprocess.h>
#include <support/tempsuite.h>
#include <zuvrecors.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::recorder;

namespace {

const QString kCaption = u"Zuv Recorder (Zuvnet)"_s;

} // namespace

TEST(RecorderProgram, StartsFromThePlayersLaunchStringAndKeepsOneCopy)
{
    zuvtest::TempSuite suite;
    ASSERT_TRUE(QFile::link(zuvtest::suitePath(u"ZuvRecorder"_s), suite.path(u"ZuvRecorder"_s)));
    // The player's record button: "<dir>\ZuvRecorder.exe <station>".
    qint64 first = 0;
    ASSERT_TRUE(Shell(suite.dir() + u"\\ZuvRecorder.exe Rádio Čas"_s, SW_SHOWNORMAL, &first));
    ASSERT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(kCaption)); }, 10000));

    // The library item of the player starts a second copy: it hands over
    // and ends, the first stays.
    qint64 second = 0;
    ASSERT_TRUE(Shell(suite.dir() + u"\\ZuvRecorder.exe l"_s, SW_SHOWNORMAL, &second));
    EXPECT_TRUE(zuvtest::waitFor([&] { return !programRunning(second); }, 10000));
    EXPECT_TRUE(programRunning(first));

    stopProgram(first);
    EXPECT_TRUE(zuvtest::waitFor([&] { return !programRunning(first); }, 10000));
    EXPECT_FALSE(FindWindowA(kCaption));
}

// What the player plays is recorded on schedule: the recording starts in the
// first second of its minute, the size limit ends it, the tag goes in and the
// library groups the file under the station.
TEST(RecorderEndToEnd, AScheduledRecordingOfTheStreamEndsInTheLibrary)
{
    if (!zuvtest::PulseProcess::available() || !zuvtest::IcecastProcess::available())
        GTEST_SKIP() << "pulseaudio, icecast2 or ffmpeg missing";
    zuvtest::TempSuite suite;
    zuvtest::PulseProcess pulse;
    ASSERT_TRUE(pulse.started()) << pulse.log();
    zuvtest::IcecastProcess icecast;
    ASSERT_TRUE(icecast.started()) << icecast.log();
    ASSERT_TRUE(icecast.startSource());
    suite.setEnv("ZUV_AUDIO_OUT", "pulse");
    suite.setEnv("ZUV_WAVEIN_SOURCE", "zuvtest.monitor");
    qunsetenv("ZUV_WAVEIN_FILE");

    MediaPlayer player;
    player.setURL(icecast.streamURL());
    ASSERT_TRUE(zuvtest::waitFor([&] { return player.status() == u"Přehrávání"_s; }, 15000))
        << player.status();

    Form1 form;
    ASSERT_TRUE(form.Form_Load(u"Zuv demo rádio"_s));
    form.show();
    form.ComboBitrate.setCurrentIndex(3);
    form.ComboBitrate_Click();
    const QDateTime next = QDateTime::currentDateTime().addSecs(60);
    form.RecTd.setText(QString::number(next.date().day()));
    form.RecTm.setText(QString::number(next.date().month()));
    form.RecTr.setText(QString::number(next.date().year()));
    form.RecTh.setText(QString::number(next.time().hour()));
    form.RecTmin.setText(QString::number(next.time().minute()));
    form.Option2.setChecked(true);
    form.FileSizeMax.setText(u"0,05"_s);
    form.Check1.setChecked(true);

    ASSERT_TRUE(zuvtest::waitFor([&] { return form.recordingActive(); }, 65000))
        << form.Label23.text();
    const QTime startedAt = QTime::currentTime();
    EXPECT_EQ(startedAt.second(), 0) << startedAt.toString(u"HH:mm:ss.zzz"_s);
    EXPECT_EQ(startedAt.minute(), next.time().minute());
    EXPECT_TRUE(form.capture().IsRecording());
    EXPECT_FALSE(form.RecTmin.isEnabled());

    ASSERT_TRUE(zuvtest::waitFor([&] { return !form.recordingActive(); }, 20000));
    const QString file = resolvePath(form.recordingFile());
    EXPECT_GE(QFileInfo(file).size(), 52429);
    EXPECT_EQ(form.TabStrip1.currentIndex(), 3);
    if (zuvtest::haveFfmpeg()) {
        const auto samples = zuvtest::decodeMono(file, 44100);
        ASSERT_TRUE(samples);
        ASSERT_GT(samples->size(), std::size_t(2 * 44100));
        EXPECT_GT(zuvtest::rms(*samples, 44100, 44100), 1000.0) << "the stream is in the file";
    }

    form.Command4_Click();
    const auto tag = ReadID3Tag(file);
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->artist.trimmed(), u"Zuv demo rádio"_s);
    ASSERT_TRUE(form.library().isVisible());
    ASSERT_TRUE(zuvtest::waitFor([&] { return form.library().Command1.isEnabled(); }));
    const QTreeWidgetItem* artist = form.library().findNode(u"gZuv demo rádio"_s);
    ASSERT_TRUE(artist);
    EXPECT_EQ(artist->text(0), u"Zuv demo rádio (1)"_s);
    ASSERT_EQ(form.library().ListView1.topLevelItemCount(), 1);
    EXPECT_EQ(ZuvRecors::itemPath(form.library().ListView1.topLevelItem(0)), file);
}
