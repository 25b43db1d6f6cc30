#include "refreshcycle.h"

namespace zuv::messenger {

int intervalFromText(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype digits = 0;
    while (digits < trimmed.size() && trimmed[digits].isDigit() && digits < 9)
        ++digits;
    return trimmed.left(digits).toInt();
}

int ZuvRozdilCasu(const QTime& from, const QTime& to)
{
    int hours = to.hour() - from.hour();
    int minutes = to.minute() - from.minute();
    int seconds = to.second() - from.second();
    if (seconds < 0) {
        seconds += 60;
        --minutes;
    }
    if (minutes < 0) {
        minutes += 60;
        --hours;
    }
    if (hours < 0)
        hours += 24;
    return hours * 3600 + minutes * 60 + seconds;
}

void RefreshCycle::setIntervals(const QString& active, const QString& passive, const QString& fast)
{
    setActiveInterval(intervalFromText(active));
    setPassiveInterval(intervalFromText(passive));
    setFastInterval(intervalFromText(fast));
}

QString RefreshCycle::chooseRefresh(const QTime& now)
{
    const int elapsed = ZuvRozdilCasu(m_lastFullRefresh, now);
    if ((m_active - m_fast) / 1000.0 >= elapsed)
        return QStringLiteral("msg");
    m_lastFullRefresh = now;
    return QStringLiteral("all");
}

int RefreshCycle::CheckSetInterval()
{
    const int interval = m_fastMode ? m_fast : m_active;
    if (m_fastTicks < 3) {
        ++m_fastTicks;
    } else {
        if (!m_fastConfirmed) {
            m_fastMode = false;
            ZuvinALLlastMinus();
        }
        m_fastTicks = 0;
    }
    m_fastConfirmed = false;
    return interval;
}

bool RefreshCycle::MSGoteviram()
{
    m_fastConfirmed = true;
    const bool wasFast = m_fastMode;
    m_fastMode = true;
    m_fastTicks = 0;
    return !wasFast;
}

void RefreshCycle::MSGseOzvalo()
{
    m_fastConfirmed = true;
    m_fastMode = true;
    m_fastTicks = 0;
}

} // namespace zuv::messenger
