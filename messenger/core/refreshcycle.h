#pragma once

#include <QString>
#include <QTime>

namespace zuv::messenger {

// Seconds from one time of day to a later one; a negative hour difference
// counts as the next day.
int ZuvRozdilCasu(const QTime& from, const QTime& to);

// The refresh timer's choices: a full or message-only refresh per tick, and
// the fast polling that lasts while chat windows report themselves.
class RefreshCycle
{
public:
    // Intervals in milliseconds as the server file gives them (text).
    void setIntervals(const QString& active, const QString& passive, const QString& fast);
    int activeInterval() const { return m_active; }
    int passiveInterval() const { return m_passive; }
    int fastInterval() const { return m_fast; }
    // A value below kMinInterval is no interval (an empty or broken line):
    // it is ignored, so the refresh timer never spins or stops.
    void setActiveInterval(int ms) { keep(m_active, ms); }
    void setPassiveInterval(int ms) { keep(m_passive, ms); }
    void setFastInterval(int ms) { keep(m_fast, ms); }
    static constexpr int kMinInterval = 100;

    // One hour before midnight: the next tick makes a full refresh.
    void ZuvinALLlastMinus() { m_lastFullRefresh = QTime(23, 0, 0); }
    QTime lastFullRefresh() const { return m_lastFullRefresh; }

    // "all" or "msg" for a tick at `now`; a full one moves lastFullRefresh.
    QString chooseRefresh(const QTime& now);

    // The interval the refresh timer gets next (fast while fast mode is on),
    // counting the ticks of fast mode. Returns the interval; the caller sets
    // it on the timer when `reset` is true.
    int CheckSetInterval();

    // A message was handed to a chat window. True when fast mode was off
    // before, i.e. the timer must be reset to the new interval.
    bool MSGoteviram();
    // A chat window said "msgon": fast mode on; the timer gets fastInterval().
    void MSGseOzvalo();

    bool fastMode() const { return m_fastMode; }
    bool fastConfirmed() const { return m_fastConfirmed; }
    int fastTicks() const { return m_fastTicks; }

private:
    static void keep(int& interval, int ms)
    {
        if (ms >= kMinInterval)
            interval = ms;
    }
    int m_active = 10000;
    int m_passive = 30000;
    int m_fast = 2000;
    QTime m_lastFullRefresh = QTime(23, 0, 0);
    bool m_fastMode = false;
    bool m_fastConfirmed = false;
    int m_fastTicks = 0;
};

// Takes an interval as the messenger reads numbers from text: the leading
// digits, 0 when there are none.
int intervalFromText(const QString& text);

} // namespace zuv::messenger
