#pragma once

#include <QByteArray>
#include <QString>

namespace zuv {

// Writes all of `size` bytes to the descriptor, again after an interruption;
// false when the descriptor takes no more.
bool writeAllBytes(int fd, const char* data, qint64 size);

// A file that is for the moment (a downloader's reply, a bus caption),
// written into a temporary file beside it and put in place by one rename
// once it is whole, so whoever polls for it never sees a part. Unlike
// TextFile::writeBytesAtomic it does not wait for the disk: that would slow
// every refresh, and such a file need not outlive a crash. A new file is its
// owner's alone (0600); one that is replaced keeps its mode.
class StagedFile
{
public:
    explicit StagedFile(QString path) : m_path(std::move(path)) {}
    ~StagedFile() { cancel(); }
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // The whole file in one go; false when it cannot be written.
    static bool write(const QString& path, const QByteArray& bytes);

    // Makes the temporary file; false (and why in `error`) when it cannot.
    bool open(QString* error);
    bool write(const char* data, qint64 size);
    // Puts the whole file in place.
    bool commit(QString* error);
    // Removes the temporary file; the file at the path stays as it was.
    void cancel();

private:
    QString m_path;
    QByteArray m_temporary;
    int m_fd = -1;
};

} // namespace zuv
