#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <sys/types.h>

namespace zuv::load {

// The reply while it comes in: written as it arrives into
// "<reply file>.part", whose size a caller may watch, and renamed onto the
// reply file in one step once it is whole, so the reply file itself is never
// seen in part. A symbolic link at either path is not followed. Two loads of
// one reply file take turns: the part file is locked while it is written.
// A new part file is its owner's alone (0600); a reply file that is replaced
// keeps its mode.
class PartFile
{
public:
    explicit PartFile(const QString& replyFile);
    ~PartFile() { cancel(); }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    static QString partPath(const QString& replyFile)
    {
        return replyFile + QStringLiteral(".part");
    }

    // Makes the part file, empty; false (and why in `error`) when it cannot,
    // when the reply path holds a link or anything but a plain file, or when
    // `stop` turns true while another load still writes it.
    bool open(QString* error, const std::atomic<bool>* stop = nullptr);
    bool write(const char* data, qint64 size);
    // Puts the whole reply in place.
    bool commit(QString* error);
    // Removes the part file; the reply file stays as it was.
    void cancel();

private:
    // True while the part path still names the file this one writes.
    bool stillOurs() const;

    QString m_replyFile;
    QByteArray m_reply;
    QByteArray m_part;
    int m_fd = -1;
    dev_t m_device = 0;
    ino_t m_inode = 0;
};

} // namespace zuv::load
