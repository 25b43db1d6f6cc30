#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace zuv {

// The separator of every field list of the suite.
inline constexpr QStringView kFieldSeparator = u"/@/";

// Splits the whole text at every separator; index 0 is the first field.
QStringList splitFields(QStringView text);

// Reads a field list from the left: each next() returns the text before the
// next separator and moves past it; rest() is everything not yet read, which
// may itself hold separators.
class FieldReader
{
public:
    explicit FieldReader(QString text) : m_rest(std::move(text)) {}

    // True when another separator follows, i.e. next() cuts a whole field.
    bool hasSeparator() const { return m_rest.contains(kFieldSeparator); }

    // The next field. Without a further separator: the whole rest, after
    // which the reader is at its end.
    QString next();

    const QString& rest() const { return m_rest; }
    bool atEnd() const { return m_rest.isEmpty(); }

private:
    QString m_rest;
};

// Joins fields with the separator (no trailing separator).
QString joinFields(const QStringList& fields);

} // namespace zuv
