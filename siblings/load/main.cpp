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
#include <thread>

int main(int argc, char** argv)
{
    const zuv::ProgramStart start = zuv::takeProgramStart(argc, argv);
    QCoreApplication app(argc, argv);
    const QString name = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();

    const auto request = zuv::load::parseLoadArgument(start.argument);
    if (!request) {
        std::fprintf(stderr, "%s: usage: %s <url>/@/<reply file>[/@/show]\n", qPrintable(name),
                     qPrintable(name));
        return 64;
    }
    zuv::BusWindow window;
    window.publish(QStringLiteral("Trolvik Zuv!"));
    zuv::BusWindow::setMainWindow(&window);

    // The transfer runs beside the event loop, so the window stays alive.
    zuv::load::DownloadResult result;
    const QByteArray url = zuv::load::wireUrl(request->url);
    const QString replyFile = zuv::resolvePath(request->replyFile);
    // Ended from outside, it writes nothing and leaves no part behind.
    std::atomic<bool> stop{false};
    zuv::onEndRequest([&stop] { stop = true; });
    std::thread transfer([&] {
        result = zuv::load::download(url, replyFile, &stop);
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    transfer.join();

    if (!result.ok) {
        std::fprintf(stderr, "%s: %s: %s\n", qPrintable(name),
                     qPrintable(zuv::load::shownAddress(url)), qPrintable(result.error));
        return 1;
    }
    if (name == u"load2")
        zuv::SendCommand(QStringLiteral("Zuv - Sorvanta"), QStringLiteral("dwok"));
    return 0;
}
