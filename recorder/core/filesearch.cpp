#include "filesearch.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <dirent.h>
#include <foundation/paths.h>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace zuv::recorder {
namespace {

// How long the search may run before it lets events run again: short enough
// for a responsive stop button, long enough not to cost time.
constexpr qint64 kEventsEveryMs = 30;

} // namespace

struct FileSearch::Walk
{
    FileSearch& search;
    QRegularExpression pattern;
    QStringList& found;
    std::set<std::pair<dev_t, ino_t>> visited;
    QElapsedTimer sinceEvents;

    // False once the search is to stop. Called for every folder: events run
    // at least that often, and more often in a large one.
    bool check(const QString& folder)
    {
        if (search.m_progress) {
            search.m_progress(folder, found.size());
            sinceEvents.restart();
        }
        return search.m_running;
    }

    void folder(const QString& path)
    {
        if (!check(path))
            return;
        const QByteArray encoded = QFile::encodeName(path);
        struct stat self;
        if (::stat(encoded.constData(), &self) != 0 || !S_ISDIR(self.st_mode))
            return;
        if (!visited.emplace(self.st_dev, self.st_ino).second)
            return;
        DIR* dir = ::opendir(encoded.constData());
        if (!dir)
            return;
        std::vector<QString> folders;
        std::vector<QString> files;
        while (const dirent* entry = ::readdir(dir)) {
            if (search.m_progress && sinceEvents.elapsed() >= kEventsEveryMs && !check(path))
                break;
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            bool isFolder = entry->d_type == DT_DIR;
            // Links and file systems that do not say the type are asked.
            if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
                struct stat target;
                const QByteArray full = encoded + '/' + name;
                if (::stat(full.constData(), &target) != 0)
                    continue; // a dangling link
                isFolder = S_ISDIR(target.st_mode);
            }
            (isFolder ? folders : files).push_back(QFile::decodeName(name));
        }
        ::closedir(dir);

        const auto byName = [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        };
        std::sort(folders.begin(), folders.end(), byName);
        std::sort(files.begin(), files.end(), byName);
        const QString prefix = path.endsWith(u'/') ? path : path + u'/';
        for (const QString& name : folders) {
            folder(prefix + name);
            if (!search.m_running)
                return;
        }
        for (const QString& name : files) {
            if (pattern.match(name).hasMatch())
                found.append(prefix + name);
        }
    }
};

bool FileSearch::FindFiles(const QString& pattern, const QString& folder, QStringList& found)
{
    if (m_busy) {
        m_running = false;
        return false;
    }
    QString root = folder.isEmpty() ? QDir::rootPath() : resolvePath(folder);
    // The folder as designed ends with a separator; a trailing one is harmless.
    if (root.size() > 1 && root.endsWith(u'/'))
        root.chop(1);
    QString wildcard = pattern;
    if (wildcard.size() < 2)
        wildcard.prepend(u'*');
    Walk walk{*this,
              QRegularExpression(QRegularExpression::wildcardToRegularExpression(wildcard),
                                 QRegularExpression::CaseInsensitiveOption),
              found,
              {},
              {}};
    walk.sinceEvents.start();
    m_busy = true;
    m_running = true;
    walk.folder(root);
    const bool completed = m_running;
    m_busy = false;
    m_running = false;
    return completed;
}

} // namespace zuv::recorder
