// zuv: the messenger centre. Argument "m" starts it hidden in the tray.
#include "form1.h"

#include <QApplication>
#include <foundation/endrequest.h>
#include <foundation/gui/desktop.h>
#include <foundation/shell.h>

int main(int argc, char** argv)
{
    const zuv::ProgramStart start = zuv::takeProgramStart(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zuv"));
    QApplication::setWindowIcon(zuv::programIcon(QStringLiteral("zuv")));
    QApplication::setQuitOnLastWindowClosed(false);

    zuv::messenger::Form1 form;
    zuv::onEndRequest([&form] { form.endRequest(); });
    if (!form.Form_Load(start.argument.trimmed()))
        return 0;
    return QApplication::exec();
}
