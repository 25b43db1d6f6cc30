#pragma once

#include <QLabel>
#include <QWidget>

namespace zuv::mailcheck {

// The notification in the corner of the screen: "Nové emaily: " and the sum.
// A click brings the main window back.
class Form2 : public QWidget
{
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

    QLabel Image1;
    QLabel Label2; // "Zuv"
    QLabel Label1; // "Nové emaily: …"

    // Places the window in the bottom-right corner, clear of the task bar.
    void Form_Load();
    // On top of other windows, or no longer.
    void StartForm();
    void StopForm();

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace zuv::mailcheck
