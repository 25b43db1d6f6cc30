#pragma once

#include <QString>
#include <QStringView>

namespace zuv::chat {

// A message's text as it may enter the page: "<" and ">" become "&lt;" and
// "&gt;", so no text can open a tag; only the line break the sending
// window makes of a new line (" <br>") stays markup.
QString escapeMarkup(const QString& text);

// Entries of a page as the view may lay them out. Pages written before
// messages were escaped can hold any markup, and a view takes a time that
// doubles with every level of a nested table. So only the tags the page
// itself builds pass (paragraphs, spans, links, pictures, line breaks),
// nested no deeper than a few levels; any other "<" shows as text. A long
// word gets places where the line may break (breakableHtml), or laying it
// out would take minutes.
QString viewableEntries(QStringView html);

} // namespace zuv::chat
