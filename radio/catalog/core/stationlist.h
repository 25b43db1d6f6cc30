#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

namespace zuv::radio {

// The station records of radios.tt held in memory, in file order, with the
// fields each record is cut into found once at loading, so that listing a
// category of 50 000 stations or looking one up stays quick. Indexes are line
// numbers of the file (0-based), empty lines included; a record with fewer
// fields reads the missing ones as empty.
class StationCatalog
{
public:
    // Field numbers of a station record.
    enum Field : int
    {
        Id = 0,
        Name = 1,
        Mark = 2, // "tip…" recommends; shown after the name from its fifth character
        Country = 4,
        Category = 5,
        FirstStream = 6,   // u1 … u5 are 6 … 10
        FirstBitRate = 11, // k1 … k5 are 11 … 15
        Web = 16,
        Description = 17,
        FieldCount = 18, // further fields are carried but never read
    };

    StationCatalog() = default;
    explicit StationCatalog(QStringList lines);

    // Replaces the catalog by the lines of the file. False, and an empty
    // catalog, when the file cannot be read.
    bool load(const QString& path);

    // Every line as read, empty ones too.
    const QStringList& lines() const { return m_lines; }
    int size() const { return int(m_lines.size()); }

    // Field `number` (0 … 17) of the line; empty for a missing field, a field
    // number outside the record or an index outside the catalog.
    QString field(int index, int number) const;
    QString id(int index) const { return field(index, Id); }
    QString name(int index) const { return field(index, Name); }
    QString mark(int index) const { return field(index, Mark); }
    QString country(int index) const { return field(index, Country); }
    QString category(int index) const { return field(index, Category); }
    QString web(int index) const { return field(index, Web); }
    QString description(int index) const { return field(index, Description); }
    // Stream address u1 … u5 and its bit rate k1 … k5 for level 1 … 5.
    QString stream(int index, int level) const;
    QString bitRate(int index, int level) const;

    // The list text: the name followed by the mark from its fifth character.
    QString displayName(int index) const;
    // Listed in bold: the mark starts with "tip".
    bool recommended(int index) const;
    // The levels 1 … 5 whose bit rate is not empty, ascending.
    QList<int> offeredQualities(int index) const;

    // The non-empty lines listed under the category (see stationInCategory),
    // in file order.
    QList<int> filter(const QString& kategorie) const;
    // The first line whose first six characters are the id, letter case
    // aside; nothing for an id that is not six characters long.
    std::optional<int> indexOfId(const QString& id) const;

private:
    struct Span
    {
        qint32 begin = 0;
        qint32 length = 0;
    };
    using Spans = std::array<Span, FieldCount>;

    void cutFields();
    QStringView view(int index, int number) const;

    QStringList m_lines;
    std::vector<Spans> m_fields;
};

} // namespace zuv::radio
