#pragma once

#include <QString>

namespace zuv {

// The recorder's and the e-mail checker's form of SendCommand: send when the
// window exists, never start anything. True when the command was delivered.
// (The forms that may start the peer first are in foundation/gui.)
bool SendCommand(const QString& windowTitle, const QString& commandText);

} // namespace zuv
