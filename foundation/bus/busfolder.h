#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace zuv::Bus {

// The window bus's folder: $ZUV_BUS_DIR, else $XDG_RUNTIME_DIR/zuv-bus, else
// /tmp/zuv-bus-<uid>. Created with mode 0700; empty when it cannot be made
// private (another user's folder or a symbolic link is never used).
QString folder();

// One published window as the folder holds it: a socket named
// "<caption hash>-<pid>-<number>" and beside it "<same>.title" with the
// caption's Windows-1250 bytes.
struct Entry
{
    QString socketPath;
    qint64 pid = 0;
    quint64 windowId = 0;
    QByteArray caption;
};

// The file name prefix of every window with this caption.
QString captionPrefix(const QByteArray& caption);

// Live windows with this caption (all windows when `caption` is null).
// Entries whose process has ended are removed on the way.
QList<Entry> liveEntries(const QByteArray* caption);

// Removes the socket and title files of an entry.
void removeEntry(const QString& socketPath);

// A window id for windows of this process: process id and window number.
quint64 makeWindowId(qint64 pid, quint32 number);

} // namespace zuv::Bus
