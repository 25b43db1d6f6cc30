#include "messagetext.h"

#include <foundation/messageescape.h>
#include <string_view>

namespace zuv::server::MessageText {

QString escape(const QString& text)
{
    return MessageEscape::escape(text);
}

QString unescape(const QString& text)
{
    QString out = text;
    const auto& pairs = MessageEscape::kPairs;
    for (auto it = pairs.rbegin(); it != pairs.rend(); ++it) {
        const QString plain = it->plain == std::u16string_view(u"\r\n")
                                  ? QStringLiteral("\n")
                                  : QString::fromUtf16(it->plain);
        out.replace(QString::fromUtf16(it->escaped), plain, Qt::CaseInsensitive);
    }
    return out;
}

} // namespace zuv::server::MessageText
