#include "catalog.h"

#include <QFile>
#include <QSet>
#include <foundation/codepage.h>
#include <optional>

namespace zuv::server {
namespace {

constexpr QStringView kSep = u"/@/";
constexpr QStringView kCategoryPrefix = u"zuv:k:";
constexpr QStringView kAdvertPrefix = u"zuv:r:";
constexpr QStringView kInfoPrefix = u"zuv:i:";
// kSep as the list's writer appends it.
constexpr const char* kSepBytes = "/@/";
constexpr const char* kLineEnd = "\r\n";
constexpr int kTopCodeLength = 6;
constexpr int kAdvertFields = 4; // height, window height, switch, URL
constexpr int kAdvertUrl = 3;
constexpr int kInfoFields = 7;
// A request names the server under whatever Host it likes; a few bodies are
// enough for the names it is really reached under.
constexpr qsizetype kKeptBases = 8;

bool startsWith(QStringView line, QStringView prefix)
{
    return line.startsWith(prefix, Qt::CaseInsensitive);
}

std::optional<CatalogCategory> parseCategory(QStringView line)
{
    const bool top = startsWith(line, u"new//");
    if (!top && !startsWith(line, u"add//"))
        return std::nullopt;
    const QStringView rest = line.mid(5);
    const qsizetype sep = rest.indexOf(kSep);
    if (sep < 0)
        return std::nullopt;
    const QStringView code = rest.left(sep);
    // The kind is told by the code when the list is written, so a line whose
    // kind and code disagree could not come back as it was.
    if (top ? code.size() != kTopCodeLength : code.size() <= kTopCodeLength)
        return std::nullopt;
    return CatalogCategory{code.toString(), rest.mid(sep + kSep.size()).toString()};
}

std::optional<CatalogStation> parseStation(QStringView line)
{
    CatalogStation station;
    qsizetype from = 0;
    for (int i = 0; i < kStationFields; ++i) {
        const qsizetype sep = line.indexOf(kSep, from);
        const bool last = i == kStationFields - 1;
        if (sep < 0 && !last)
            return std::nullopt;
        const qsizetype end = sep < 0 ? line.size() : sep;
        station.fields[std::size_t(i)] = line.mid(from, end - from).toString();
        if (last)
            station.tail = line.mid(end).toString();
        from = end + kSep.size();
    }
    if (station.fields[StationField::Id].size() != 6)
        return std::nullopt;
    return station;
}

bool hasFields(QStringView command, int count)
{
    return command.count(kSep) >= count - 1;
}

bool isUrlField(int field)
{
    return (field >= StationField::Url1 && field < StationField::Rate1) ||
           field == StationField::Web;
}

// A path means a page of this server.
bool isPath(QByteArrayView url)
{
    return url.startsWith('/') && !url.startsWith("//");
}

QString advertCommand(const QString& command, const QString& base)
{
    QStringList fields = command.split(kSep.toString());
    if (fields.size() > kAdvertUrl && isPath(fields[kAdvertUrl].toUtf8()))
        fields[kAdvertUrl].prepend(base);
    return fields.join(kSep);
}

// The list is megabytes of text, which SQLite holds as UTF-8 (from
// QString::toUtf8) and which is mostly ASCII: it goes to Windows-1250 from
// there directly, byte for byte as CodePage::encode would turn it.
class Cp1250Writer
{
public:
    explicit Cp1250Writer(QByteArray& out) : m_out(out) {}

    void ascii(const char* text) { m_out += text; }
    void text(QStringView text) { m_out += CodePage::encode(text); }

    void utf8(QByteArrayView text)
    {
        const auto* p = reinterpret_cast<const unsigned char*>(text.data());
        const auto* const end = p + text.size();
        const auto& bytes = table();
        while (p < end) {
            const auto* run = p;
            while (p < end && *p < 0x80)
                ++p;
            m_out.append(reinterpret_cast<const char*>(run), p - run);
            if (p == end)
                break;
            if ((p[0] & 0xE0) == 0xC0 && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
                m_out += bytes[((p[0] & 0x1F) << 6) | (p[1] & 0x3F)];
                p += 2;
            } else if ((p[0] & 0xF0) == 0xE0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 &&
                       (p[2] & 0xC0) == 0x80) {
                m_out += bytes[((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F)];
                p += 3;
            } else {
                // A character beyond the first 65 536 has no byte; Qt reads
                // anything else.
                const auto* start = p++;
                while (p < end && (*p & 0xC0) == 0x80)
                    ++p;
                m_out += CodePage::encode(
                    QString::fromUtf8(reinterpret_cast<const char*>(start), p - start));
            }
        }
    }

private:
    // The byte of each character of the first 65 536, "?" when it has none.
    static const std::array<char, 0x10000>& table()
    {
        static const std::array<char, 0x10000> bytes = [] {
            std::array<char, 0x10000> t;
            t.fill('?');
            for (int b = 0; b < 256; ++b) {
                const char byte = char(b);
                t[CodePage::decode(QByteArrayView(&byte, 1)).at(0).unicode()] = byte;
            }
            return t;
        }();
        return bytes;
    }

    QByteArray& m_out;
};

const char* originName(CatalogOrigin origin)
{
    switch (origin) {
    case CatalogOrigin::Demo:
        return "demo";
    case CatalogOrigin::Imported:
        return "import";
    case CatalogOrigin::None:
        break;
    }
    return "";
}

} // namespace

ParsedCatalog parseCatalog(QStringView text)
{
    ParsedCatalog parsed;
    StationCatalog& c = parsed.catalog;
    QSet<QString> codes;
    QSet<QString> ids;
    int number = 0;
    for (QStringView line : text.split(u'\n')) {
        ++number;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty() || line.compare(u"<end>", Qt::CaseInsensitive) == 0)
            continue;
        bool ok = false;
        if (startsWith(line, kCategoryPrefix)) {
            auto category = parseCategory(line.mid(kCategoryPrefix.size()));
            // The browser keys its tree by code: a second node of one code
            // would stop it building the tree.
            ok = category && !codes.contains(category->code);
            if (ok) {
                codes.insert(category->code);
                c.categories.append(std::move(*category));
            }
        } else if (startsWith(line, kAdvertPrefix)) {
            const QStringView command = line.mid(kAdvertPrefix.size());
            ok = hasFields(command, kAdvertFields);
            if (ok)
                c.adverts.append(command.toString());
        } else if (startsWith(line, kInfoPrefix)) {
            const QStringView command = line.mid(kInfoPrefix.size());
            ok = hasFields(command, kInfoFields);
            if (ok)
                c.infos.append(command.toString());
        } else {
            auto station = parseStation(line);
            // The suite finds a station by its id, ignoring case.
            const QString key =
                station ? station->fields[StationField::Id].toCaseFolded() : QString();
            ok = station && !ids.contains(key);
            if (ok) {
                ids.insert(key);
                c.stations.append(std::move(*station));
            }
        }
        if (!ok)
            parsed.badLines.append(number);
    }
    return parsed;
}

namespace Catalog {

void replace(Sql& db, const StationCatalog& catalog, CatalogOrigin origin)
{
    Transaction tx(db);
    db.exec("DELETE FROM catalog_categories; DELETE FROM catalog_stations; "
            "DELETE FROM catalog_panels;");
    qint64 position = 0;
    for (const CatalogCategory& category : catalog.categories) {
        db.prepare("INSERT INTO catalog_categories(position, code, name) VALUES(?, ?, ?)")
            .bind(1, ++position)
            .bind(2, category.code)
            .bind(3, category.name)
            .run();
    }
    position = 0;
    for (const CatalogStation& station : catalog.stations) {
        auto insert = db.prepare(
            "INSERT INTO catalog_stations(position, id, name, mark, unused, country, category, "
            "url1, url2, url3, url4, url5, rate1, rate2, rate3, rate4, rate5, web, description, "
            "tail) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        insert.bind(1, ++position);
        for (int i = 0; i < kStationFields; ++i)
            insert.bind(2 + i, station.fields[std::size_t(i)]);
        insert.bind(2 + kStationFields, station.tail).run();
    }
    position = 0;
    const auto addPanel = [&](const char* kind, const QString& command) {
        db.prepare("INSERT INTO catalog_panels(position, kind, command) VALUES(?, ?, ?)")
            .bind(1, ++position)
            .bind(2, QString::fromLatin1(kind))
            .bind(3, command)
            .run();
    };
    for (const QString& advert : catalog.adverts)
        addPanel("r", advert);
    for (const QString& info : catalog.infos)
        addPanel("i", info);
    db.prepare("UPDATE catalog_meta SET generation = generation + 1, origin = ?")
        .bind(1, QString::fromLatin1(originName(origin)))
        .run();
    tx.commit();
}

CatalogOrigin origin(Sql& db)
{
    auto st = db.prepare("SELECT origin FROM catalog_meta");
    const QString name = st.step() ? st.text(0) : QString();
    if (name == QLatin1StringView(originName(CatalogOrigin::Demo)))
        return CatalogOrigin::Demo;
    if (name == QLatin1StringView(originName(CatalogOrigin::Imported)))
        return CatalogOrigin::Imported;
    return CatalogOrigin::None;
}

qint64 generation(Sql& db)
{
    auto st = db.prepare("SELECT generation FROM catalog_meta");
    return st.step() ? st.integer(0) : 0;
}

QByteArray render(Sql& db, const QString& base)
{
    QByteArray bytes;
    Cp1250Writer out(bytes);
    {
        auto st = db.prepare("SELECT code, name FROM catalog_categories ORDER BY position");
        while (st.step()) {
            const QByteArrayView code = st.utf8(0);
            out.ascii("zuv:k:");
            out.ascii(code.size() == kTopCodeLength ? "new//" : "add//");
            out.utf8(code);
            out.ascii(kSepBytes);
            out.utf8(st.utf8(1));
            out.ascii(kLineEnd);
        }
    }
    {
        auto st = db.prepare("SELECT id, name, mark, unused, country, category, url1, url2, url3, "
                             "url4, url5, rate1, rate2, rate3, rate4, rate5, web, description, "
                             "tail FROM catalog_stations ORDER BY position");
        while (st.step()) {
            for (int i = 0; i < kStationFields; ++i) {
                if (i > 0)
                    out.ascii(kSepBytes);
                const QByteArrayView field = st.utf8(i);
                if (isUrlField(i) && isPath(field))
                    out.text(base);
                out.utf8(field);
            }
            out.utf8(st.utf8(kStationFields));
            out.ascii(kLineEnd);
        }
    }
    {
        // Adverts first, then the info panel, each in the order they came.
        auto st =
            db.prepare("SELECT kind, command FROM catalog_panels ORDER BY kind = 'i', position");
        while (st.step()) {
            if (st.utf8(0) == "r") {
                out.ascii("zuv:r:");
                out.text(advertCommand(st.text(1), base));
            } else {
                out.ascii("zuv:i:");
                out.utf8(st.utf8(1));
            }
            out.ascii(kLineEnd);
        }
    }
    out.ascii("<end>");
    out.ascii(kLineEnd);
    return bytes;
}

Import importFile(Sql& db, const QString& path)
{
    Import result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return result;
    }
    const ParsedCatalog parsed = parseCatalog(CodePage::decode(bytes));
    result.badLines = parsed.badLines;
    const StationCatalog& c = parsed.catalog;
    if (c.stations.isEmpty()) {
        result.error = QStringLiteral("%1 holds no station record").arg(path);
        return result;
    }
    replace(db, c, CatalogOrigin::Imported);
    result.ok = true;
    result.categories = int(c.categories.size());
    result.stations = int(c.stations.size());
    result.panels = int(c.adverts.size() + c.infos.size());
    return result;
}

} // namespace Catalog

QByteArray CatalogCache::body(Sql& db, const QString& base)
{
    const qint64 generation = Catalog::generation(db);
    std::lock_guard lock(m_mutex);
    if (generation != m_generation) {
        m_bodies.clear();
        m_generation = generation;
    }
    if (const auto found = m_bodies.constFind(base); found != m_bodies.constEnd())
        return *found;
    if (m_bodies.size() >= kKeptBases)
        m_bodies.clear();
    const QByteArray body = Catalog::render(db, base);
    m_bodies.insert(base, body);
    return body;
}

} // namespace zuv::server
