#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

namespace zuv::recorder {

// The file name the recording window proposes: "yyyy-mm-dd (hh-mm-ss)" and,
// for a station, a space and its name. Characters a file name cannot hold
// here or on a copied Windows disk become "-".
QString proposedFileBase(const QDateTime& now, const QString& stationName);
QString fileNameSafe(const QString& text);

// One of the schedule's times as its five fields show it: day, month and
// hour without a leading zero, the year with four digits.
struct ScheduleTime
{
    QString day;
    QString month;
    QString year;
    QString hour;
    QString minute;
};

// The proposal for a field set: now plus the minutes, carried into the
// hour, the day, the month and the year, so it is always a real time.
ScheduleTime proposedScheduleTime(const QDateTime& now, int minutesAhead);

// Seconds as "hh:mm:ss"; hours go past 99 rather than wrap.
QString SeconToTime(qint64 seconds);

// A recording's size in megabytes with the Czech decimal comma and at most
// three digits after it ("12,345", "0,5", "3").
QString fileSizeText(qint64 bytes);

enum class ScheduleColour
{
    Black,
    DarkGreen,
    DarkRed,
};

enum class ScheduleAction
{
    None,
    StartRecording,
    StopRecording,
};

// What one tick of the schedule timer reads from the window.
struct ScheduleInput
{
    bool enabled = false;    // the schedule's check box
    bool recording = false;  // a recording runs
    bool stopBySize = false; // the size rule is chosen, not the stop time
    ScheduleTime start;
    ScheduleTime stop;
    QString sizeMax;                 // megabytes, as typed
    std::optional<qint64> fileBytes; // the recording file's length, if it exists
};

// What the tick shows and does. A field that does not read as a number ends
// the tick where it is met; what comes after it stays unset, and the window
// keeps the text it showed.
struct ScheduleTick
{
    std::optional<QString> clock; // "Aktuální čas: …"
    std::optional<QString> state; // the schedule's state line
    ScheduleColour colour = ScheduleColour::Black;
    ScheduleAction action = ScheduleAction::None;
    std::optional<QString> sizeLine; // "Velikost nahrávky: … MB"
};

ScheduleTick scheduleTick(const ScheduleInput& input, const QDateTime& now);

} // namespace zuv::recorder
