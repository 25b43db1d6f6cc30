#pragma once

#include <QString>
#include <QStringView>

namespace zuv::chat {

// Where new entries go in, and where the view scrolls to.
inline constexpr QStringView kEndMarker = u"<A name=zuv_end></A>";
inline constexpr QStringView kPageEnd = u"</BODY></HTML>";

// A new, empty history page (one line, without its line end); the font size
// of received text is baked in.
QString emptyHistoryPage(const QString& fontSize);

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

} // namespace zuv::chat
