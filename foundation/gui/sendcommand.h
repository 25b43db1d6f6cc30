#pragma once

#include <QString>
#include <foundation/bus/sendcommand.h>

namespace zuv {

// The two ways a program that may start its peer delivers a command.
enum class SendCommandForm
{
    // The radio player's: modes "0"/"x" look once and never start; "1" starts
    // the program once when its window is missing and delivers only to a
    // window that already existed; "2" starts it and looks again 1.5 s later,
    // up to 9 rounds, delivering once the window appears. "" counts as "1".
    Radio,
    // The messenger's: one look-up; only mode "1" starts the program when
    // its window is missing; delivers only to a window found by that look-up.
    Messenger,
};

// Delivers `commandText` to the window titled `windowTitle`, starting
// `program` (a launch string) as the form and mode say.
void SendCommand(SendCommandForm form, const QString& program, const QString& windowTitle,
                 const QString& commandText, QString mode);

} // namespace zuv
