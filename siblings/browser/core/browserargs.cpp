#include "browserargs.h"

#include <QRegularExpression>
#include <algorithm>
#include <foundation/codepage.h>
#include <foundation/fieldlist.h>
#include <limits>

using namespace Qt::StringLiterals;

namespace zuv::browser {
namespace {

constexpr int kFieldCount = 6;

const char16_t* const kFieldNames[kFieldCount] = {
    u"adresa stránky", u"šířka okna", u"výška okna",
    u"titulek okna",   u"stav okna",  u"příznak konce",
};

QString quoted(const QString& text)
{
    return u"„"_s + text + u"“"_s;
}

// Decimal digits only; more than fit are simply "very large".
bool parseSize(const QString& field, int* pixels)
{
    const QString digits = field.trimmed();
    if (digits.isEmpty())
        return false;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return false;
    }
    bool fits = false;
    const qint64 twips = digits.toLongLong(&fits);
    *pixels = twipsToPixels(fits ? twips : std::numeric_limits<qint64>::max());
    return true;
}

} // namespace

int twipsToPixels(qint64 twips)
{
    const qint64 pixels = twips / kTwipsPerPixel + (twips % kTwipsPerPixel * 2 >= kTwipsPerPixel);
    return int(std::clamp<qint64>(pixels, kMinPixels, kMaxPixels));
}

QUrl pageUrl(const QString& address, QString* error)
{
    QString text = QString(address).replace(u'\\', u'/').trimmed();
    if (text.isEmpty()) {
        *error = u"Chybí adresa stránky."_s;
        return {};
    }
    if (!text.contains(u"://"_s))
        text.prepend(u"http://"_s);

    QByteArray encoded;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QStringView character = QStringView(text).mid(i, length);
        i += length - 1;
        QByteArray bytes = CodePage::encode(character);
        // "?" would start a query; a letter Windows-1250 lacks goes as UTF-8.
        if (bytes == "?" && character != u"?")
            bytes = character.toUtf8();
        for (char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte <= 0x20 || byte >= 0x7F)
                encoded += '%' + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
            else
                encoded += c;
        }
    }
    const QUrl url = QUrl::fromEncoded(encoded, QUrl::TolerantMode);
    const bool valid = url.isValid() && !url.scheme().isEmpty();
    if (valid && url.scheme() != u"http"_s && url.scheme() != u"https"_s) {
        *error = u"Adresu "_s + quoted(address) +
                 u" ZuvBrowser neotevře: otevírá jen adresy http a https."_s;
        return {};
    }
    if (!valid || url.host().isEmpty()) {
        *error = u"Adresa stránky "_s + quoted(address) + u" je neplatná."_s;
        return {};
    }
    error->clear();
    return url;
}

BrowserArgs parseArguments(const QString& argument)
{
    BrowserArgs args;
    if (argument.isEmpty()) {
        args.error = u"Program ZuvBrowser nedostal žádný parametr."_s;
        return args;
    }
    // A missing separator after the last field is forgiven; fields after the
    // sixth are not ours and are ignored.
    QStringList fields = splitFields(argument);
    if (fields.size() > 1 && fields.last().isEmpty())
        fields.removeLast(); // what follows the last separator
    const auto present = [&](int index) {
        return index < fields.size();
    };
    auto missing = [&](int index) {
        args.error = u"Parametr programu je neúplný: chybí "_s +
                     QString::fromUtf16(kFieldNames[index]) + u'.';
        return args;
    };

    args.address = fields[0];
    args.url = pageUrl(args.address, &args.error);
    if (!args.ok())
        return args;

    int width = 0;
    int height = 0;
    if (!present(1))
        return missing(1);
    if (!parseSize(fields[1], &width)) {
        args.error = u"Šířka okna "_s + quoted(fields[1]) + u" není celé číslo."_s;
        return args;
    }
    if (!present(2))
        return missing(2);
    if (!parseSize(fields[2], &height)) {
        args.error = u"Výška okna "_s + quoted(fields[2]) + u" není celé číslo."_s;
        return args;
    }
    args.size = QSize(width, height);

    if (!present(3))
        return missing(3);
    args.title = fields[3];

    if (!present(4))
        return missing(4);
    const QString state = fields[4].trimmed();
    if (state.compare(u"normal"_s, Qt::CaseInsensitive) == 0) {
        args.state = WindowState::Normal;
    } else if (state.compare(u"max"_s, Qt::CaseInsensitive) == 0) {
        args.state = WindowState::Maximised;
    } else {
        args.error =
            u"Neznámý stav okna "_s + quoted(fields[4]) + u" (platí „normal“ nebo „max“)."_s;
        return args;
    }

    // An unknown or missing end flag keeps the window open: that loses the
    // user nothing, while closing it could hide a page.
    const QString flag = present(5) ? fields[5].trimmed() : QString();
    if (flag.compare(u"endtest"_s, Qt::CaseInsensitive) == 0)
        args.endFlag = EndFlag::EndTest;
    else if (flag.compare(u"endtestnull"_s, Qt::CaseInsensitive) == 0)
        args.endFlag = EndFlag::EndTestNull;
    else
        args.endFlag = EndFlag::NoEndTest;
    return args;
}

bool pageAsksToClose(QStringView html)
{
    static const QRegularExpression marker(QStringLiteral(R"(<!--\s*zuvbrowser\s*:\s*end\s*-->)"),
                                           QRegularExpression::CaseInsensitiveOption);
    return marker.match(html).hasMatch();
}

bool isEmptyReply(const QByteArray& body)
{
    return body.trimmed().isEmpty();
}

bool closesAfterLoad(EndFlag flag, const QByteArray& body, QStringView html)
{
    switch (flag) {
    case EndFlag::NoEndTest:
        return false;
    case EndFlag::EndTest:
        return pageAsksToClose(html);
    case EndFlag::EndTestNull:
        return isEmptyReply(body) || pageAsksToClose(html);
    }
    return false;
}

QString failureReason(QNetworkReply::NetworkError error, int httpStatus,
                      const QString& reasonPhrase, const QString& qtText)
{
    if (httpStatus >= 400) {
        QString text = u"Server odpověděl chybou "_s + QString::number(httpStatus);
        if (!reasonPhrase.isEmpty())
            text += u" ("_s + reasonPhrase + u')';
        return text + u'.';
    }
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
        return u"Server odmítl spojení."_s;
    case QNetworkReply::RemoteHostClosedError:
        return u"Server ukončil spojení předčasně."_s;
    case QNetworkReply::HostNotFoundError:
        return u"Server nebyl nalezen."_s;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
        return u"Server neodpověděl včas."_s;
    case QNetworkReply::SslHandshakeFailedError:
        return u"Zabezpečené spojení se nepodařilo navázat."_s;
    case QNetworkReply::TooManyRedirectsError:
        return u"Příliš mnoho přesměrování."_s;
    case QNetworkReply::InsecureRedirectError:
        return u"Přesměrování na nezabezpečenou adresu bylo odmítnuto."_s;
    case QNetworkReply::ProtocolUnknownError:
        return u"Nepodporovaný protokol."_s;
    default:
        return u"Chyba sítě: "_s + qtText;
    }
}

QString messagePageHtml(const QString& heading, const QString& detail, const QString& address)
{
    QString html = u"<html><body><h3>"_s + heading.toHtmlEscaped() + u"</h3>"_s;
    if (!detail.isEmpty())
        html += u"<p>"_s + detail.toHtmlEscaped() + u"</p>"_s;
    if (!address.isEmpty())
        html += u"<p><small>"_s + address.toHtmlEscaped() + u"</small></p>"_s;
    return html + u"</body></html>"_s;
}

} // namespace zuv::browser
