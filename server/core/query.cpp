#include "query.h"

#include <foundation/codepage.h>

namespace zuv::server {

bool isTextBytes(std::string_view bytes)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t') || b == 0x7F)
            return false;
        if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98)
            return false;
    }
    return true;
}

std::optional<Query> Query::fromBytes(const std::multimap<std::string, std::string>& raw)
{
    Query query;
    for (const auto& [key, value] : raw) {
        if (key.size() > kMaxValueBytes || value.size() > kMaxValueBytes)
            return std::nullopt;
        if (!isTextBytes(key) || !isTextBytes(value))
            return std::nullopt;
        const QString name = CodePage::decode(QByteArrayView(key.data(), qsizetype(key.size())));
        if (!query.m_values.contains(name)) {
            query.m_values.insert(
                name, CodePage::decode(QByteArrayView(value.data(), qsizetype(value.size()))));
        }
    }
    return query;
}

Query Query::fromText(const QHash<QString, QString>& values)
{
    Query query;
    query.m_values = values;
    return query;
}

std::optional<QString> Query::value(const QString& key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd())
        return std::nullopt;
    return *it;
}

} // namespace zuv::server
