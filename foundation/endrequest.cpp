#include "endrequest.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zuv {
namespace {

// A signal handler may only write; the event loop reads the other end.
int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

// Hears the session manager of a program with a display; the signal is
// named, not linked, so that this layer needs no part of Qt's display side.
class SessionEnd : public QObject
{
    Q_OBJECT
public:
    SessionEnd(std::function<void()> end, QObject* parent) : QObject(parent), m_end(std::move(end))
    {}
public slots:
    void commitData() { m_end(); }

private:
    std::function<void()> m_end;
};

void onEndRequest(std::function<void()> end)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || g_signalPipe[0] >= 0)
        return;
    auto shared = std::make_shared<std::function<void()>>(std::move(end));
    auto running = std::make_shared<bool>(false);
    const auto runOnce = [shared, running] {
        if (*running)
            return;
        *running = true;
        (*shared)();
        *running = false;
    };

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, app);
        QObject::connect(notifier, &QSocketNotifier::activated, app, [runOnce] {
            char bytes[16];
            while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {
            }
            runOnce();
        });
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, nullptr);
        ::sigaction(SIGTERM, &action, nullptr);
    }
    if (app->inherits("QGuiApplication")) {
        auto* session = new SessionEnd(runOnce, app);
        QObject::connect(app, SIGNAL(commitDataRequest(QSessionManager&)), session,
                         SLOT(commitData()));
    }
}

} // namespace zuv

#include "endrequest.moc"
