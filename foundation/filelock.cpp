#include "filelock.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zuv {

FileLock::FileLock(const QString& lockFilePath, Mode mode)
{
    const QByteArray name = QFile::encodeName(lockFilePath);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const int operation = mode == Mode::Wait ? LOCK_EX : LOCK_EX | LOCK_NB;
    int rc;
    do {
        rc = ::flock(fd, operation);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

FileLock::~FileLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing the descriptor drops the lock
}

} // namespace zuv
