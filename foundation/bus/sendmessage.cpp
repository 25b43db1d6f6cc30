#include "sendmessage.h"

#include "../codepage.h"
#include "busfolder.h"
#include "buswindow.h"
#include "wire.h"

#include <QEventLoop>
#include <QLocalSocket>
#include <QTimer>

namespace zuv {

WindowRef FindWindowA(const QString& title)
{
    const QByteArray caption = CodePage::encode(title);
    const QList<Bus::Entry> entries = Bus::liveEntries(&caption);
    if (entries.isEmpty())
        return {};
    return {entries.first().socketPath, entries.first().windowId};
}

QStringList ListWindows()
{
    QStringList captions;
    for (const Bus::Entry& entry : Bus::liveEntries(nullptr))
        captions.append(CodePage::decode(entry.caption));
    return captions;
}

std::optional<qint64> SendMessageA(const WindowRef& window, quint32 dwData, const QByteArray& bytes,
                                   quint64 senderWindow, int timeoutMs)
{
    if (!window || bytes.size() > qsizetype(Bus::Wire::kMaxPayload))
        return std::nullopt;

    QLocalSocket socket;
    socket.connectToServer(window.socketPath);
    if (!socket.waitForConnected(1000)) {
        if (socket.error() == QLocalSocket::ConnectionRefusedError ||
            socket.error() == QLocalSocket::ServerNotFoundError)
            Bus::removeEntry(window.socketPath); // no listener: not a window any more
        return std::nullopt;
    }
    socket.write(Bus::Wire::encodeRecord(dwData, senderWindow, bytes));
    socket.flush();

    // Wait for the answer in a local loop, so that commands sent to our own
    // windows meanwhile are served: two programs sending to each other at
    // once both get through.
    QByteArray answer;
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&socket, &QLocalSocket::readyRead, &loop, [&] {
        answer += socket.readAll();
        if (answer.size() >= Bus::Wire::kAnswerSize)
            loop.quit();
    });
    QObject::connect(&socket, &QLocalSocket::disconnected, &loop, &QEventLoop::quit);
    answer += socket.readAll();
    if (answer.size() < Bus::Wire::kAnswerSize && socket.state() == QLocalSocket::ConnectedState) {
        timeout.start(timeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    answer += socket.readAll();
    if (answer.size() < Bus::Wire::kAnswerSize)
        return std::nullopt;
    return Bus::Wire::get<qint64>(answer.constData());
}

std::optional<qint64> SendCopyData(const WindowRef& window, const QString& text)
{
    return SendMessageA(window, 1, CodePage::encode(text), BusWindow::mainWindowId());
}

} // namespace zuv
