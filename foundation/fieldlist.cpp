#include "fieldlist.h"

namespace zuv {

QStringList splitFields(QStringView text)
{
    QStringList fields;
    for (QStringView field : text.split(kFieldSeparator))
        fields.append(field.toString());
    return fields;
}

QString FieldReader::next()
{
    const qsizetype at = m_rest.indexOf(kFieldSeparator);
    QString field;
    if (at < 0) {
        field = std::exchange(m_rest, QString());
    } else {
        field = m_rest.left(at);
        m_rest.remove(0, at + kFieldSeparator.size());
    }
    return field;
}

QString joinFields(const QStringList& fields)
{
    return fields.join(kFieldSeparator);
}

} // namespace zuv
