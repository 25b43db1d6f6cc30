#pragma once

#include <QString>
#include <optional>

namespace zuv::chat {

// Turns the links of a message into anchors that open in a new window:
// "www.<host>…", "http://www.<host>…" and "http://<host>…" all become
// <a target=_blank href='http://…'>http://…</a>; a link runs to the next
// space. "*zuvserver" becomes the server's base address. The result ends
// with one space more than the source.
QString VytvorURL(const QString& source, const QString& serverBase);

// The first link target of a text: from its first "http://" up to the next
// apostrophe. Nothing when the text has no "http://".
std::optional<QString> firstLinkTarget(const QString& text);

} // namespace zuv::chat
