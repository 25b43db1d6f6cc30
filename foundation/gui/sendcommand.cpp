#include "sendcommand.h"

#include "pause.h"

#include <foundation/bus/sendmessage.h>
#include <foundation/shell.h>

namespace zuv {
namespace {

constexpr int kRadioRounds = 9;
constexpr int kRadioRoundPauseMs = 1500;

} // namespace

void SendCommand(SendCommandForm form, const QString& program, const QString& windowTitle,
                 const QString& commandText, QString mode)
{
    if (mode.isEmpty())
        mode = QStringLiteral("1");
    WindowRef window;
    if (form == SendCommandForm::Messenger) {
        window = FindWindowA(windowTitle);
        if (!window && mode == u"1") {
            Shell(program, SW_SHOWNORMAL);
            DoEvents();
        }
    } else {
        for (int round = 1; round <= kRadioRounds; ++round) {
            DoEvents();
            window = FindWindowA(windowTitle);
            if (window)
                break;
            if (mode == u"1" || mode == u"2")
                Shell(program, SW_SHOWNORMAL);
            DoEvents();
            if (mode != u"2")
                break;
            Pause(kRadioRoundPauseMs);
        }
    }
    if (!window)
        return;
    DoEvents();
    SendCopyData(window, commandText);
}

} // namespace zuv
