#include "historypage.h"

#include <array>

namespace zuv::chat {
namespace {

const QString kPageHead =
    QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\"><HTML>"
                   "<HEAD><META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html; "
                   "charset=windows-1250\"></HEAD>"
                   "<BODY><STYLE type=text/css media=all>BODY {  MARGIN: 0px; COLOR: #000000; "
                   "FONT-FAMILY: Tahoma, Verdana, Arial, Helvetica, sans-serif; TEXT-ALIGN: "
                   "left}P {   MARGIN: 0px 5px 10px; LINE-HEIGHT: 100%}.header {   "
                   "PADDING-RIGHT: 0px; PADDING-LEFT: 2px; FONT-SIZE: 11px; PADDING-BOTTOM: 2px; "
                   "MARGIN: 0px 0px 1px; PADDING-TOP: 2px; BACKGROUND-COLOR: #dbedba}.zuv_n {  "
                   "FONT-WEIGHT: bold; COLOR: #747372}.zuv_t {  FONT-WEIGHT: bold}.qdate {  "
                   "COLOR: #747372}.text {  FONT-SIZE: 11px}.qtext {    FONT-SIZE: ");
const QString kPageTail = QStringLiteral(
    "px}.text { COLOR: #747372}.logInfo {   FONT-SIZE: 11px; MARGIN: 4px 0px 0px; COLOR: "
    "#666666}H2 {   FONT-SIZE: 18px; MARGIN: 0px; COLOR: #666666; FONT-FAMILY: Arial, Tahoma, "
    "Verdana, Helvetica, sans-serif; LETTER-SPACING: -1px}H3 { FONT-SIZE: 18px; MARGIN: 25px 0px "
    "12px; FONT-FAMILY: Arial, Tahoma, Verdana, Helvetica, sans-serif; LETTER-SPACING: "
    "-1px}</STYLE><A name=zuv_end></A></BODY></HTML>");

struct Decoding
{
    QStringView escaped;
    QChar plain;
};
constexpr std::array<Decoding, 3> kDecodings = {{
    {u"*.and", u'&'},
    {u"*./=/", u'#'},
    {u"*.plus", u'+'},
}};

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The lines of the file as one string.
QString joinedLines(const QString& stored)
{
    if (!stored.contains(u'\n'))
        return stored;
    QString joined;
    joined.reserve(stored.size());
    qsizetype from = 0;
    while (from < stored.size()) {
        qsizetype end = stored.indexOf(u'\n', from);
        if (end < 0)
            end = stored.size();
        qsizetype lineEnd = end;
        if (lineEnd > from && stored[lineEnd - 1] == u'\r' && end < stored.size())
            --lineEnd;
        joined += QStringView(stored).sliced(from, lineEnd - from);
        from = end + 1;
    }
    return joined;
}

} // namespace

QString emptyHistoryPage(const QString& fontSize)
{
    return kPageHead + fontSize + kPageTail;
}

QString pageStyleSheet(const QString& page)
{
    const qsizetype open = page.indexOf(u"<STYLE", 0, Qt::CaseInsensitive);
    if (open < 0)
        return {};
    const qsizetype from = page.indexOf(u'>', open);
    const qsizetype close = page.indexOf(u"</STYLE>", open, Qt::CaseInsensitive);
    if (from < 0 || close < from)
        return {};
    return page.mid(from + 1, close - from - 1);
}

QString historyEntry(const QString& kind, const QString& nick, const QString& time,
                     const QString& text)
{
    if (kind.compare(u"from", Qt::CaseInsensitive) == 0)
        return QStringLiteral("<P class=header><SPAN class=zuv_t>") + nick +
               QStringLiteral(":</SPAN> ") + time + QStringLiteral("</P><P class=qtext>") + text +
               QStringLiteral("</P>");
    if (kind.compare(u"to", Qt::CaseInsensitive) == 0)
        return QStringLiteral("<P class=header><SPAN class=zuv_n>") + nick +
               QStringLiteral(":</SPAN><SPAN class=qdate> (") + time +
               QStringLiteral(")</SPAN></P><P class=text>") + text + QStringLiteral("</P>");
    return {};
}

// One pass does what replacing "**01" … "**12" in turn does: the codes
// cannot overlap and no picture holds a code.
QString SmileFinder(const QString& html, const QString& programDir)
{
    const QString folder = programDir + QStringLiteral("\\Zuv_Data\\img\\sm\\");
    QString out;
    qsizetype copied = 0;
    for (qsizetype at = html.indexOf(u"**"); at >= 0 && at + 4 <= html.size();
         at = html.indexOf(u"**", at + 1)) {
        const QChar tens = html[at + 2];
        const QChar ones = html[at + 3];
        if (!isDigit(tens) || !isDigit(ones))
            continue;
        const int code = (tens.unicode() - u'0') * 10 + (ones.unicode() - u'0');
        if (code < 1 || code > 12)
            continue;
        if (out.isEmpty())
            out.reserve(html.size() + 256);
        out += QStringView(html).sliced(copied, at - copied);
        out += QStringLiteral("<img src='") + folder + html.mid(at + 2, 2) +
               QStringLiteral(".gif'></img>");
        copied = at + 4;
        at += 3;
    }
    if (copied == 0)
        return html;
    out += QStringView(html).sliced(copied);
    return out;
}

// One pass, as for the smileys: no decoded character starts a sequence.
QString decodeEscapes(const QString& html)
{
    QString out;
    qsizetype copied = 0;
    for (qsizetype at = html.indexOf(u"*."); at >= 0; at = html.indexOf(u"*.", at + 1)) {
        const QStringView rest = QStringView(html).sliced(at);
        for (const Decoding& d : kDecodings) {
            if (!rest.startsWith(d.escaped, Qt::CaseInsensitive))
                continue;
            if (out.isEmpty())
                out.reserve(html.size());
            out += QStringView(html).sliced(copied, at - copied);
            out += d.plain;
            copied = at + d.escaped.size();
            at = copied - 1;
            break;
        }
    }
    if (copied == 0)
        return html;
    out += QStringView(html).sliced(copied);
    return out;
}

namespace {

// Where the last `count` entries of text[from…] begin; `from` when there
// are no more than that.
qsizetype lastEntriesStart(const QString& text, qsizetype from, int count)
{
    qsizetype at = text.size();
    for (int found = 0; found < count; ++found) {
        if (at <= from)
            return from;
        const qsizetype previous = text.lastIndexOf(kEntryStart, at - 1);
        if (previous < from)
            return from;
        at = previous;
    }
    return at;
}

} // namespace

PageTail pageTail(const QString& page, int count)
{
    const qsizetype first = page.indexOf(kEntryStart);
    if (first < 0)
        return {page, {}};
    const qsizetype cut = lastEntriesStart(page, first, count);
    if (cut <= first)
        return {page, {}};
    QString shown = page.left(first);
    shown += QStringView(page).sliced(cut);
    return {shown, page.mid(first, cut - first)};
}

QString takeLastEntries(QString& entries, int count)
{
    const qsizetype cut = lastEntriesStart(entries, 0, count);
    QString taken = entries.mid(cut);
    entries.truncate(cut);
    return taken;
}

MergedPage mergeEntry(const QString& stored, const QString& entry, const QString& programDir)
{
    QString page = joinedLines(stored);
    // The last marker, not the first: a message that holds the marker text
    // would otherwise cut off the rest of the conversation.
    const qsizetype cut = page.lastIndexOf(kEndMarker, -1, Qt::CaseInsensitive);
    if (cut >= 0)
        page.truncate(cut);
    page += entry;
    page += kEndMarker;
    page += kPageEnd;
    return {convertText(page, programDir), convertText(entry, programDir)};
}

// An entry converted alone comes out as it does within its page: no code or
// escape can reach across the tags an entry begins and ends with.
QString convertText(const QString& text, const QString& programDir)
{
    QString converted = text;
    if (converted.contains(u"**"))
        converted = SmileFinder(converted, programDir);
    if (converted.contains(u"*."))
        converted = decodeEscapes(converted);
    return converted;
}

bool needsConversion(QByteArrayView bytes)
{
    if (bytes.contains('\n'))
        return true;
    for (qsizetype at = bytes.indexOf('*'); at >= 0; at = bytes.indexOf('*', at + 1)) {
        const QByteArrayView rest = bytes.sliced(at);
        if (rest.size() >= 4 && rest[1] == '*') {
            const int code = (rest[2] - '0') * 10 + (rest[3] - '0');
            if (isDigit(QChar(rest[2])) && isDigit(QChar(rest[3])) && code >= 1 && code <= 12)
                return true;
        }
        if (rest.size() >= 2 && rest[1] == '.') {
            for (const Decoding& d : kDecodings) {
                if (rest.size() >= d.escaped.size() &&
                    QString::fromLatin1(rest.first(d.escaped.size()))
                            .compare(d.escaped, Qt::CaseInsensitive) == 0)
                    return true;
            }
        }
    }
    return false;
}

} // namespace zuv::chat
