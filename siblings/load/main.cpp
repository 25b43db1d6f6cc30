// load / load2 <url>/@/<reply file>[/@/show]: fetches the address and writes
// the reply file whole. While it runs its window "Trolvik Zuv!" exists; as
// load2 it tells the messenger "dwok" once the reply is there.
#include "core/download.h"
#include "core/loadrequest.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <atomic>
#include <cstdio>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/sendcommand.h>
#include <foundation/endrequest.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <future>
#include <thread>
#include <unistd.h>

int main(int argc, char** argv)
{
    const zuv::ProgramStart start = zuv::takeProgramStart(argc, argv);
    const QString name = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    const auto request = zuv::load::parseLoadArgument(start.argument);
    if (!request) {
        std::fprintf(stderr, "%s: usage: %s <url>/@/<reply file>[/@/show]\n", qPrintable(name),
                     qPrintable(name));
        return 64;
    }

    // The window comes first, so whoever sees the reply has seen it too;
    // it answers once the event loop runs. The transfer starts at once
    // beside the start of that loop.
    zuv::BusWindow window;
    window.publish(QStringLiteral("Trolvik Zuv!"));
    zuv::BusWindow::setMainWindow(&window);
    const QByteArray url = zuv::load::wireUrl(request->url);
    const QString replyFile = zuv::resolvePath(request->replyFile);
    std::atomic<bool> stop{false};
    zuv::load::DownloadResult result;
    std::promise<QCoreApplication*> started;
    std::shared_future<QCoreApplication*> application = started.get_future().share();
    std::thread transfer([&] {
        result = zuv::load::download(url, replyFile, &stop);
        QMetaObject::invokeMethod(application.get(), &QCoreApplication::quit, Qt::QueuedConnection);
    });

    QCoreApplication app(argc, argv);
    window.publish(QStringLiteral("Trolvik Zuv!"));
    // Ended from outside, it writes nothing and leaves no part behind.
    zuv::onEndRequest([&stop] { stop = true; });
    started.set_value(&app);
    QCoreApplication::exec();
    transfer.join();

    int code = 0;
    if (!result.ok) {
        std::fprintf(stderr, "%s: %s: %s\n", qPrintable(name),
                     qPrintable(zuv::load::shownAddress(url)), qPrintable(result.error));
        code = 1;
    } else if (name == u"load2") {
        zuv::SendCommand(QStringLiteral("Zuv - Sorvanta"), QStringLiteral("dwok"));
    }
    // Nothing is left to tidy but the window; the rest of an orderly exit
    // would only take time at every refresh.
    window.withdraw();
    std::fflush(nullptr);
    ::_exit(code);
}
