#pragma once

#include <QString>

namespace zuv::server {

// What the robot member writes back to a message, in the escaped form
// messages are stored in.
QString robotAnswer(const QString& senderNick, const QString& escapedText);

} // namespace zuv::server
