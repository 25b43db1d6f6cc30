#include "pause.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace zuv {

void DoEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void Pause(int milliseconds)
{
    if (milliseconds <= 0) {
        DoEvents();
        return;
    }
    if (!QCoreApplication::instance()) {
        QThread::msleep(milliseconds);
        return;
    }
    // A local loop wakes for every event and sleeps in between.
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    const QDeadlineTimer deadline(milliseconds, Qt::PreciseTimer);
    while (!deadline.hasExpired()) {
        loop.exec(QEventLoop::AllEvents);
        if (!timer.isActive())
            break;
    }
}

} // namespace zuv
