// ZuvBrowser: one window showing one page of the server, with the caption
// and size its single argument names.
#include "browserwindow.h"

#include <QApplication>
#include <foundation/endrequest.h>
#include <foundation/gui/desktop.h>
#include <foundation/shell.h>

int main(int argc, char** argv)
{
    const zuv::ProgramStart start = zuv::takeProgramStart(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZuvBrowser"));
    QApplication::setWindowIcon(zuv::programIcon(QStringLiteral("zuv")));

    zuv::browser::BrowserWindow window(zuv::browser::parseArguments(start.argument));
    // Ended from outside (Ctrl+C, kill, the session's end) as when closed.
    zuv::onEndRequest([&window] { window.close(); });
    window.start(start.showStyle);
    return QApplication::exec();
}
