// sorvanta: the radio player. An argument is a stream address to play at once.
#include "sorvanta.h"

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
    QApplication::setApplicationName(QStringLiteral("Sorvanta"));
    QApplication::setWindowIcon(zuv::programIcon(QStringLiteral("sorvanta")));
    QApplication::setQuitOnLastWindowClosed(false);

    zuv::radio::Sorvanta form;
    // The settings are saved on the way out; nothing else is left to unwind.
    QObject::connect(&form, &zuv::radio::Sorvanta::ended, [] {
        std::fflush(nullptr);
        ::_exit(0);
    });
    zuv::onEndRequest([&form] { form.Konec(); });
    if (!form.Form_Load(start.argument.trimmed()))
        return 0;
    zuv::showInStyle(&form, start.showStyle);
    return QApplication::exec();
}
