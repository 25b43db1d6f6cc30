#include "recordingplan.h"

namespace zuv::recorder {
namespace {

constexpr qint64 kMegabyte = 1024 * 1024;

std::optional<int> number(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

QString twoDigits(qint64 value)
{
    return value < 10 ? QStringLiteral("0") + QString::number(value) : QString::number(value);
}

// The fields of a time as the schedule compares and shows them.
struct TimeTexts
{
    QString day, month, year, hour, minute;

    QString compareKey() const { return year + month + day + hour + minute; }
    QString shown() const
    {
        return hour + u':' + minute + QStringLiteral(":00 (") + day + u'.' + month + u'.' + year +
               u')';
    }
};

std::optional<TimeTexts> readTime(const ScheduleTime& time)
{
    const auto day = number(time.day);
    const auto month = number(time.month);
    const auto hour = number(time.hour);
    const auto minute = number(time.minute);
    if (!day || !month || !hour || !minute)
        return std::nullopt;
    return TimeTexts{twoDigits(*day), twoDigits(*month), time.year, twoDigits(*hour),
                     twoDigits(*minute)};
}

// Megabytes as typed; the Czech comma and the dot both separate decimals.
std::optional<double> megabytes(const QString& text)
{
    QString typed = text.trimmed();
    typed.replace(u',', u'.');
    bool ok = false;
    const double value = typed.toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

QString fileNameSafe(const QString& text)
{
    QString safe;
    safe.reserve(text.size());
    for (const QChar c : text) {
        const bool forbidden =
            c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c) || c == QChar(0x7f);
        safe += forbidden ? QChar(u'-') : c;
    }
    return safe;
}

QString proposedFileBase(const QDateTime& now, const QString& stationName)
{
    QString base = now.toString(QStringLiteral("yyyy-MM-dd (HH-mm-ss)"));
    const QString station = stationName.trimmed();
    if (!station.isEmpty())
        base += u' ' + fileNameSafe(station);
    return base;
}

ScheduleTime proposedScheduleTime(const QDateTime& now, int minutesAhead)
{
    const QDateTime at = now.addSecs(qint64(minutesAhead) * 60);
    return {QString::number(at.date().day()), QString::number(at.date().month()),
            at.toString(QStringLiteral("yyyy")), QString::number(at.time().hour()),
            QString::number(at.time().minute())};
}

QString SeconToTime(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    return twoDigits(seconds / 3600) + u':' + twoDigits((seconds / 60) % 60) + u':' +
           twoDigits(seconds % 60);
}

QString fileSizeText(qint64 bytes)
{
    if (bytes < 0)
        return {};
    const qint64 whole = bytes / kMegabyte;
    const qint64 rest = bytes % kMegabyte;
    if (rest == 0)
        return QString::number(whole);
    // Three digits, cut rather than rounded; trailing zeros only drop when
    // the exact value has no more digits after them.
    QString digits = QStringLiteral("%1").arg(rest * 1000 / kMegabyte, 3, 10, QChar(u'0'));
    if ((rest * 1000) % kMegabyte == 0) {
        while (digits.endsWith(u'0'))
            digits.chop(1);
    }
    return QString::number(whole) + u',' + digits;
}

ScheduleTick scheduleTick(const ScheduleInput& input, const QDateTime& now)
{
    ScheduleTick tick;
    const auto start = readTime(input.start);
    const auto stop = readTime(input.stop);
    if (!start || !stop)
        return tick;
    tick.clock =
        QStringLiteral("Aktuální čas: ") + now.toString(QStringLiteral("HH:mm:ss (dd.MM.yy)"));
    const QString nowKey = now.toString(QStringLiteral("yyyyMMddHHmm"));
    const QString stopText = QStringLiteral("Stop nahrávání: ") + stop->shown();
    const QString size = input.fileBytes ? fileSizeText(*input.fileBytes) : QString();

    if (!input.enabled) {
        tick.state = QStringLiteral("Funkce je vypnutá");
        tick.colour = ScheduleColour::Black;
    } else if (!input.recording) {
        if (nowKey == start->compareKey()) {
            tick.state = stopText;
            tick.colour = ScheduleColour::DarkRed;
            tick.action = ScheduleAction::StartRecording;
        } else {
            tick.state = QStringLiteral("Start nahrávání: ") + start->shown();
            tick.colour = ScheduleColour::DarkGreen;
        }
    } else if (!input.stopBySize) {
        tick.state = stopText;
        tick.colour = ScheduleColour::DarkRed;
        if (nowKey == stop->compareKey())
            tick.action = ScheduleAction::StopRecording;
    } else {
        tick.state = QStringLiteral("Velikost souboru: ") + size + QStringLiteral(" MB");
        tick.colour = ScheduleColour::DarkRed;
        const auto limit = megabytes(input.sizeMax);
        if (!limit)
            return tick;
        if (input.fileBytes && double(*input.fileBytes) / kMegabyte >= *limit)
            tick.action = ScheduleAction::StopRecording;
    }
    tick.sizeLine = QStringLiteral("Velikost nahrávky: ") +
                    (size.isEmpty() ? QStringLiteral("0") : size) + QStringLiteral(" MB");
    return tick;
}

} // namespace zuv::recorder
