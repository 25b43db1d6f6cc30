// Postrel: tells the member when the POP3 mailboxes hold new mail. Started
// with "zuv" (by the messenger) it begins hidden.
#include "form1.h"

#include <QApplication>
#include <foundation/endrequest.h>
#include <foundation/gui/desktop.h>
#include <foundation/shell.h>

int main(int argc, char** argv)
{
    const zuv::ProgramStart start = zuv::takeProgramStart(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zuv Postrel!"));
    QApplication::setWindowIcon(zuv::programIcon(QStringLiteral("Postrel")));
    QApplication::setQuitOnLastWindowClosed(false);

    zuv::mailcheck::Form1 form;
    QObject::connect(
        &form, &zuv::mailcheck::Form1::ended, &app, [] { QApplication::exit(0); },
        Qt::QueuedConnection);
    zuv::onEndRequest([&form] { form.Konec(); });
    if (!form.Form_Load(start.argument.trimmed()))
        return 0;
    if (!form.startsHidden())
        zuv::showInStyle(&form, start.showStyle);
    return QApplication::exec();
}
