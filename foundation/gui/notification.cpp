#include "notification.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace zuv {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A notification that is not clicked goes after this long.
constexpr int kTimeoutMs = 10000;

// Whether the session bus has a notification service.
bool serviceAvailable()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(kService);
    if (registered.isValid() && registered.value())
        return true;
    // A service started on demand is not registered until first used.
    const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(kService);
}

} // namespace

DesktopNotification::DesktopNotification(const QString& appName, QObject* parent)
    : QObject(parent), m_appName(appName)
{}

DesktopNotification::~DesktopNotification() = default;

bool DesktopNotification::show(const QString& summary, const QString& body, const QString& iconName)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Without a service the call would only fail, or wait for one to start.
    if (!bus.isConnected() || (m_id == 0 && !serviceAvailable()))
        return false;
    if (!m_connected) {
        m_connected = true;
        bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(uint, QString)));
        bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                    SLOT(onClosed(uint, uint)));
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    // Services may read the body as markup; escaped, it shows as typed.
    // "default" is the action of a click on the notification itself.
    call << m_appName << m_id << iconName << summary << body.toHtmlEscaped()
         << QStringList{QStringLiteral("default"), summary} << QVariantMap() << kTimeoutMs;
    const QDBusReply<uint> reply = bus.call(call, QDBus::Block, 2000);
    if (!reply.isValid())
        return false;
    m_id = reply.value();
    return true;
}

void DesktopNotification::close()
{
    if (m_id == 0)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                       QStringLiteral("CloseNotification"));
    call << m_id;
    QDBusConnection::sessionBus().call(call, QDBus::NoBlock);
    m_id = 0;
}

void DesktopNotification::onActionInvoked(uint id, const QString& action)
{
    if (id == m_id && m_id != 0 && action == u"default")
        emit clicked();
}

void DesktopNotification::onClosed(uint id, uint)
{
    if (id == m_id)
        m_id = 0;
}

} // namespace zuv
