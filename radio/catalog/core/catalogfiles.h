#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace zuv::radio {

// A downloaded seznam.tt sorted by line kind. The two texts are Windows-1250,
// every line ended by CR LF, ready to be written as radios.tt and
// kategories.tt; the advert and info commands are the rest of their lines
// ("zuv:r:" / "zuv:i:" cut off), in file order.
struct CatalogSplit
{
    QByteArray stations;
    QByteArray categories;
    QStringList adverts;
    QStringList infos;
};

// Sorts the lines of seznam.tt. Prefixes are compared regardless of case;
// empty lines and the end mark "<end>" are dropped; "zuv:k:" lines become
// category lines without the prefix; any other line is a station record,
// kept unchanged.
CatalogSplit splitCatalogList(const QStringList& lines);

// Replaces radios.tt and kategories.tt in `dir` by the split's texts. Each
// file is rewritten atomically, and when the second cannot be written the
// first gets its old content back: on false both files are as they were.
bool writeCatalog(const QString& dir, const CatalogSplit& split);

// The reply to the size probe (zuv_test_size.tt).
struct SizeProbe
{
    std::optional<qint64> size; // the announced byte count of seznam.tt
    bool refused = false;       // the server cannot serve the list now
};

// The server's refusal starts with this marker.
inline constexpr QStringView kServerErrorMarker = u"zuvnet:error";

// Reads the probe reply: a line starting with "size:" sets the size (the last
// such line counts; anything but a non-negative decimal number leaves no
// size), a line starting with the error marker refuses. Both regardless of
// case.
SizeProbe readSizeProbe(const QStringList& lines);

// The progress shown while seznam.tt grows: bytes × 100 / expected, rounded
// half up; 0 while the expected size is not positive.
int downloadPercent(qint64 bytes, qint64 expected);

} // namespace zuv::radio
