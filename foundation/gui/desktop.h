#pragma once

class QWidget;

namespace zuv {

// Shows a program's first window in the launcher's show style (SW_…).
void showInStyle(QWidget* window, int style);

} // namespace zuv
