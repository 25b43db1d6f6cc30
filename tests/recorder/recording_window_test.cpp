// The recording window driven in-process: its start-up proposals, the
// quality rules, the name check, recording from a wave file as the device,
// the size limit, the tag and the way to the library.
#include "capturetestutil.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>
#include <core/id3tag.h>
#include <core/recordingplan.h>
#include <form1.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/gui/pause.h>
#include <foundation/paths.h>
#include <gtest/gtest.h>
#include <memory>
#include <numbers>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <zuvrecors.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::recorder;

namespace {

// Seconds of a quiet 16-bit stereo tone at 44.1 kHz.
QByteArray toneWave(int seconds)
{
    QByteArray pcm;
    const int frames = seconds * 44100;
    pcm.reserve(frames * 4);
    for (int i = 0; i < frames; ++i) {
        const auto v = qint16(3000 * std::sin(2 * std::numbers::pi * 440 * i / 44100.0));
        for (int c = 0; c < 2; ++c) {
            pcm.append(char(v & 0xFF));
            pcm.append(char((v >> 8) & 0xFF));
        }
    }
    return zuvtest::waveFile(2, 44100, 16, pcm);
}

struct RecorderFixture : zuvtest::TempSuite
{
    RecorderFixture()
    {
        write(u"tone.wav"_s, toneWave(40));
        setEnv("ZUV_WAVEIN_FILE", path(u"tone.wav"_s).toUtf8());
        setEnv("ZUV_AUDIO_OUT", "null");
    }
    Form1& start(const QString& argument)
    {
        form = std::make_unique<Form1>();
        EXPECT_TRUE(form->Form_Load(argument));
        form->show();
        return *form;
    }
    QStringList boxTexts() const
    {
        QStringList texts;
        for (const QString& line : zuvtest::logLines(msgBoxLog()))
            texts << QJsonDocument::fromJson(line.toUtf8()).object()[u"text"_s].toString();
        return texts;
    }
    QString recorded() const { return resolvePath(form->recordingFile()); }

    std::unique_ptr<Form1> form;
};

} // namespace

TEST(RecordingWindow, StartUpProposesNameArtistQualityAndSchedule)
{
    RecorderFixture suite;
    const QDateTime before = QDateTime::currentDateTime();
    Form1& w = suite.start(u"Rádio Čas"_s);
    EXPECT_EQ(w.windowTitle(), u"Zuv Recorder (Zuvnet)"_s);
    static const QRegularExpression name(uR"(^\d{4}-\d\d-\d\d \(\d\d-\d\d-\d\d\) Rádio Čas$)"_s);
    EXPECT_TRUE(name.match(w.NameCash.text()).hasMatch()) << w.NameCash.text();
    EXPECT_EQ(w.fileBase(), w.NameCash.text());
    EXPECT_EQ(w.Label9.text(), u"Název souboru: "_s + w.NameCash.text() + u".mp3"_s);
    EXPECT_EQ(w.svTAGartist.text(), u"Rádio Čas"_s);
    EXPECT_EQ(w.ComboBitrate.currentText(), u"128kbps (CD)"_s);
    EXPECT_TRUE(w.SoundSM[0].isChecked());
    EXPECT_EQ(w.Combo1.count(), 148);
    EXPECT_EQ(w.TabStrip1.currentIndex(), 0);
    EXPECT_TRUE(w.CardSET.isVisible());
    EXPECT_FALSE(w.CardREC.isVisible());
    EXPECT_EQ(w.recordingFile(), programDir() + u"\\Music\\"_s + w.fileBase() + u".mp3"_s);

    // The proposed start is ten minutes on, as a real time.
    const ScheduleTime early = proposedScheduleTime(before, 10);
    const ScheduleTime late = proposedScheduleTime(QDateTime::currentDateTime(), 10);
    const QStringList shown{w.RecTd.text(), w.RecTm.text(), w.RecTr.text(), w.RecTh.text(),
                            w.RecTmin.text()};
    EXPECT_TRUE(shown ==
                    (QStringList{early.day, early.month, early.year, early.hour, early.minute}) ||
                shown == (QStringList{late.day, late.month, late.year, late.hour, late.minute}))
        << shown.join(u' ');
    EXPECT_LT(w.RecTminS.text().toInt(), 60);
    EXPECT_EQ(w.Label23.text(), u"Funkce je vypnutá"_s);

    RecorderFixture bare;
    EXPECT_TRUE(bare.start({}).NameCash.text().endsWith(u')'));
    EXPECT_TRUE(bare.form->svTAGartist.text().isEmpty());
}

TEST(RecordingWindow, QualityDecidesTheChannels)
{
    RecorderFixture suite;
    Form1& w = suite.start(u"Rádio"_s);
    const struct
    {
        int position;
        bool stereoEnabled;
        bool stereoChecked;
    } cases[] = {{0, false, false}, {1, false, false}, {2, true, true}, {3, true, true}};
    for (const auto& c : cases) {
        w.ComboBitrate.setCurrentIndex(c.position);
        w.ComboBitrate_Click();
        EXPECT_EQ(w.quality(), c.position);
        EXPECT_EQ(w.SoundSM[0].isEnabled(), c.stereoEnabled) << c.position;
        EXPECT_EQ(w.SoundSM[0].isChecked(), c.stereoChecked) << c.position;
        EXPECT_TRUE(w.SoundSM[1].isEnabled());
        EXPECT_EQ(w.SoundSM[1].isChecked(), !c.stereoChecked);
    }
}

TEST(RecordingWindow, ATakenNameIsRefusedAndASafeOneProposed)
{
    RecorderFixture suite;
    Form1& w = suite.start(u"Rádio"_s);
    w.NameCash.setText(u"pořad/díl 1"_s);
    EXPECT_EQ(w.fileBase(), u"pořad-díl 1"_s);
    suite.write(u"Music/pořad-díl 1.mp3"_s, "x");
    w.Command5_Click();
    EXPECT_EQ(suite.boxTexts(), QStringList{u"Soubor s tímto názvem již existuje."_s});
    EXPECT_EQ(w.TabStrip1.currentIndex(), 0);
    EXPECT_EQ(w.NameCash.selectedText(), w.NameCash.text());

    w.NameCash.setText(u"pořad díl 2"_s);
    w.Command5_Click();
    EXPECT_EQ(w.TabStrip1.currentIndex(), 1);
    EXPECT_TRUE(w.CardREC.isVisible());
    EXPECT_EQ(suite.boxTexts().size(), 1);
}

// HIFI records 16-bit 44.1 kHz stereo into a Music folder made for it; the
// stop opens the tag, and a tag without a title gets the station's name.
TEST(RecordingWindow, RecordsStopsAndTagsTheFile)
{
    RecorderFixture suite;
    Form1& w = suite.start(u"Rádio Čas"_s);
    w.ComboBitrate.setCurrentIndex(3);
    w.ComboBitrate_Click();
    ASSERT_FALSE(QFileInfo::exists(suite.path(u"Music"_s)));
    w.Command1_Click();
    ASSERT_TRUE(w.capture().IsRecording()) << suite.boxTexts().join(u'|');
    EXPECT_EQ(w.capture().format().wBitsPerSample, 16);
    EXPECT_EQ(w.capture().format().nSamplesPerSec, 44100u);
    EXPECT_EQ(w.capture().format().nChannels, 2);
    EXPECT_FALSE(w.Command1.isEnabled());
    EXPECT_TRUE(w.Command2.isEnabled());
    EXPECT_FALSE(w.ComboBitrate.isEnabled());
    EXPECT_FALSE(w.RecTd.isEnabled());
    EXPECT_TRUE(w.Timer1.isActive());
    Pause(2600);
    EXPECT_EQ(w.Label12.text(), u"00:00:02"_s);
    w.Command2_Click();
    EXPECT_FALSE(w.capture().IsRecording());
    EXPECT_TRUE(w.Command1.isEnabled());
    EXPECT_FALSE(w.Command2.isEnabled());
    EXPECT_TRUE(w.ComboBitrate.isEnabled());
    EXPECT_FALSE(w.Timer1.isActive());
    EXPECT_EQ(w.TabStrip1.currentIndex(), 3);
    EXPECT_GT(QFileInfo(suite.recorded()).size(), 10000);
    w.Timer2_Timer();
    EXPECT_TRUE(w.Label29.text().startsWith(u"Velikost nahrávky: 0,"_s)) << w.Label29.text();

    w.svTAGalbum.setText(u"Večerní pořad"_s);
    w.Combo1.setCurrentIndex(12);
    w.Command4_Click();
    const auto tag = ReadID3Tag(suite.recorded());
    ASSERT_TRUE(tag);
    EXPECT_EQ(tag->title.trimmed(), u"Rádio Čas"_s);
    EXPECT_EQ(tag->artist.trimmed(), u"Rádio Čas"_s);
    EXPECT_EQ(tag->album.trimmed(), u"Večerní pořad"_s);
    EXPECT_EQ(tag->genre, 12);
    EXPECT_EQ(w.svTAGtitle.text(), u"Rádio Čas"_s);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.library().isVisible());

    // Back from the library to the first tab.
    emit w.library().recorderWanted();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.library().isVisible());
    EXPECT_EQ(w.TabStrip1.currentIndex(), 0);
}

TEST(RecordingWindow, AFailedStartSaysSoAndGivesTheControlsBack)
{
    RecorderFixture suite;
    suite.setEnv("ZUV_WAVEIN_FILE", suite.path(u"missing.wav"_s).toUtf8());
    Form1& w = suite.start(u"Rádio"_s);
    w.Command1_Click();
    EXPECT_EQ(suite.boxTexts(), QStringList{u"Při běhu programu nastala chyba."_s});
    EXPECT_FALSE(w.capture().IsRecording());
    EXPECT_TRUE(w.Command1.isEnabled());
    EXPECT_FALSE(w.Command2.isEnabled());
    EXPECT_TRUE(w.ComboBitrate.isEnabled());
    EXPECT_TRUE(w.SoundSM[0].isEnabled());
    EXPECT_FALSE(w.Timer1.isActive());
    EXPECT_FALSE(w.recordingActive());
}

TEST(RecordingWindow, TheSizeLimitEndsARecording)
{
    RecorderFixture suite;
    Form1& w = suite.start(u"Rádio"_s);
    w.ComboBitrate.setCurrentIndex(3);
    w.ComboBitrate_Click();
    w.Check1.setChecked(true);
    w.Option2.setChecked(true);
    w.FileSizeMax.setText(u"0,05"_s);
    w.Command1_Click();
    ASSERT_TRUE(w.recordingActive());
    w.Timer2_Timer();
    EXPECT_TRUE(w.Label23.text().startsWith(u"Velikost souboru: "_s)) << w.Label23.text();
    EXPECT_EQ(w.Label23.palette().color(QPalette::WindowText), QColor(128, 0, 0));
    ASSERT_TRUE(zuvtest::waitFor([&] { return !w.recordingActive(); }, 15000));
    EXPECT_GE(QFileInfo(suite.recorded()).size(), 52429);
    // It stops at the next tick: the size is checked once a second and the
    // buffer on its way is written out, about four seconds at 128 kbit/s.
    EXPECT_LT(QFileInfo(suite.recorded()).size(), 52429 + 4 * 16000);
    EXPECT_EQ(w.TabStrip1.currentIndex(), 3);
}

TEST(RecordingWindow, ElapsedTimeCountsPastTheShortCounter)
{
    RecorderFixture suite;
    Form1& w = suite.start(u"Rádio"_s);
    w.setElapsedSeconds(32767);
    w.Stopuj();
    EXPECT_EQ(w.elapsedSeconds(), 32768);
    EXPECT_EQ(w.Label12.text(), u"09:06:08"_s);
}

TEST(RecordingWindow, SetFocusFromTheBusBringsTheWindowBack)
{
    RecorderFixture suite;
    Form1& w = suite.start(u"Rádio"_s);
    w.hide();
    EXPECT_EQ(SendCopyData(FindWindowA(u"Zuv Recorder (Zuvnet)"_s), u"SetFocus"_s), -1);
    EXPECT_TRUE(w.isVisible());
}

TEST(RecordingWindow, StartedWithLShowsTheLibraryAlone)
{
    RecorderFixture suite;
    Form1& w = suite.start(u"l"_s);
    w.hide();
    EXPECT_TRUE(w.library().isVisible());
    EXPECT_TRUE(w.library().startedAlone());
    EXPECT_TRUE(w.stationName().isEmpty());
    bool ended = false;
    QObject::connect(&w, &Form1::ended, [&] { ended = true; });
    emit w.library().ended();
    EXPECT_TRUE(ended);
}
