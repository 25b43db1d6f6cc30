#pragma once

#include <QByteArray>

// The sockets of the window bus, on the plain system calls: Qt's own local
// sockets would bring Qt Network into every program of the suite.
namespace zuv::Bus::UnixSocket {

// A listening socket at `path` (an old one there is replaced), readable and
// writable by its owner only; -1 when it cannot be made.
int listenAt(const QByteArray& path);

// The next waiting connection of a listening socket, or -1 when none waits.
int acceptNext(int listener);

// A connection to the socket at `path`; -1 when nobody listens there (then
// `nobodyThere` is set) or it cannot be reached.
int connectTo(const QByteArray& path, bool* nobodyThere);

// Writes all bytes; false when the other side has gone.
bool sendAll(int fd, const QByteArray& bytes);

// What can be read now, appended to `into`; false at the end of the stream
// or on an error.
bool receiveAvailable(int fd, QByteArray& into);

void closeSocket(int fd);

} // namespace zuv::Bus::UnixSocket
