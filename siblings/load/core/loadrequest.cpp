#include "loadrequest.h"

#include <QUrl>
#include <foundation/codepage.h>
#include <foundation/fieldlist.h>
#include <utility>

namespace zuv::load {

std::optional<LoadRequest> parseLoadArgument(const QString& argument)
{
    LoadRequest request;
    QString rest = argument;
    const QString showTail = kFieldSeparator.toString() + QStringLiteral("show");
    if (rest.endsWith(showTail)) {
        rest.chop(showTail.size());
        request.show = true;
    }
    const qsizetype at = rest.lastIndexOf(kFieldSeparator);
    if (at <= 0)
        return std::nullopt;
    request.url = rest.left(at);
    request.replyFile = rest.mid(at + kFieldSeparator.size());
    if (request.replyFile.isEmpty())
        return std::nullopt;
    return request;
}

QByteArray wireUrl(const QString& url)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    bool inQuery = false;
    for (char c : CodePage::encode(url)) {
        const auto b = static_cast<unsigned char>(c);
        // A "?" typed into a chat text stands in the query as it is; to a
        // server it reads the same encoded, and some take a second "?" for
        // a broken request. A "#" would end the address there: whatever a
        // password or a text holds after it would never be sent.
        const bool laterQuestionMark = c == '?' && std::exchange(inQuery, true);
        if (b <= 0x20 || b >= 0x7F || laterQuestionMark || c == '#') {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

QString shownAddress(const QByteArray& wireUrl)
{
    return QUrl::fromEncoded(wireUrl).toString(QUrl::RemoveUserInfo | QUrl::RemoveQuery |
                                               QUrl::RemoveFragment | QUrl::FullyEncoded);
}

} // namespace zuv::load
