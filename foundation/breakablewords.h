#pragma once

#include <QString>
#include <QStringView>

namespace zuv {

// A text view lays out a word of a million characters without a place to
// break for minutes. These give every word longer than `longest` characters
// a zero-width space after each `longest` of them: nothing shows, but the
// line may break there.

// In HTML: the break goes in as "&#8203;", only into text (never into a
// tag, an entity, a style sheet or a script).
QString breakableHtml(QStringView html, int longest = 64);

// In plain text: the break goes in as the character U+200B.
QString breakableText(QStringView text, int longest = 64);

} // namespace zuv
