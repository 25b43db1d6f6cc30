#include "busfolder.h"

#include "../shell.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zuv::Bus {
namespace {

// FNV-1a, 64 bits: a stable name prefix for a caption.
quint64 captionHash(const QByteArray& caption)
{
    quint64 hash = 0xcbf29ce484222325ULL;
    for (char c : caption) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

bool makePrivateFolder(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno == ENOENT) {
        // A missing parent ($ZUV_BUS_DIR below a new folder): make it too,
        // leaving parents that exist as they are.
        const qsizetype slash = path.lastIndexOf('/');
        if (slash > 0)
            QDir().mkpath(QFile::decodeName(path.left(slash)));
        ::mkdir(path.constData(), 0700);
    }
    struct stat info;
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::getuid())
        return false;
    return (info.st_mode & 0077) == 0 || ::chmod(path.constData(), 0700) == 0;
}

// "<hash>-<pid>-<number>" → pid and number.
bool parseName(const char* name, qint64* pid, quint32* number)
{
    const char* dash = std::strchr(name, '-');
    if (!dash)
        return false;
    char* end = nullptr;
    *pid = std::strtoll(dash + 1, &end, 10);
    if (!end || *end != '-')
        return false;
    const char* numberStart = end + 1;
    *number = quint32(std::strtoul(numberStart, &end, 10));
    return end && *end == '\0' && end != numberStart;
}

} // namespace

QString firstPrivateFolder(const QList<QByteArray>& candidates)
{
    for (QByteArray path : candidates) {
        while (path.size() > 1 && path.endsWith('/'))
            path.chop(1);
        if (!path.isEmpty() && makePrivateFolder(path))
            return QFile::decodeName(path);
    }
    return {};
}

QString folder()
{
    // Made once per setting; a test may point $ZUV_BUS_DIR elsewhere later.
    static QByteArray cachedSetting;
    static QString cached;
    static bool made = false;
    const QByteArray setting =
        qgetenv("ZUV_BUS_DIR") + '\n' + qgetenv("XDG_RUNTIME_DIR") + '\n' + qgetenv("HOME");
    if (made && setting == cachedSetting)
        return cached;
    QList<QByteArray> candidates;
    if (const QByteArray chosen = qgetenv("ZUV_BUS_DIR"); !chosen.isEmpty()) {
        candidates = {chosen}; // asked for: that one or none
    } else {
        // Every program of the user walks the same list, so all of them meet
        // in the first folder that is theirs: one under /tmp that another
        // user made first is passed by, and the home folder is the last word.
        if (const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR"); !runtime.isEmpty())
            candidates.append(runtime + "/zuv-bus");
        candidates.append("/tmp/zuv-bus-" + QByteArray::number(::getuid()));
        if (const QByteArray home = qgetenv("HOME"); !home.isEmpty())
            candidates.append(home + "/.cache/zuv-bus");
    }
    cached = firstPrivateFolder(candidates);
    cachedSetting = setting;
    made = !cached.isEmpty();
    return cached;
}

QString captionPrefix(const QByteArray& caption)
{
    return QStringLiteral("%1-").arg(captionHash(caption), 16, 16, QLatin1Char('0'));
}

quint64 makeWindowId(qint64 pid, quint32 number)
{
    return (quint64(pid) << 20) | (number & 0xFFFFF);
}

void removeEntry(const QString& socketPath)
{
    QFile::remove(socketPath);
    QFile::remove(socketPath + QStringLiteral(".title"));
}

QList<Entry> liveEntries(const QByteArray* caption)
{
    QList<Entry> found;
    const QString dir = folder();
    if (dir.isEmpty())
        return found;
    const QByteArray dirBytes = QFile::encodeName(dir);
    DIR* stream = ::opendir(dirBytes.constData());
    if (!stream)
        return found;
    const QByteArray prefix = caption ? captionPrefix(*caption).toLatin1() : QByteArray();
    while (const dirent* item = ::readdir(stream)) {
        const char* name = item->d_name;
        if (!prefix.isEmpty() && std::strncmp(name, prefix.constData(), prefix.size()) != 0)
            continue;
        qint64 pid = 0;
        quint32 number = 0;
        if (!parseName(name, &pid, &number))
            continue; // the ".title" side files and anything else
        Entry entry;
        entry.socketPath = dir + u'/' + QFile::decodeName(name);
        if (!programRunning(pid)) {
            removeEntry(entry.socketPath);
            continue;
        }
        QFile title(entry.socketPath + QStringLiteral(".title"));
        if (!title.open(QIODevice::ReadOnly))
            continue; // being published or withdrawn right now
        entry.caption = title.readAll();
        if (caption && entry.caption != *caption)
            continue; // another caption with the same hash
        entry.pid = pid;
        entry.windowId = makeWindowId(pid, number);
        found.append(entry);
    }
    ::closedir(stream);
    return found;
}

} // namespace zuv::Bus
