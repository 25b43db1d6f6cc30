#pragma once

#include <QString>

namespace zuv {

enum class MsgIcon
{
    None,
    Information,
    Exclamation,
    Critical,
    Question
};
enum class MsgButtons
{
    Ok,
    YesNo
};
enum class MsgAnswer
{
    Ok,
    Cancel,
    Yes,
    No
};

// Shows the suite's message box and returns the answer. An empty title means
// the application's name. When $ZUV_MSGBOX_LOG names a file nothing is shown:
// the call appends one JSON line there and answers with the next word of
// $ZUV_MSGBOX_ANSWERS (yes, no, ok, cancel); with none left, or with a word
// the buttons cannot give, a question gets "no" and any other box "ok".
MsgAnswer MsgBox(const QString& text, MsgButtons buttons = MsgButtons::Ok,
                 MsgIcon icon = MsgIcon::None, const QString& title = {});

} // namespace zuv
