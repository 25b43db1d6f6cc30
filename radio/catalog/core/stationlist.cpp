#include "stationlist.h"

#include "categories.h"

#include <foundation/fieldlist.h>
#include <foundation/textfile.h>

namespace zuv::radio {

StationCatalog::StationCatalog(QStringList lines) : m_lines(std::move(lines))
{
    cutFields();
}

bool StationCatalog::load(const QString& path)
{
    std::optional<QStringList> lines = TextFile::readLines(path);
    m_lines = lines ? std::move(*lines) : QStringList();
    cutFields();
    return lines.has_value();
}

void StationCatalog::cutFields()
{
    m_fields.clear();
    m_fields.resize(m_lines.size());
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QStringView line = m_lines.at(i);
        Spans& spans = m_fields[size_t(i)];
        qsizetype begin = 0;
        for (Span& span : spans) {
            const qsizetype end = line.indexOf(kFieldSeparator, begin);
            span = {qint32(begin), qint32((end < 0 ? line.size() : end) - begin)};
            if (end < 0)
                break; // the fields after the last one stay empty
            begin = end + kFieldSeparator.size();
        }
    }
}

QStringView StationCatalog::view(int index, int number) const
{
    if (index < 0 || index >= size() || number < 0 || number >= FieldCount)
        return {};
    const Span span = m_fields[size_t(index)][size_t(number)];
    return QStringView(m_lines.at(index)).sliced(span.begin, span.length);
}

QString StationCatalog::field(int index, int number) const
{
    return view(index, number).toString();
}

QString StationCatalog::stream(int index, int level) const
{
    return level >= 1 && level <= 5 ? field(index, FirstStream + level - 1) : QString();
}

QString StationCatalog::bitRate(int index, int level) const
{
    return level >= 1 && level <= 5 ? field(index, FirstBitRate + level - 1) : QString();
}

QString StationCatalog::displayName(int index) const
{
    return name(index).append(view(index, Mark).mid(4));
}

bool StationCatalog::recommended(int index) const
{
    return view(index, Mark).startsWith(u"tip");
}

QList<int> StationCatalog::offeredQualities(int index) const
{
    QList<int> levels;
    for (int level = 1; level <= 5; ++level) {
        if (!view(index, FirstBitRate + level - 1).isEmpty())
            levels.append(level);
    }
    return levels;
}

QList<int> StationCatalog::filter(const QString& kategorie) const
{
    QList<int> found;
    for (int i = 0; i < size(); ++i) {
        if (!m_lines.at(i).isEmpty() && stationInCategory(view(i, Category), kategorie))
            found.append(i);
    }
    return found;
}

std::optional<int> StationCatalog::indexOfId(const QString& id) const
{
    if (id.size() != 6)
        return std::nullopt;
    for (int i = 0; i < size(); ++i) {
        if (QStringView(m_lines.at(i)).left(6).compare(id, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

} // namespace zuv::radio
