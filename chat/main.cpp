// msg: one conversation with one contact; the messenger starts it with
// <title>/@/<own id>/@/<auth>/@/<server>/@/<contact nick>/@/<own nick>/@/<contact id>/@/<font
// size>@<sound>
#include "form1.h"

#include <QApplication>
#include <cstdio>
#include <foundation/endrequest.h>
#include <foundation/gui/desktop.h>
#include <foundation/shell.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    const zuv::ProgramStart start = zuv::takeProgramStart(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zuv"));
    QApplication::setWindowIcon(zuv::programIcon(QStringLiteral("zuv")));

    zuv::chat::Form1 form;
    // Ending may come from inside a wait or a dialog's loop; the history
    // is on disk after every entry, so nothing is left to unwind.
    QObject::connect(&form, &zuv::chat::Form1::ended, [] {
        std::fflush(nullptr);
        ::_exit(0);
    });
    // Ended from outside (Ctrl+C, kill, the session's end) as when closed.
    zuv::onEndRequest([&form] { form.Form_Unload(); });
    if (!form.Form_Load(start.argument))
        return 1;
    zuv::showInStyle(&form, start.showStyle);
    return QApplication::exec();
}
