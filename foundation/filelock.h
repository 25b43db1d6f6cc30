#pragma once

#include <QString>

namespace zuv {

// An exclusive advisory lock on a lock file, held while the object lives.
// The kernel releases it when the process ends, also by a crash, so a lock
// can never be left behind.
class FileLock
{
public:
    enum class Mode
    {
        Wait,
        TryOnly
    };

    explicit FileLock(const QString& lockFilePath, Mode mode = Mode::Wait);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // True when the lock is held. False when the lock file cannot be opened,
    // or (TryOnly) when another process holds it.
    bool isLocked() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace zuv
