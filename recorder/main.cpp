// ZuvRecorder: records what the computer plays. The argument is the station
// being recorded, or "l" for the music library alone.
#include "form1.h"

#include <QApplication>
#include <foundation/endrequest.h>
#include <foundation/gui/desktop.h>
#include <foundation/shell.h>

int main(int argc, char** argv)
{
    const zuv::ProgramStart start = zuv::takeProgramStart(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zuv Recorder"));
    QApplication::setWindowIcon(zuv::programIcon(QStringLiteral("ZuvRecorder")));
    QApplication::setQuitOnLastWindowClosed(false);

    zuv::recorder::Form1 form;
    QObject::connect(
        &form, &zuv::recorder::Form1::ended, &app, [] { QApplication::exit(0); },
        Qt::QueuedConnection);
    zuv::onEndRequest([&form] { form.Form_Unload(); });
    const QString argument = start.argument.trimmed();
    if (!form.Form_Load(argument))
        return 0;
    if (argument != u"l")
        zuv::showInStyle(&form, start.showStyle);
    return QApplication::exec();
}
