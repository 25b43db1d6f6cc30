#include "desktop.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QIcon>
#include <QUrl>
#include <QWidget>
#include <foundation/paths.h>
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

void bringToFront(QWidget* window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->showNormal();
    window->raise();
    window->activateWindow();
}

} // namespace zuv

namespace zuv {

QIcon programIcon(const QString& name)
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        const QString file = resolvePath(
            dataPath(QStringLiteral("icons\\hicolor\\%1x%1\\apps\\%2.png").arg(size).arg(name)));
        if (QFileInfo::exists(file))
            icon.addFile(file, QSize(size, size));
    }
    return icon.isNull() ? QIcon::fromTheme(name) : icon;
}

} // namespace zuv
