// zuvbus: the window bus from a terminal. Text is UTF-8 here and
// Windows-1250 on the bus.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QThread>
#include <csignal>
#include <cstdio>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/codepage.h>
#include <unistd.h>

namespace {

const char kUsage[] =
    "usage: zuvbus send TITLE TEXT [--data N] [--timeout MS]   send a command, print the answer\n"
    "       zuvbus find TITLE                                  exit 0 when such a window exists\n"
    "       zuvbus list                                        print the published captions\n"
    "       zuvbus wait TITLE [--gone] [--timeout S]           wait for a window to appear (or "
    "go)\n"
    "       zuvbus listen TITLE                                be that window; print each command\n"
    "                                                          as <dwData><TAB><text>, answer -1\n";

int usage()
{
    std::fputs(kUsage, stderr);
    return 64;
}

void printLine(const QString& text)
{
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fflush(stdout);
}

// Line breaks inside a command are shown as \r and \n, one command a line.
QString oneLine(QString text)
{
    return text.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
}

int pipeToLoop[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] auto written = ::write(pipeToLoop[1], &byte, 1);
}

int listen(const QString& title)
{
    zuv::BusWindow window;
    window.setHandler([](quint32 dwData, quint64, const QByteArray& bytes) -> qint64 {
        printLine(QString::number(dwData) + u'\t' + oneLine(zuv::CodePage::decode(bytes)));
        return -1;
    });
    if (!window.publish(title)) {
        std::fputs("zuvbus: cannot publish on the bus\n", stderr);
        return 2;
    }
    zuv::BusWindow::setMainWindow(&window);
    // Ended by a signal: withdraw the window before going.
    if (::pipe(pipeToLoop) != 0)
        return 2;
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGHUP, onSignal);
    QSocketNotifier notifier(pipeToLoop[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
    return QCoreApplication::exec();
}

int wait(const QString& title, bool gone, double timeoutSeconds)
{
    QElapsedTimer clock;
    clock.start();
    while (bool(zuv::FindWindowA(title)) == gone) {
        if (timeoutSeconds >= 0 && clock.elapsed() > timeoutSeconds * 1000)
            return 1;
        QThread::msleep(10);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromUtf8(argv[i]));
    if (args.isEmpty())
        return usage();

    const QString verb = args.takeFirst();
    auto option = [&](const QString& name, const QString& fallback) {
        const qsizetype at = args.indexOf(name);
        if (at < 0 || at + 1 >= args.size())
            return fallback;
        const QString value = args[at + 1];
        args.remove(at, 2);
        return value;
    };
    auto flag = [&](const QString& name) {
        return args.removeAll(name) > 0;
    };

    if (verb == u"send") {
        const quint32 dwData = option(QStringLiteral("--data"), QStringLiteral("1")).toUInt();
        const int timeoutMs = option(QStringLiteral("--timeout"), QStringLiteral("10000")).toInt();
        if (args.size() != 2)
            return usage();
        const zuv::WindowRef window = zuv::FindWindowA(args[0]);
        if (!window) {
            std::fputs("zuvbus: no such window\n", stderr);
            return 1;
        }
        const auto answer =
            zuv::SendMessageA(window, dwData, zuv::CodePage::encode(args[1]), 0, timeoutMs);
        if (!answer) {
            std::fputs("zuvbus: no answer\n", stderr);
            return 2;
        }
        printLine(QString::number(*answer));
        return 0;
    }
    if (verb == u"find" && args.size() == 1)
        return zuv::FindWindowA(args[0]) ? 0 : 1;
    if (verb == u"list" && args.isEmpty()) {
        for (const QString& caption : zuv::ListWindows())
            printLine(caption);
        return 0;
    }
    if (verb == u"wait") {
        const bool gone = flag(QStringLiteral("--gone"));
        const double timeout = option(QStringLiteral("--timeout"), QStringLiteral("-1")).toDouble();
        if (args.size() != 1)
            return usage();
        return wait(args[0], gone, timeout);
    }
    if (verb == u"listen" && args.size() == 1)
        return listen(args[0]);
    return usage();
}
