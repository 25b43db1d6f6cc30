#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace zuv::Bus {

// The window bus's folder: $ZUV_BUS_DIR, else the first of
// $XDG_RUNTIME_DIR/zuv-bus, /tmp/zuv-bus-<uid> and ~/.cache/zuv-bus that can
// be made private. Created with mode 0700; another user's folder or a
// symbolic link is never used. Empty when none can be.
QString folder();

// The first of the folders that is or can be made this user's alone (0700).
QString firstPrivateFolder(const QList<QByteArray>& candidates);

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
