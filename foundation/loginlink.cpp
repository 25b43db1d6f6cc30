#include "loginlink.h"

#include "codepage.h"

#include <QStringList>

namespace zuv::LoginLink {
namespace {

// The characters of "c-c-c-" back from their codes.
std::optional<QString> decodeCodes(const QString& text)
{
    if (!text.endsWith(u'-'))
        return text.isEmpty() ? std::optional<QString>(QString()) : std::nullopt;
    QByteArray bytes;
    const QStringList codes = text.chopped(1).split(u'-');
    bytes.reserve(codes.size());
    for (const QString& code : codes) {
        if (code.isEmpty() || code.size() > 3)
            return std::nullopt;
        for (const QChar c : code) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
        }
        const int value = code.toInt();
        if (value > 255)
            return std::nullopt;
        bytes.append(char(value));
    }
    return CodePage::decode(bytes);
}

} // namespace

QString Prehod(const QString& s)
{
    QString out = s;
    for (qsizetype i = 0; i + 1 < out.size(); i += 2)
        std::swap(out[i], out[i + 1]);
    return out;
}

QString Encrypt(const QString& s)
{
    const QByteArray bytes = CodePage::encode(Prehod(s));
    QString out;
    out.reserve(bytes.size() * 4);
    for (const char byte : bytes) {
        out += QString::number(static_cast<unsigned char>(byte));
        out += u'-';
    }
    return out;
}

QString Heslo(const QString& password)
{
    return Prehod(Encrypt(Prehod(Encrypt(password))));
}

std::optional<QString> password(const QString& heslo)
{
    const auto inner = decodeCodes(Prehod(heslo));
    if (!inner)
        return std::nullopt;
    const auto plain = decodeCodes(*inner);
    if (!plain)
        return std::nullopt;
    return Prehod(*plain);
}

QString MakePageRe(QString s)
{
    return s.replace(u'=', QStringLiteral("*r*"))
        .replace(u'/', QStringLiteral("*l*"))
        .replace(u'&', QStringLiteral("*a*"))
        .replace(u'#', QStringLiteral("*k*"))
        .replace(u'?', QStringLiteral("*o*"));
}

} // namespace zuv::LoginLink
