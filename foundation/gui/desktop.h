#pragma once

class QIcon;
class QString;
class QWidget;

namespace zuv {

// Shows a program's first window in the launcher's show style (SW_…).
void showInStyle(QWidget* window, int style);

// Brings a window to the front: out of the minimised state, shown normal,
// raised and activated.
void bringToFront(QWidget* window);

// A program's own icon ("zuv", "sorvanta", "ZuvRecorder", "Postrel") in
// all its sizes, from the program folder's Zuv_Data/icons; the desktop's
// icon theme stands in when the folder has none.
QIcon programIcon(const QString& name);

} // namespace zuv
