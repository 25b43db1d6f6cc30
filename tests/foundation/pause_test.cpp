#include <QElapsedTimer>
#include <QTimer>
#include <foundation/gui/pause.h>
#include <gtest/gtest.h>

TEST(Pause, WaitsWhileEventsRun)
{
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    QElapsedTimer clock;
    clock.start();
    zuv::Pause(200);
    EXPECT_GE(clock.elapsed(), 200);
    EXPECT_GE(ticks, 5) << "the program's own timers run during a pause";
}

TEST(Pause, DoEventsRunsWhatIsPending)
{
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    zuv::DoEvents();
    EXPECT_TRUE(ran);
}
