#include "sessionbus.h"

#include "processes.h"

#include <QDBusConnection>

namespace zuvtest {

bool SessionBus::available()
{
    return !systemProgram(QStringLiteral("dbus-daemon")).isEmpty();
}

SessionBus::SessionBus()
    : m_oldAddress(qgetenv("DBUS_SESSION_BUS_ADDRESS")),
      m_hadAddress(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
{
    if (!available() || !m_dir.isValid())
        return;
    m_daemon.start(systemProgram(QStringLiteral("dbus-daemon")),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1"),
                    QStringLiteral("--address=unix:dir=") + m_dir.path()});
    if (!m_daemon.waitForStarted(5000))
        return;
    while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(5000)) {
    }
    m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    if (!m_address.isEmpty())
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
}

SessionBus::~SessionBus()
{
    if (m_hadAddress)
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_oldAddress);
    else
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    stopPeer(m_daemon);
}

NotificationService::NotificationService()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    m_registered =
        bus.registerService(QStringLiteral("org.freedesktop.Notifications")) &&
        bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
}

NotificationService::~NotificationService()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
    bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
}

void NotificationService::click(uint id)
{
    emit ActionInvoked(id, QStringLiteral("default"));
}

uint NotificationService::Notify(const QString&, uint replacesId, const QString&,
                                 const QString& summary, const QString& body, const QStringList&,
                                 const QVariantMap&, int)
{
    const uint id = replacesId ? replacesId : m_next++;
    shown.append({id, summary, body});
    return id;
}

void NotificationService::CloseNotification(uint id)
{
    closed.append(id);
    emit NotificationClosed(id, 3);
}

QStringList NotificationService::GetCapabilities()
{
    return {QStringLiteral("actions"), QStringLiteral("body")};
}

QString NotificationService::GetServerInformation(QString& vendor, QString& version,
                                                  QString& specVersion)
{
    vendor = QStringLiteral("zuvtest");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("zuvtest");
}

} // namespace zuvtest
