#include "stagedfile.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuv {
namespace {

QString reason(const QString& path)
{
    return QStringLiteral("cannot write %1: %2")
        .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

bool StagedFile::write(const QString& path, const QByteArray& bytes)
{
    StagedFile file(path);
    QString error;
    return file.open(&error) && file.write(bytes.constData(), bytes.size()) && file.commit(&error);
}

bool StagedFile::open(QString* error)
{
    const QByteArray target = QFile::encodeName(m_path);
    const qsizetype slash = target.lastIndexOf('/');
    m_temporary = (slash < 0 ? QByteArray() : target.left(slash + 1)) + '.' +
                  target.mid(slash + 1) + ".XXXXXX";
    m_fd = ::mkostemp(m_temporary.data(), O_CLOEXEC); // mode 0600
    if (m_fd < 0) {
        *error = reason(m_path);
        return false;
    }
    return true;
}

bool writeAllBytes(int fd, const char* data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

bool StagedFile::write(const char* data, qint64 size)
{
    return writeAllBytes(m_fd, data, size);
}

bool StagedFile::commit(QString* error)
{
    struct stat existing;
    const QByteArray target = QFile::encodeName(m_path);
    if (::stat(target.constData(), &existing) == 0)
        ::fchmod(m_fd, existing.st_mode & 07777);
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    if (!closed || ::rename(m_temporary.constData(), target.constData()) != 0) {
        *error = reason(m_path);
        cancel();
        return false;
    }
    m_temporary.clear();
    return true;
}

void StagedFile::cancel()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    m_temporary.clear();
}

} // namespace zuv
