#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace zuv::recorder {

// The recursive file search behind the library's "Nové hledání". It knows
// no window: the caller hands in what lets pending events run and shows the
// progress, and stops a running search through the same object.
class FileSearch
{
public:
    // Called now and then while a search runs, with the folder being looked
    // at and the number of files found so far; this is where the window lets
    // its events run, so stop() may be called from inside it.
    using Progress = std::function<void(const QString& folder, qsizetype found)>;

    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Adds the path of every file matching `pattern` in `folder` and its
    // subfolders to `found`: the files of the subfolders (in name order)
    // before those of the folder itself. An empty folder means the root
    // folder; a pattern shorter than two characters gets "*" in front; the
    // match ignores case. Paths are written with "/". A folder reached twice
    // (a link into itself) is searched once. Called while a search runs, it
    // only stops that search and returns false; else true when the search
    // ran to its end, false when it was stopped (`found` keeps what it got).
    bool FindFiles(const QString& pattern, const QString& folder, QStringList& found);

    // Makes the running search stop at its next check.
    void stop() { m_running = false; }
    bool running() const { return m_running; }

private:
    struct Walk;

    Progress m_progress;
    bool m_running = false;
    bool m_busy = false;
};

} // namespace zuv::recorder
