#pragma once

#include <QObject>
#include <QString>

namespace zuv {

// A desktop notification through the freedesktop Notifications service on
// the session bus. Where no such service runs, nothing is shown and nothing
// else changes. One object keeps one notification: showing again replaces
// the text of the one on the screen.
class DesktopNotification : public QObject
{
    Q_OBJECT
public:
    explicit DesktopNotification(const QString& appName, QObject* parent = nullptr);
    ~DesktopNotification() override;

    // Shows or updates the notification; false when no service runs or
    // none took it. The body is plain text, shown as typed.
    bool show(const QString& summary, const QString& body, const QString& iconName = {});
    // Takes the notification off the screen.
    void close();

signals:
    // The person clicked the notification.
    void clicked();

private slots:
    void onActionInvoked(uint id, const QString& action);
    void onClosed(uint id, uint reason);

private:
    QString m_appName;
    uint m_id = 0;
    bool m_connected = false;
};

} // namespace zuv
