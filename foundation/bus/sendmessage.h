#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace zuv {

inline constexpr quint32 WM_COPYDATA = 0x4A;

// A window found on the bus.
struct WindowRef
{
    QString socketPath;
    quint64 id = 0;
    explicit operator bool() const { return id != 0; }
};

// The window whose caption is exactly `title` (Windows-1250 bytes, case
// counts); an empty reference when none exists.
WindowRef FindWindowA(const QString& title);

// Captions of all published windows.
QStringList ListWindows();

// Sends a command record {dwData, sender window, bytes} and waits until the
// receiver's handler has finished, serving commands sent to this program's
// own windows meanwhile. The receiver's result, or nothing when the window
// is gone, the payload is over 64 KiB, or no answer comes within `timeoutMs`.
std::optional<qint64> SendMessageA(const WindowRef& window, quint32 dwData, const QByteArray& bytes,
                                   quint64 senderWindow, int timeoutMs = 10000);

// Converts the text to Windows-1250 and sends it with dwData 1 from the
// program's main window.
std::optional<qint64> SendCopyData(const WindowRef& window, const QString& text);

} // namespace zuv
