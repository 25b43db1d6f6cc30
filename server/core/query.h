#pragma once

#include <QHash>
#include <QString>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zuv::server {

// No value of a request may be longer than this many bytes.
inline constexpr std::size_t kMaxValueBytes = 64 * 1024;

// True when the bytes are Windows-1250 text for a one-line value: no control
// bytes but tab, and none of the five bytes that have no character.
bool isTextBytes(std::string_view bytes);

// The key and value pairs of a query string ("id=1&text=a=b c"): a pair is
// split at its first "=", so a value keeps every "=" after it; both halves
// are percent-decoded and "+" reads as a space. Empty pairs are skipped.
std::multimap<std::string, std::string> parseQueryString(std::string_view query);

// The keys and values of a request, decoded from Windows-1250 bytes. When a
// key comes more than once, its first value counts.
class Query
{
public:
    Query() = default;

    // From percent-decoded bytes; nothing when a key or value is too long or
    // is not text.
    static std::optional<Query> fromBytes(const std::multimap<std::string, std::string>& raw);
    // From text, for callers that build a request themselves.
    static Query fromText(const QHash<QString, QString>& values);

    bool has(const QString& key) const { return m_values.contains(key); }
    std::optional<QString> value(const QString& key) const;
    // The value, or empty when the key is missing.
    QString text(const QString& key) const { return m_values.value(key); }

private:
    QHash<QString, QString> m_values;
};

} // namespace zuv::server
