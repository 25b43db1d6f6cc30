#pragma once

#include "id3tag.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace zuv::recorder {

// The folder the recorder records into and the library searches.
QString musicFolder();

// The group of files whose artist or album field is empty, and of files
// without a tag.
QString unsortedGroup();

// The text of a fixed-width tag field of `PocetZnaku` characters without its
// trailing zero characters.
QString OsekejText(const QString& Text, int PocetZnaku);

// What the library shows of one file: the tag's texts without the zero
// characters and spaces that pad them; all empty for a file without a tag.
// The genre name is empty without a tag or for a number the list lacks.
struct TrackInfo
{
    QString title;
    QString artist;
    QString album;
    QString genre;

    // The values the tree groups by: the field, or unsortedGroup() when empty.
    QString artistGroup() const;
    QString albumGroup() const;
    QString genreGroup() const;

    bool operator==(const TrackInfo&) const = default;
};

TrackInfo trackInfo(const std::optional<ID3Tag>& tag);

// Tags read from the files, kept with each file's size and modification time
// so that a file is opened again only when it has changed.
class TagCache
{
public:
    // The file's track; a file that cannot be read or has no tag gives the
    // empty track, a file that is gone (or no file) nothing.
    std::optional<TrackInfo> track(const QString& path);
    void forget(const QString& path) { m_entries.remove(path); }
    void clear() { m_entries.clear(); }
    // How often a file was really opened, for those who watch the cost.
    qint64 reads() const { return m_reads; }

private:
    struct Entry
    {
        qint64 size = -1;
        qint64 modified = 0; // nanoseconds
        TrackInfo track;
    };
    QHash<QString, Entry> m_entries;
    qint64 m_reads = 0;
};

// The groups under the tree's three roots with their counts, in the order
// their first file came.
class LibraryGroups
{
public:
    struct Group
    {
        QString key;   // "g" + artist, "q" + album, "s" + genre
        QString value; // what the key names
        int count = 0;
        // value + " (" + count + ")"
        QString text() const;
    };

    void add(const TrackInfo& track);
    void clear();

    const QList<Group>& artists() const { return m_artists; }
    const QList<Group>& albums() const { return m_albums; }
    const QList<Group>& genres() const { return m_genres; }
    const Group* find(const QString& key) const;

private:
    void count(QList<Group>& groups, const QString& key, const QString& value);

    QList<Group> m_artists, m_albums, m_genres;
    QHash<QString, qsizetype> m_index; // key -> position in its list
};

// Keys and texts of the three roots.
inline QString artistRootKey()
{
    return QStringLiteral("Artist");
}
inline QString albumRootKey()
{
    return QStringLiteral("Album");
}
inline QString genreRootKey()
{
    return QStringLiteral("Genre");
}

// What a tree node's key asks SearchMP3 for.
struct SearchRequest
{
    QString artist;
    QString album;
    QString genre;
};
// Nothing for a root node or an unknown key.
std::optional<SearchRequest> searchForNode(const QString& key);

// True when the track belongs to the searched group: every argument that is
// not empty names a group the track is in ("[ Nezařazeno ]" stands for an
// empty field); all three empty takes every track.
bool matchesSearch(const TrackInfo& track, const QString& Artist, const QString& Album,
                   const QString& Genre);

// "Nalezeno N hudebních souborů, A autorů, B albumů a G žánrů."
QString summaryText(qsizetype files, qsizetype artists, qsizetype albums, qsizetype genres);
// The searched value (or "Knihovna" for all files) + ": zde se nachází N
// hudebních souborů."
QString listText(const QString& searched, qsizetype files);

} // namespace zuv::recorder
