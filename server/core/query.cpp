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

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "%XX" becomes its byte; a "%" not followed by two hex digits stays as it is.
std::string percentDecoded(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out += ' ';
        } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
                   hexValue(text[i + 2]) >= 0) {
            out += char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::multimap<std::string, std::string> parseQueryString(std::string_view query)
{
    std::multimap<std::string, std::string> pairs;
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (pair.empty())
            continue;
        const std::size_t eq = pair.find('=');
        const std::string_view key = pair.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view() : pair.substr(eq + 1);
        pairs.emplace(percentDecoded(key), percentDecoded(value));
    }
    return pairs;
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
