// buspeer OWN PEER COUNT: publishes OWN, sends COUNT commands to PEER as fast
// as it can while serving PEER's, then prints "<sent> <received>". Two of
// them against each other show that simultaneous sends do not dead-lock.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/gui/pause.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4)
        return 64;
    const QString own = QString::fromUtf8(argv[1]), peer = QString::fromUtf8(argv[2]);
    const int count = QByteArray(argv[3]).toInt();
    int received = 0;
    zuv::BusWindow window;
    window.setHandler([&](quint32, quint64, const QByteArray&) -> qint64 {
        ++received;
        return -1;
    });
    window.publish(own);
    zuv::BusWindow::setMainWindow(&window);

    QElapsedTimer clock;
    clock.start();
    zuv::WindowRef target;
    while (!(target = zuv::FindWindowA(peer)) && clock.elapsed() < 5000)
        zuv::Pause(5);
    int sent = 0;
    for (int i = 0; i < count && target; ++i) {
        if (zuv::SendMessageA(target, 1, QByteArray("ping ") + QByteArray::number(i), window.id()))
            ++sent;
    }
    // Stay until the peer's burst has arrived too.
    while (received < count && clock.elapsed() < 20000)
        zuv::Pause(5);
    std::printf("%d %d\n", sent, received);
    return 0;
}
