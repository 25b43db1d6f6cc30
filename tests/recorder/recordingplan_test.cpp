// What the recording window proposes and shows, computed without it: the
// file name, the schedule's proposals, the clock texts and the schedule tick.
#include <core/recordingplan.h>
#include <gtest/gtest.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv::recorder;

namespace {

QDateTime at(int year, int month, int day, int hour, int minute, int second = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second));
}

} // namespace

TEST(RecordingPlan, FileBaseIsDateTimeAndASafeStationName)
{
    const QDateTime now = at(2026, 3, 4, 20, 15, 7);
    const struct
    {
        QString station;
        QString base;
    } cases[] = {
        {u"Rádio Čas"_s, u"2026-03-04 (20-15-07) Rádio Čas"_s},
        {u"  Rádio Čas  "_s, u"2026-03-04 (20-15-07) Rádio Čas"_s},
        {u""_s, u"2026-03-04 (20-15-07)"_s},
        {u"AC/DC \\ Rock: *hity* ?\"<>|"_s, u"2026-03-04 (20-15-07) AC-DC - Rock- -hity- -----"_s},
        {u"../../etc"_s, u"2026-03-04 (20-15-07) ..-..-etc"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(proposedFileBase(now, c.station), c.base) << c.station;
}

TEST(RecordingPlan, ProposedTimesCarryIntoHourDayAndYear)
{
    const struct
    {
        QDateTime now;
        int ahead;
        QStringList fields; // day, month, year, hour, minute
    } cases[] = {
        {at(2026, 12, 11, 14, 5), 10, {u"11"_s, u"12"_s, u"2026"_s, u"14"_s, u"15"_s}},
        {at(2026, 12, 11, 14, 50), 10, {u"11"_s, u"12"_s, u"2026"_s, u"15"_s, u"0"_s}},
        {at(2026, 12, 11, 14, 55), 10, {u"11"_s, u"12"_s, u"2026"_s, u"15"_s, u"5"_s}},
        {at(2026, 3, 9, 23, 45), 20, {u"10"_s, u"3"_s, u"2026"_s, u"0"_s, u"5"_s}},
        {at(2026, 12, 31, 23, 55), 10, {u"1"_s, u"1"_s, u"2027"_s, u"0"_s, u"5"_s}},
    };
    for (const auto& c : cases) {
        const ScheduleTime t = proposedScheduleTime(c.now, c.ahead);
        EXPECT_EQ((QStringList{t.day, t.month, t.year, t.hour, t.minute}), c.fields)
            << c.now.toString().toStdString();
    }
}

TEST(RecordingPlan, SecondsAsClock)
{
    const std::pair<qint64, const char*> cases[] = {
        {0, "00:00:00"},     {7, "00:00:07"},     {59, "00:00:59"},
        {3661, "01:01:01"},  {3723, "01:02:03"},  {32767, "09:06:07"},
        {32768, "09:06:08"}, {86399, "23:59:59"}, {360000, "100:00:00"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(SeconToTime(seconds), QString::fromLatin1(text)) << seconds;
}

TEST(RecordingPlan, SizeInMegabytesWithCzechComma)
{
    const std::pair<qint64, const char*> cases[] = {
        {0, "0"},
        {1048576, "1"},
        {524288, "0,5"},
        {786432, "0,75"},
        {1048576 + 1, "1,000"},
        {qint64(12.3456789 * 1048576), "12,345"},
        {1048575, "0,999"},
        {-1, ""},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(fileSizeText(bytes), QString::fromLatin1(text)) << bytes;
}

class ScheduleTickTest : public ::testing::Test
{
protected:
    ScheduleTickTest()
    {
        input.enabled = true;
        input.start = {u"11"_s, u"12"_s, u"2026"_s, u"14"_s, u"15"_s};
        input.stop = {u"11"_s, u"12"_s, u"2026"_s, u"14"_s, u"25"_s};
        input.sizeMax = u"1"_s;
    }
    ScheduleInput input;
};

TEST_F(ScheduleTickTest, OffShowsClockAndOff)
{
    input.enabled = false;
    const ScheduleTick tick = scheduleTick(input, at(2026, 12, 11, 14, 15, 0));
    EXPECT_EQ(tick.clock, u"Aktuální čas: 14:15:00 (11.12.26)"_s);
    EXPECT_EQ(tick.state, u"Funkce je vypnutá"_s);
    EXPECT_EQ(tick.colour, ScheduleColour::Black);
    EXPECT_EQ(tick.action, ScheduleAction::None);
    EXPECT_EQ(tick.sizeLine, u"Velikost nahrávky: 0 MB"_s);
}

TEST_F(ScheduleTickTest, StartFiresInItsMinuteOnly)
{
    const ScheduleTick before = scheduleTick(input, at(2026, 12, 11, 14, 14, 59));
    EXPECT_EQ(before.state, u"Start nahrávání: 14:15:00 (11.12.2026)"_s);
    EXPECT_EQ(before.colour, ScheduleColour::DarkGreen);
    EXPECT_EQ(before.action, ScheduleAction::None);

    const ScheduleTick due = scheduleTick(input, at(2026, 12, 11, 14, 15, 0));
    EXPECT_EQ(due.state, u"Stop nahrávání: 14:25:00 (11.12.2026)"_s);
    EXPECT_EQ(due.colour, ScheduleColour::DarkRed);
    EXPECT_EQ(due.action, ScheduleAction::StartRecording);

    // Two-digit texts compare against the clock, whatever was typed.
    input.start = {u"011"_s, u" 12"_s, u"2026"_s, u"14"_s, u"15"_s};
    EXPECT_EQ(scheduleTick(input, at(2026, 12, 11, 14, 15, 30)).action,
              ScheduleAction::StartRecording);
    EXPECT_EQ(scheduleTick(input, at(2026, 12, 12, 14, 15, 30)).action, ScheduleAction::None);
}

TEST_F(ScheduleTickTest, StopByTimeOrBySize)
{
    input.recording = true;
    EXPECT_EQ(scheduleTick(input, at(2026, 12, 11, 14, 24, 59)).action, ScheduleAction::None);
    const ScheduleTick byTime = scheduleTick(input, at(2026, 12, 11, 14, 25, 0));
    EXPECT_EQ(byTime.action, ScheduleAction::StopRecording);
    EXPECT_EQ(byTime.colour, ScheduleColour::DarkRed);

    input.stopBySize = true;
    input.fileBytes = 1048575;
    const ScheduleTick below = scheduleTick(input, at(2026, 12, 11, 14, 25, 0));
    EXPECT_EQ(below.action, ScheduleAction::None);
    EXPECT_EQ(below.state, u"Velikost souboru: 0,999 MB"_s);
    EXPECT_EQ(below.sizeLine, u"Velikost nahrávky: 0,999 MB"_s);
    input.fileBytes = 1048576;
    EXPECT_EQ(scheduleTick(input, {}).action, ScheduleAction::StopRecording);
    input.sizeMax = u"0,5"_s;
    input.fileBytes = 524288;
    EXPECT_EQ(scheduleTick(input, {}).action, ScheduleAction::StopRecording);
}

TEST_F(ScheduleTickTest, AFieldThatIsNoNumberEndsTheTick)
{
    input.stop.minute = u"xx"_s;
    const ScheduleTick broken = scheduleTick(input, at(2026, 12, 11, 14, 15, 0));
    EXPECT_FALSE(broken.clock);
    EXPECT_FALSE(broken.state);
    EXPECT_EQ(broken.action, ScheduleAction::None);
    EXPECT_FALSE(broken.sizeLine);

    input.stop.minute = u"25"_s;
    input.recording = true;
    input.stopBySize = true;
    input.sizeMax = u"hodně"_s;
    input.fileBytes = 50 * 1048576;
    const ScheduleTick badLimit = scheduleTick(input, at(2026, 12, 11, 14, 15, 0));
    EXPECT_EQ(badLimit.state, u"Velikost souboru: 50 MB"_s);
    EXPECT_EQ(badLimit.action, ScheduleAction::None);
    EXPECT_FALSE(badLimit.sizeLine);
}
