#include "safehtml.h"

#include <array>
#include <foundation/breakablewords.h>

namespace zuv::chat {
namespace {

// How deep spans and links may nest; the page's own go two deep.
constexpr int kMaxNesting = 4;

enum class Tag
{
    Other,
    Nesting, // span, a
    Flat,    // p, img, br, body, html
};

Tag kindOf(QStringView name)
{
    static const std::array<QStringView, 2> nesting = {u"span", u"a"};
    static const std::array<QStringView, 5> flat = {u"p", u"img", u"br", u"body", u"html"};
    for (QStringView n : nesting) {
        if (name.compare(n, Qt::CaseInsensitive) == 0)
            return Tag::Nesting;
    }
    for (QStringView n : flat) {
        if (name.compare(n, Qt::CaseInsensitive) == 0)
            return Tag::Flat;
    }
    return Tag::Other;
}

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The tags the page builds, nested no deeper than kMaxNesting; any other
// "<" as "&lt;".
QString onlyPageTags(QStringView html)
{
    QString out;
    out.reserve(html.size() + 64);
    int depth = 0;
    for (qsizetype at = 0; at < html.size();) {
        const qsizetype open = html.indexOf(u'<', at);
        if (open < 0) {
            out += html.sliced(at);
            break;
        }
        out += html.sliced(at, open - at);
        const qsizetype close = html.indexOf(u'>', open);
        const QStringView inner =
            close < 0 ? QStringView() : html.sliced(open + 1, close - open - 1);
        const bool closing = inner.startsWith(u'/');
        const qsizetype nameStart = closing ? 1 : 0;
        qsizetype nameEnd = nameStart;
        while (nameEnd < inner.size() && inner[nameEnd].isLetter())
            ++nameEnd;
        const bool nameEnds =
            nameEnd == inner.size() || isSpace(inner[nameEnd]) || inner[nameEnd] == u'/';
        Tag kind = close < 0 || nameEnd == nameStart || !nameEnds
                       ? Tag::Other
                       : kindOf(inner.sliced(nameStart, nameEnd - nameStart));
        if (kind == Tag::Nesting && !closing && depth >= kMaxNesting)
            kind = Tag::Other;
        if (kind == Tag::Other) {
            out += QStringLiteral("&lt;");
            at = open + 1;
            continue;
        }
        if (kind == Tag::Nesting)
            depth = closing ? qMax(0, depth - 1) : depth + 1;
        out += html.sliced(open, close - open + 1);
        at = close + 1;
    }
    return out;
}

} // namespace

QString escapeMarkup(const QString& text)
{
    if (!text.contains(u'<') && !text.contains(u'>'))
        return text;
    QString out = text;
    out.replace(u'<', QStringLiteral("&lt;"));
    out.replace(u'>', QStringLiteral("&gt;"));
    out.replace(QStringLiteral("&lt;br&gt;"), QStringLiteral("<br>"), Qt::CaseInsensitive);
    return out;
}

QString viewableEntries(QStringView html)
{
    return breakableHtml(onlyPageTags(html));
}

} // namespace zuv::chat
