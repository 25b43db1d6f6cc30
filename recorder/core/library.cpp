#include "library.h"

#include <QFile>
#include <foundation/paths.h>
#include <sys/stat.h>

namespace zuv::recorder {
namespace {

constexpr int kFieldWidth = 30;

// Fields are padded with spaces by the recorder and with zeros by others;
// groups must not differ by the padding alone.
QString fieldText(const QString& field)
{
    QString text = OsekejText(field, kFieldWidth);
    qsizetype end = text.size();
    while (end > 0 && (text.at(end - 1) == u' ' || text.at(end - 1) == QChar(0)))
        --end;
    text.truncate(end);
    return text;
}

QString orUnsorted(const QString& value)
{
    return value.isEmpty() ? unsortedGroup() : value;
}

} // namespace

QString musicFolder()
{
    return programDir() + QStringLiteral("\\Music");
}

QString unsortedGroup()
{
    return QStringLiteral("[ Nezařazeno ]");
}

QString OsekejText(const QString& Text, int PocetZnaku)
{
    qsizetype end = std::min<qsizetype>(Text.size(), std::max(PocetZnaku, 0));
    while (end > 0 && Text.at(end - 1) == QChar(0))
        --end;
    return Text.left(end);
}

QString TrackInfo::artistGroup() const
{
    return orUnsorted(artist);
}
QString TrackInfo::albumGroup() const
{
    return orUnsorted(album);
}
QString TrackInfo::genreGroup() const
{
    return orUnsorted(genre);
}

TrackInfo trackInfo(const std::optional<ID3Tag>& tag)
{
    if (!tag)
        return {};
    static const QStringList genres = ID3GenreNames();
    TrackInfo track;
    track.title = fieldText(tag->title);
    track.artist = fieldText(tag->artist);
    track.album = fieldText(tag->album);
    if (tag->genre < genres.size())
        track.genre = genres.at(tag->genre);
    return track;
}

std::optional<TrackInfo> TagCache::track(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        m_entries.remove(path);
        return std::nullopt;
    }
    const qint64 modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    auto it = m_entries.find(path);
    if (it != m_entries.end() && it->size == qint64(info.st_size) && it->modified == modified)
        return it->track;
    ++m_reads;
    Entry entry{qint64(info.st_size), modified, trackInfo(ReadID3Tag(path))};
    m_entries.insert(path, entry);
    return entry.track;
}

QString LibraryGroups::Group::text() const
{
    return value + QStringLiteral(" (") + QString::number(count) + u')';
}

void LibraryGroups::add(const TrackInfo& track)
{
    count(m_artists, u'g' + track.artistGroup(), track.artistGroup());
    count(m_albums, u'q' + track.albumGroup(), track.albumGroup());
    count(m_genres, u's' + track.genreGroup(), track.genreGroup());
}

void LibraryGroups::clear()
{
    m_artists.clear();
    m_albums.clear();
    m_genres.clear();
    m_index.clear();
}

const LibraryGroups::Group* LibraryGroups::find(const QString& key) const
{
    const auto it = m_index.constFind(key);
    if (it == m_index.constEnd())
        return nullptr;
    const QList<Group>& groups = key.startsWith(u'g')   ? m_artists
                                 : key.startsWith(u'q') ? m_albums
                                                        : m_genres;
    return &groups.at(*it);
}

void LibraryGroups::count(QList<Group>& groups, const QString& key, const QString& value)
{
    const auto it = m_index.constFind(key);
    if (it != m_index.constEnd()) {
        ++groups[*it].count;
        return;
    }
    m_index.insert(key, groups.size());
    groups.append(Group{key, value, 1});
}

std::optional<SearchRequest> searchForNode(const QString& key)
{
    if (key.size() < 2)
        return std::nullopt;
    const QString rest = key.mid(1);
    switch (key.at(0).unicode()) {
    case u'g':
        return SearchRequest{rest, {}, {}};
    case u'q':
        return SearchRequest{{}, rest, {}};
    case u's':
        return SearchRequest{{}, {}, rest};
    default:
        return std::nullopt;
    }
}

bool matchesSearch(const TrackInfo& track, const QString& Artist, const QString& Album,
                   const QString& Genre)
{
    return (Artist.isEmpty() || track.artistGroup() == Artist) &&
           (Album.isEmpty() || track.albumGroup() == Album) &&
           (Genre.isEmpty() || track.genreGroup() == Genre);
}

QString summaryText(qsizetype files, qsizetype artists, qsizetype albums, qsizetype genres)
{
    return QStringLiteral("Nalezeno %1 hudebních souborů, %2 autorů, %3 albumů a %4 žánrů.")
        .arg(files)
        .arg(artists)
        .arg(albums)
        .arg(genres);
}

QString listText(const QString& searched, qsizetype files)
{
    return (searched.isEmpty() ? QStringLiteral("Knihovna") : searched) +
           QStringLiteral(": zde se nachází ") + QString::number(files) +
           QStringLiteral(" hudebních souborů.");
}

} // namespace zuv::recorder
