#pragma once

#include <QString>

namespace zuv {

// Programs that keep to one running copy.
enum class SingleInstanceProgram
{
    Radio,
    Messenger,
    Recorder,
    MailChecker
};

// True when an earlier copy of the program runs. The first call takes a
// per-program lock in the bus folder that this process keeps until it ends
// (also by a crash), so of two copies started at once exactly one is first.
bool PrevInstance(SingleInstanceProgram program);

// The start-up test of every such program: when an earlier copy runs, this
// copy renames itself, hands the earlier one its command ("fmax", "Fmax" or
// "SetFocus"; nothing for the messenger started with "m" or the e-mail
// checker started with "zuv") and answers true: the caller ends at once.
bool HandOverToPrevInstance(SingleInstanceProgram program, const QString& argument);

} // namespace zuv
