#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace zuv::chat {

// Where new entries go in, and where the view scrolls to.
inline constexpr QStringView kEndMarker = u"<A name=zuv_end></A>";
inline constexpr QStringView kPageEnd = u"</BODY></HTML>";

// A new, empty history page (one line, without its line end); the font size
// of received text is baked in.
QString emptyHistoryPage(const QString& fontSize);

// Every entry begins with its header paragraph.
inline constexpr QStringView kEntryStart = u"<P class=header>";

// The style sheet of a page, the text inside its first <STYLE> element.
QString pageStyleSheet(const QString& page);

// The entry of a message, by kind: "from" (received) or "to" (sent), in any
// case; empty for another kind.
QString historyEntry(const QString& kind, const QString& nick, const QString& time,
                     const QString& text);

// Every smiley code "**01" … "**12" as the picture in the program folder.
QString SmileFinder(const QString& html, const QString& programDir);

// "*.and" → "&", "*./=/" → "#", "*.plus" → "+"; the other escapes stay.
QString decodeEscapes(const QString& html);

// A page with one more entry.
struct MergedPage
{
    QString page;  // the whole new page, without its line end
    QString entry; // the entry as it stands in that page
};
// `stored` is the file's text; its lines are joined and the page is cut
// before its end marker. Smileys and escapes are converted over the whole
// page, so text that came in by any route ends up converted.
MergedPage mergeEntry(const QString& stored, const QString& entry, const QString& programDir);

// The text with its smiley codes and escapes converted, as mergeEntry leaves
// both the page and the entry.
QString convertText(const QString& text, const QString& programDir);

// True when the text holds something mergeEntry would change there: a line
// end, a smiley code or one of the three decoded escapes. A page written by
// this program never does before its end marker.
bool needsConversion(QByteArrayView pageBytes);

// A long page split for showing: the page with only its last entries, and
// the entries before them (oldest first). A page without entries, or with
// no more than `count`, is shown whole.
struct PageTail
{
    QString shown;
    QString older;
};
PageTail pageTail(const QString& page, int count);

// Takes the last `count` entries off `entries` and returns them.
QString takeLastEntries(QString& entries, int count);

} // namespace zuv::chat
