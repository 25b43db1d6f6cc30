#include "breakablewords.h"

namespace zuv {
namespace {

constexpr char16_t kZeroWidthSpace = 0x200B;
// The longest entity ("&#8203;", "&lt;") that counts as one character.
constexpr qsizetype kLongestEntity = 10;

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == kZeroWidthSpace;
}

// The length of an entity starting at `at` ("&amp;", "&#8203;"), or 0.
qsizetype entityLength(QStringView text, qsizetype at)
{
    const qsizetype end = qMin(text.size(), at + kLongestEntity);
    for (qsizetype i = at + 1; i < end; ++i) {
        const QChar c = text[i];
        if (c == u';')
            return i > at + 1 ? i - at + 1 : 0;
        if (!c.isLetterOrNumber() && c != u'#')
            return 0;
    }
    return 0;
}

// Where the raw text of a <style> or <script> element that starts at `at`
// ends (its closing tag), or -1 when the tag at `at` opens neither.
qsizetype rawTextEnd(QStringView html, qsizetype at)
{
    for (const QStringView name : {QStringView(u"style"), QStringView(u"script")}) {
        const QStringView open = html.sliced(at + 1);
        if (open.size() > name.size() && open.startsWith(name, Qt::CaseInsensitive) &&
            !open[name.size()].isLetterOrNumber()) {
            const qsizetype close =
                html.indexOf(QStringLiteral("</") + name.toString(), at, Qt::CaseInsensitive);
            return close < 0 ? html.size() : close;
        }
    }
    return -1;
}

// Copies `text` into `out`, a break after each `longest` characters of a
// word; `isHtml` keeps tags, entities, style sheets and scripts whole.
QString breakable(QStringView text, int longest, bool isHtml)
{
    QString out;
    out.reserve(text.size() + text.size() / 32);
    int run = 0;
    for (qsizetype at = 0; at < text.size();) {
        const QChar c = text[at];
        const QChar next = at + 1 < text.size() ? text[at + 1] : QChar();
        if (isHtml && c == u'<' &&
            (next.isLetter() || next == u'/' || next == u'!' || next == u'?')) {
            qsizetype end = rawTextEnd(text, at);
            if (end < 0) {
                end = text.indexOf(u'>', at);
                end = end < 0 ? text.size() : end + 1;
            }
            out += text.sliced(at, end - at);
            at = end;
            run = 0;
            continue;
        }
        if (isSpace(c)) {
            out += c;
            ++at;
            run = 0;
            continue;
        }
        if (run == longest) {
            if (isHtml)
                out += QStringLiteral("&#8203;");
            else
                out += QChar(kZeroWidthSpace);
            run = 0;
        }
        // An entity or a surrogate pair is one character: never split.
        qsizetype length = isHtml && c == u'&' ? entityLength(text, at) : 0;
        if (length == 0)
            length = c.isHighSurrogate() && at + 1 < text.size() ? 2 : 1;
        out += text.sliced(at, length);
        at += length;
        ++run;
    }
    return out;
}

} // namespace

QString breakableHtml(QStringView html, int longest)
{
    return breakable(html, longest, true);
}

QString breakableText(QStringView text, int longest)
{
    return breakable(text, longest, false);
}

} // namespace zuv
