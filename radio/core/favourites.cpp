#include "favourites.h"

#include <QFile>
#include <foundation/fieldlist.h>
#include <foundation/paths.h>
#include <foundation/textfile.h>

namespace zuv::radio {
namespace {

constexpr QStringView kFavouritePrefix = u"sv:";

QString keyOf(const QString& stationId, const QString& quality)
{
    return kFavouritePrefix.toString() + stationId + u'/' + quality;
}

} // namespace

QString favouritesPath(const QString& dir)
{
    return dir + QStringLiteral("/list.tt");
}

QStringList readFavourites(const QStringList& lines)
{
    QStringList favourites;
    for (const QString& line : lines) {
        if (line.startsWith(kFavouritePrefix, Qt::CaseInsensitive))
            favourites.append(line.sliced(kFavouritePrefix.size()));
    }
    return favourites;
}

FavouriteEntry FavouriteEntry::make(const QString& name, const QString& bitRate,
                                    const QString& quality, const QString& stationId,
                                    const QString& url)
{
    const QString visible = name + QStringLiteral("  (") + bitRate + QStringLiteral("kbps)");
    // The readers count characters from fixed places: the id takes six,
    // whatever the record says.
    return {visible.leftJustified(93, u' ', true) + quality.left(1) +
            stationId.leftJustified(6, u' ', true) + url};
}

QString FavouriteEntry::key() const
{
    return keyOf(stationId(), quality());
}

QStringList favouriteEntries(const QStringList& favourites, const QStringList& catalogLines)
{
    QStringList entries;
    for (const QString& favourite : favourites) {
        const QStringView id = QStringView(favourite).left(6);
        const QString quality = favourite.mid(7, 1);
        const int level = quality.size() == 1 ? quality.at(0).unicode() - u'0' : 0;
        if (level < 1 || level > 5)
            continue;
        for (const QString& line : catalogLines) {
            if (QStringView(line).left(6).compare(id, Qt::CaseInsensitive) != 0)
                continue;
            const QStringList fields = splitFields(line);
            entries.append(FavouriteEntry::make(fields.value(1), fields.value(10 + level), quality,
                                                fields.value(0), fields.value(5 + level))
                               .text);
        }
    }
    return entries;
}

QStringList loadFavouriteEntries(const QString& dir)
{
    const auto catalog = TextFile::readLines(dir + QStringLiteral("/radios.tt"));
    const auto list = TextFile::readLines(favouritesPath(dir));
    if (!catalog || !list)
        return {};
    return favouriteEntries(readFavourites(*list), *catalog);
}

AddFavouriteResult addFavourite(const QString& dir, const QString& stationId,
                                const QString& quality)
{
    const bool goodQuality = quality.size() == 1 && quality.at(0) >= u'1' && quality.at(0) <= u'5';
    if (stationId.size() != 6 || stationId.contains(u'\r') || stationId.contains(u'\n') ||
        !goodQuality)
        return AddFavouriteResult::Failed;
    const QString path = favouritesPath(dir);
    if (!QFile::exists(resolvePath(path)) && !TextFile::writeBytesAtomic(path, "\r\n"))
        return AddFavouriteResult::Failed;
    std::optional<QStringList> lines = TextFile::readLines(path);
    if (!lines)
        return AddFavouriteResult::Failed;
    const QString entry = keyOf(stationId, quality);
    if (lines->contains(entry, Qt::CaseInsensitive))
        return AddFavouriteResult::AlreadyThere;
    lines->append(entry);
    return TextFile::writeLinesAtomic(path, TextFile::withoutEmptyLines(*lines))
               ? AddFavouriteResult::Added
               : AddFavouriteResult::Failed;
}

bool deleteFavourite(const QString& dir, const QString& key)
{
    const QString path = favouritesPath(dir);
    const std::optional<QStringList> lines = TextFile::readLines(path);
    if (!lines)
        return false;
    QStringList kept{QString()};
    bool found = false;
    for (const QString& line : *lines) {
        if (line.isEmpty())
            continue;
        if (line.compare(key, Qt::CaseInsensitive) == 0)
            found = true;
        else
            kept.append(line);
    }
    TextFile::writeLinesAtomic(path, kept);
    return found;
}

} // namespace zuv::radio
