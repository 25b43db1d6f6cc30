#pragma once

#include <QString>
#include <QStringList>

namespace zuv::radio {

// The favourites file list.tt: one favourite per line "sv:<id>/<quality>",
// e.g. "sv:123456/2"; other lines (the file normally starts with an empty
// one) are ignored. The whole line is the favourite's key.
QString favouritesPath(const QString& dir);

// The favourites of the file's lines without "sv:" (compared regardless of
// case): "<id>/<quality>", in file order, repeats kept.
QStringList readFavourites(const QStringList& lines);

// One entry of the player's favourites list: a visible text of exactly 93
// characters (station name, "  (", bit rate, "kbps)", padded with spaces and
// cut), then the quality digit at character 94, the station id at 95 … 100
// and the stream address from 101 on.
struct FavouriteEntry
{
    QString text;

    static FavouriteEntry make(const QString& name, const QString& bitRate, const QString& quality,
                               const QString& stationId, const QString& url);
    QString visible() const { return text.left(93); }
    QString quality() const { return text.mid(93, 1); }
    QString stationId() const { return text.mid(94, 6); }
    QString url() const { return text.mid(100); }
    // The favourite's key in list.tt, "sv:<id>/<quality>".
    QString key() const;
};

// The entry texts for the favourites (as readFavourites gives them) from the
// lines of radios.tt: per favourite in order, one entry for each catalog
// line whose first six characters are the favourite's (letter case aside),
// with name, bit rate and address of the favourite's quality. A quality
// other than "1" … "5" and an id missing from the catalog add nothing.
QStringList favouriteEntries(const QStringList& favourites, const QStringList& catalogLines);

// The entries from list.tt and radios.tt in the folder; none when either
// file cannot be read.
QStringList loadFavouriteEntries(const QString& dir);

enum class AddFavouriteResult
{
    Added,
    AlreadyThere,
    Failed, // list.tt could not be read or written, or id or quality is malformed
};

// Adds "sv:<id>/<quality>" to list.tt in the folder unless a line already
// equals it (letter case aside). A missing file is created first with one
// empty line. The file is rewritten atomically with its non-empty lines; one
// that exists but cannot be read is left alone. The id must have six
// characters and the quality be "1" … "5".
AddFavouriteResult addFavourite(const QString& dir, const QString& stationId,
                                const QString& quality);

// Removes every line equal to the key (letter case aside) from list.tt in
// the folder, which is rewritten atomically as an empty line followed by the
// remaining non-empty lines, also when the key was not there. True when a
// line was removed. A file that cannot be read is left alone.
bool deleteFavourite(const QString& dir, const QString& key);

} // namespace zuv::radio
