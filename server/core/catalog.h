#pragma once

#include "sql.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <mutex>

// The station catalog the radio player's browser downloads: the category
// tree, the stations in list order and the commands for the browser's advert
// strip and info panel.
namespace zuv::server {

inline constexpr int kStationFields = 18;

// The fields of a station record, separated by "/@/".
namespace StationField {
enum : int
{
    Id, // six characters, unique
    Name,
    Mark,   // "tip..." marks a recommended station; from its 5th character, shown after the name
    Unused, // carried as it came
    Country,
    Category,         // the category's code, optionally followed by a group suffix
    Url1,             // Url1 + n: the stream of quality level n + 1
    Rate1 = Url1 + 5, // Rate1 + n: its bit rate; empty when the level is not offered
    Web = Rate1 + 5,
    Description,
};
} // namespace StationField

struct CatalogCategory
{
    QString code; // six characters for a top-level category; longer: a child of its first six
    QString name;
};

struct CatalogStation
{
    std::array<QString, kStationFields> fields;
    QString tail; // whatever followed field 17, its separators included
};

struct StationCatalog
{
    QList<CatalogCategory> categories;
    QList<CatalogStation> stations;
    QStringList adverts; // "zuv:r:" commands without their prefix
    QStringList infos;   // "zuv:i:" commands without their prefix
};

// A catalog file in the list's own line format. Empty lines and "<end>" are
// skipped; a line that cannot be used is left out and its number (from 1)
// noted.
struct ParsedCatalog
{
    StationCatalog catalog;
    QList<int> badLines;
};
ParsedCatalog parseCatalog(QStringView text);

// Where a stored catalog came from: --seed demo rewrites its own, never an
// imported one.
enum class CatalogOrigin
{
    None,
    Demo,
    Imported,
};

// The answer to the error-free probe is "size:" + the byte count of the
// list; anything else starts with this marker.
inline constexpr char16_t kCatalogError[] = u"zuvnet:error";

namespace Catalog {

// Replaces the stored catalog in one transaction of its own.
void replace(Sql& db, const StationCatalog& catalog, CatalogOrigin origin);
CatalogOrigin origin(Sql& db);
// Changes with every replace(), also one made by another process.
qint64 generation(Sql& db);

// The list as it goes out: Windows-1250 lines ended by CR LF, the category
// lines first ("zuv:k:"), then the stations, the advert and info commands,
// and "<end>". A URL field that holds a path ("/faq") names this server by
// `base`, as the server settings file does.
QByteArray render(Sql& db, const QString& base);

// What loading a catalog file did.
struct Import
{
    bool ok = false; // false: the stored catalog is as it was
    QString error;   // why not
    int categories = 0;
    int stations = 0;
    int panels = 0; // advert and info commands
    QList<int> badLines;
};
// Replaces the stored catalog with the file's, unless the file cannot be
// read or holds no station at all (the wrong file, most likely).
Import importFile(Sql& db, const QString& path);

} // namespace Catalog

// The rendered list kept between requests, so the probe and the list that
// follows it get the same bytes and a large catalog is rendered once per
// change rather than twice per download. Safe from any thread.
class CatalogCache
{
public:
    QByteArray body(Sql& db, const QString& base);

private:
    std::mutex m_mutex;
    qint64 m_generation = -1;
    QHash<QString, QByteArray> m_bodies; // by base address
};

} // namespace zuv::server
