#include "catalogfiles.h"

#include <QFile>
#include <foundation/codepage.h>
#include <foundation/textfile.h>

namespace zuv::radio {
namespace {

bool hasPrefix(const QString& line, QStringView prefix)
{
    return line.startsWith(prefix, Qt::CaseInsensitive);
}

void appendLine(QByteArray& text, QStringView line)
{
    text += CodePage::encode(line);
    text += "\r\n";
}

} // namespace

CatalogSplit splitCatalogList(const QStringList& lines)
{
    constexpr QStringView kCategory = u"zuv:k:";
    constexpr QStringView kAdvert = u"zuv:r:";
    constexpr QStringView kInfo = u"zuv:i:";
    CatalogSplit split;
    for (const QString& line : lines) {
        if (line.isEmpty() || line.compare(u"<end>", Qt::CaseInsensitive) == 0)
            continue;
        if (hasPrefix(line, kCategory))
            appendLine(split.categories, QStringView(line).sliced(kCategory.size()));
        else if (hasPrefix(line, kAdvert))
            split.adverts.append(line.sliced(kAdvert.size()));
        else if (hasPrefix(line, kInfo))
            split.infos.append(line.sliced(kInfo.size()));
        else
            appendLine(split.stations, line);
    }
    return split;
}

bool writeCatalog(const QString& dir, const CatalogSplit& split)
{
    const QString stationsPath = dir + QStringLiteral("/radios.tt");
    const QString categoriesPath = dir + QStringLiteral("/kategories.tt");
    // The two files belong together; keep the old stations to put back
    // should the categories fail.
    const std::optional<QByteArray> oldStations = TextFile::readBytes(stationsPath);
    if (!TextFile::writeBytesAtomic(stationsPath, split.stations))
        return false;
    if (TextFile::writeBytesAtomic(categoriesPath, split.categories))
        return true;
    if (oldStations)
        TextFile::writeBytesAtomic(stationsPath, *oldStations);
    else
        QFile::remove(stationsPath);
    return false;
}

SizeProbe readSizeProbe(const QStringList& lines)
{
    constexpr QStringView kSize = u"size:";
    SizeProbe probe;
    for (const QString& line : lines) {
        if (line.startsWith(kServerErrorMarker, Qt::CaseInsensitive)) {
            probe.refused = true;
        } else if (line.startsWith(kSize, Qt::CaseInsensitive)) {
            const QStringView number = QStringView(line).sliced(kSize.size()).trimmed();
            bool ok = !number.isEmpty();
            for (const QChar c : number)
                ok = ok && c >= u'0' && c <= u'9';
            const qint64 value = ok ? number.toLongLong(&ok) : 0; // ok stays false on overflow
            probe.size = ok ? std::optional<qint64>(value) : std::nullopt;
        }
    }
    return probe;
}

int downloadPercent(qint64 bytes, qint64 expected)
{
    if (expected <= 0 || bytes <= 0)
        return 0;
    return int((bytes * 100 + expected / 2) / expected);
}

} // namespace zuv::radio
