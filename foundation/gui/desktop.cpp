#include "desktop.h"

#include <QDesktopServices>
#include <QUrl>
#include <QWidget>
#include <foundation/shell.h>

namespace zuv {
namespace {

bool openWithTheDesktop(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}

// Every program that links this layer opens addresses as its desktop does.
[[maybe_unused]] const bool kOpenerInPlace = (setDesktopOpener(&openWithTheDesktop), true);

} // namespace

void showInStyle(QWidget* window, int style)
{
    switch (style) {
    case SW_SHOWMINIMIZED:
        window->showMinimized();
        break;
    case SW_SHOWNOACTIVATE:
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        window->show();
        break;
    default:
        window->show();
        window->raise();
        window->activateWindow();
        break;
    }
}

} // namespace zuv
