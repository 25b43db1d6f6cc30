#include "unixsocket.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace zuv::Bus::UnixSocket {
namespace {

bool addressOf(const QByteArray& path, sockaddr_un* address)
{
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address->sun_path))
        return false;
    std::memcpy(address->sun_path, path.constData(), size_t(path.size()));
    return true;
}

} // namespace

int listenAt(const QByteArray& path)
{
    sockaddr_un address;
    if (!addressOf(path, &address))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    ::unlink(path.constData());
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(path.constData(), 0600) != 0 || ::listen(fd, 64) != 0) {
        ::close(fd);
        ::unlink(path.constData());
        return -1;
    }
    return fd;
}

int acceptNext(int listener)
{
    for (;;) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0 || errno != EINTR)
            return fd;
    }
}

int connectTo(const QByteArray& path, bool* nobodyThere)
{
    *nobodyThere = false;
    sockaddr_un address;
    if (!addressOf(path, &address))
        return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int result;
    do {
        result = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        *nobodyThere = errno == ECONNREFUSED || errno == ENOENT;
        ::close(fd);
        return -1;
    }
    return fd;
}

bool sendAll(int fd, const QByteArray& bytes)
{
    const char* at = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t n = ::send(fd, at, left, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        left -= size_t(n);
    }
    return true;
}

bool receiveAvailable(int fd, QByteArray& into)
{
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            into.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return true;
        return false; // 0: the other side closed; else an error
    }
}

void closeSocket(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

} // namespace zuv::Bus::UnixSocket
