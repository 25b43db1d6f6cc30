#include "messagetext.h"

#include <array>
#include <utility>

namespace zuv::server::MessageText {
namespace {

using Pair = std::pair<const char16_t*, const char16_t*>;

// In the order the chat window replaces them: "&" first, so the "&" of no
// later replacement is touched again.
constexpr std::array<Pair, 7> kEscapes = {{
    {u"&", u"*.and"},
    {u"#", u"*./=/"},
    {u"+", u"*.plus"},
    {u"\"", u"*.u1"},
    {u"'", u"*.u2"},
    {u"\\", u"*.l"},
    {u"\r\n", u" <br>"},
}};

} // namespace

QString escape(const QString& text)
{
    QString out = text;
    for (const auto& [plain, escaped] : kEscapes)
        out.replace(QString::fromUtf16(plain), QString::fromUtf16(escaped), Qt::CaseInsensitive);
    return out;
}

QString unescape(const QString& text)
{
    QString out = text;
    for (auto it = kEscapes.rbegin(); it != kEscapes.rend(); ++it) {
        const QString plain = it->first == std::u16string_view(u"\r\n")
                                  ? QStringLiteral("\n")
                                  : QString::fromUtf16(it->first);
        out.replace(QString::fromUtf16(it->second), plain, Qt::CaseInsensitive);
    }
    return out;
}

} // namespace zuv::server::MessageText
