#pragma once

#include <QString>

namespace zuv::server::MessageText {

// The escaping the chat window applies before it sends a text; the robot
// uses it for what it writes, so its answers look like any member's.
QString escape(const QString& text);

// The text as a person reads it, line breaks as "\n"; for the web pages.
QString unescape(const QString& text);

} // namespace zuv::server::MessageText
