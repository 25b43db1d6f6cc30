#include "sendcommand.h"

#include "sendmessage.h"

namespace zuv {

bool SendCommand(const QString& windowTitle, const QString& commandText)
{
    const WindowRef window = FindWindowA(windowTitle);
    return window && SendCopyData(window, commandText).has_value();
}

} // namespace zuv
