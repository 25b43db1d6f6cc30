#pragma once

#include <QString>
#include <optional>

namespace zuv::chat {

// One conversation's page in <program folder>/Cache, Windows-1250, one line
// ended by CR LF. Every change rewrites the file atomically: a crash leaves
// the old page or the new one, never a part.
class HistoryFile
{
public:
    // "<dir>\Cache\<own>-<contact>.htm"
    static QString pathFor(const QString& programDir, const QString& ownId,
                           const QString& contactId);

    explicit HistoryFile(QString path = {}) : m_path(std::move(path)) {}
    const QString& path() const { return m_path; }

    // Creates the file from the empty page when it does not exist (the
    // Cache folder too); an existing file is left as it is.
    bool TestHTMLex(const QString& fontSize) const;

    // The page as stored; nothing when it cannot be read.
    std::optional<QString> read() const;

    // Adds one entry. `entry` is empty when the page is only to be rewritten.
    struct Added
    {
        bool written = false;
        QString entry; // as it stands in the page, smileys and escapes converted
    };
    Added add(const QString& entry, const QString& programDir) const;

    bool remove() const;

private:
    QString m_path;
};

} // namespace zuv::chat
