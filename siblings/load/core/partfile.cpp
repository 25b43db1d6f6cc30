#include "partfile.h"

#include <QFile>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <foundation/stagedfile.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace zuv::load {
namespace {

// No load runs longer than its transfer limit, so one that waits this long
// for the other has waited for a hung one.
constexpr auto kLongestWait = std::chrono::seconds(75);
constexpr auto kWaitStep = std::chrono::milliseconds(50);

QString reason(const QString& path)
{
    return QStringLiteral("cannot write %1: %2")
        .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
}

// Only a plain file of the caller's is replaced: a link planted at the path
// would send the reply elsewhere, and a FIFO or device is nobody's reply.
QString replyFileProblem(const QString& replyFile, const QByteArray& path)
{
    struct stat info;
    if (::lstat(path.constData(), &info) != 0)
        return {}; // a new file
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("%1 is a symbolic link; it is not followed").arg(replyFile);
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("%1 is no plain file; it is not replaced").arg(replyFile);
    return {};
}

} // namespace

PartFile::PartFile(const QString& replyFile)
    : m_replyFile(replyFile), m_reply(QFile::encodeName(replyFile)),
      m_part(QFile::encodeName(partPath(replyFile)))
{}

bool PartFile::open(QString* error, const std::atomic<bool>* stop)
{
    if (const QString problem = replyFileProblem(m_replyFile, m_reply); !problem.isEmpty()) {
        *error = problem;
        return false;
    }
    const QString part = partPath(m_replyFile);
    const auto giveUp = std::chrono::steady_clock::now() + kLongestWait;
    for (;;) {
        // O_NONBLOCK: a FIFO planted at the path must not hang the open.
        const int fd = ::open(m_part.constData(),
                              O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (fd < 0) {
            *error = errno == ELOOP
                         ? QStringLiteral("%1 is a symbolic link; it is not followed").arg(part)
                         : reason(part);
            return false;
        }
        struct stat info;
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            *error = QStringLiteral("%1 is no plain file; it is not replaced").arg(part);
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            m_device = info.st_dev;
            m_inode = info.st_ino;
            // The load before may have renamed or removed the file between
            // this open and the lock: then the path names another one.
            if (stillOurs())
                break;
            m_fd = -1;
            ::close(fd);
            continue;
        }
        ::close(fd);
        if ((stop && stop->load()) || std::chrono::steady_clock::now() > giveUp) {
            *error = QStringLiteral("another load still writes %1").arg(part);
            return false;
        }
        std::this_thread::sleep_for(kWaitStep);
    }
    // A part left by a load that did not end is taken over from its start.
    if (::ftruncate(m_fd, 0) != 0 || ::fchmod(m_fd, 0600) != 0) {
        *error = reason(part);
        cancel();
        return false;
    }
    return true;
}

bool PartFile::write(const char* data, qint64 size)
{
    return writeAllBytes(m_fd, data, size);
}

bool PartFile::commit(QString* error)
{
    // The reply path is looked at again: a link may have been put there
    // while the reply came.
    if (const QString problem = replyFileProblem(m_replyFile, m_reply); !problem.isEmpty()) {
        *error = problem;
        cancel();
        return false;
    }
    struct stat existing;
    if (::lstat(m_reply.constData(), &existing) == 0)
        ::fchmod(m_fd, existing.st_mode & 07777);
    if (!stillOurs()) {
        *error = QStringLiteral("%1 was replaced while it was written").arg(partPath(m_replyFile));
        cancel();
        return false;
    }
    // Renamed while still locked, so the next load of this reply cannot take
    // the file over in between.
    if (::rename(m_part.constData(), m_reply.constData()) != 0) {
        *error = reason(m_replyFile);
        cancel();
        return false;
    }
    // Every byte went out through write(), which said so; closing tells a
    // local file nothing more.
    ::close(m_fd);
    m_fd = -1;
    return true;
}

void PartFile::cancel()
{
    if (m_fd < 0)
        return;
    if (stillOurs())
        ::unlink(m_part.constData());
    ::close(m_fd);
    m_fd = -1;
}

bool PartFile::stillOurs() const
{
    struct stat info;
    return ::lstat(m_part.constData(), &info) == 0 && info.st_dev == m_device &&
           info.st_ino == m_inode;
}

} // namespace zuv::load
