#include "pagetext.h"

#include "codepage.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <optional>

namespace zuv {
namespace {

bool isWindows1250(const QByteArray& charset)
{
    static const QByteArray names[] = {"windows-1250", "cp1250", "x-cp1250", "win-1250", "cp-1250"};
    for (const QByteArray& name : names) {
        if (charset.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QByteArray charsetIn(const QByteArray& text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(charset\s*=\s*["']?\s*([A-Za-z0-9_.:\-]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(QString::fromLatin1(text));
    return match.hasMatch() ? match.captured(1).toLatin1() : QByteArray();
}

// Only a <meta> tag declares a page's charset, and only near its top.
QByteArray metaCharset(const QByteArray& body)
{
    static const QRegularExpression meta(QStringLiteral(R"(<meta\b[^>]*>)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(body.left(4096));
    for (auto it = meta.globalMatch(head); it.hasNext();) {
        const QByteArray charset = charsetIn(it.next().captured(0).toLatin1());
        if (!charset.isEmpty())
            return charset;
    }
    return {};
}

std::optional<QString> strictUtf8(const QByteArray& body)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(body);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QString undeclared(const QByteArray& body)
{
    if (auto text = strictUtf8(body))
        return *text;
    return CodePage::decode(body);
}

} // namespace

QString decodePage(const QByteArray& body, const QByteArray& contentType)
{
    if (body.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(body.mid(3));
    QByteArray charset = charsetIn(contentType);
    if (charset.isEmpty())
        charset = metaCharset(body);
    if (charset.isEmpty())
        return undeclared(body);
    if (isWindows1250(charset))
        return CodePage::decode(body);
    if (charset.compare("utf-8", Qt::CaseInsensitive) == 0 ||
        charset.compare("utf8", Qt::CaseInsensitive) == 0)
        return QString::fromUtf8(body);
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid())
        return undeclared(body);
    return decoder.decode(body);
}

} // namespace zuv
