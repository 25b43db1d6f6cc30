#include "sendmessage.h"

#include "../codepage.h"
#include "busfolder.h"
#include "buswindow.h"
#include "unixsocket.h"
#include "wire.h"

#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
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

    bool nobodyThere = false;
    const int fd = Bus::UnixSocket::connectTo(QFile::encodeName(window.socketPath), &nobodyThere);
    if (fd < 0) {
        if (nobodyThere)
            Bus::removeEntry(window.socketPath); // no listener: not a window any more
        return std::nullopt;
    }
    // The record fits the socket's buffer: it goes at once, whatever the
    // receiver is doing.
    QByteArray answer;
    if (Bus::UnixSocket::sendAll(fd, Bus::Wire::encodeRecord(dwData, senderWindow, bytes))) {
        // Wait for the answer in a local loop, so that commands sent to our
        // own windows meanwhile are served: two programs sending to each
        // other at once both get through.
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        QSocketNotifier readable(fd, QSocketNotifier::Read);
        QObject::connect(&readable, &QSocketNotifier::activated, &loop, [&] {
            const bool open = Bus::UnixSocket::receiveAvailable(fd, answer);
            if (!open || answer.size() >= Bus::Wire::kAnswerSize)
                loop.quit();
        });
        timeout.start(timeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    Bus::UnixSocket::closeSocket(fd);
    if (answer.size() < Bus::Wire::kAnswerSize)
        return std::nullopt;
    return Bus::Wire::get<qint64>(answer.constData());
}

std::optional<qint64> SendCopyData(const WindowRef& window, const QString& text)
{
    return SendMessageA(window, 1, CodePage::encode(text), BusWindow::mainWindowId());
}

} // namespace zuv
