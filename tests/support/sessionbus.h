#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace zuvtest {

// A D-Bus session bus of the test's own: while it lives, this process's
// DBUS_SESSION_BUS_ADDRESS points at it. Start it before anything in the
// process talks to the session bus.
class SessionBus
{
public:
    static bool available();
    SessionBus();
    ~SessionBus();
    bool started() const { return !m_address.isEmpty(); }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QByteArray m_oldAddress;
    bool m_hadAddress = false;
};

// A desktop's notification service on the session bus, keeping what it was
// asked to show.
class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    NotificationService();
    ~NotificationService() override;
    bool registered() const { return m_registered; }

    struct Shown
    {
        uint id;
        QString summary;
        QString body;
    };
    QList<Shown> shown;
    QList<uint> closed;

    // As if the person clicked the notification.
    void click(uint id);

public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int timeout);
    void CloseNotification(uint id);
    QStringList GetCapabilities();
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion);

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    bool m_registered = false;
    uint m_next = 1;
};

} // namespace zuvtest
