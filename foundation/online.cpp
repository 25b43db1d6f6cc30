#include "online.h"

#include <QFile>
#include <ifaddrs.h>
#include <net/if.h>

namespace zuv {
namespace {

bool interfaceUp(const QString& name)
{
    ifaddrs* all = nullptr;
    if (::getifaddrs(&all) != 0)
        return false;
    const QByteArray wanted = name.toLocal8Bit();
    bool up = false;
    for (const ifaddrs* i = all; i && !up; i = i->ifa_next)
        up = wanted == i->ifa_name && (i->ifa_flags & IFF_UP) && !(i->ifa_flags & IFF_LOOPBACK);
    ::freeifaddrs(all);
    return up;
}

// /proc/net/route: "Iface Destination Gateway Flags ..." in hex; a default
// route has destination 00000000 and the RTF_UP flag.
bool hasIPv4DefaultRoute()
{
    QFile routes(QStringLiteral("/proc/net/route"));
    if (!routes.open(QIODevice::ReadOnly))
        return false;
    routes.readLine(); // header
    while (!routes.atEnd()) {
        const QList<QByteArray> f = routes.readLine().simplified().split(' ');
        if (f.size() < 4 || f[1] != "00000000")
            continue;
        const bool up = f[3].toUInt(nullptr, 16) & 0x1;
        if (up && interfaceUp(QString::fromLatin1(f[0])))
            return true;
    }
    return false;
}

// /proc/net/ipv6_route: destination, prefix length, ..., flags, interface.
bool hasIPv6DefaultRoute()
{
    QFile routes(QStringLiteral("/proc/net/ipv6_route"));
    if (!routes.open(QIODevice::ReadOnly))
        return false;
    while (!routes.atEnd()) {
        const QList<QByteArray> f = routes.readLine().simplified().split(' ');
        if (f.size() < 10 || f[0] != QByteArray(32, '0') || f[1] != "00")
            continue;
        const uint flags = f[8].toUInt(nullptr, 16);
        const bool up = flags & 0x1, rejected = flags & 0x200;
        if (up && !rejected && interfaceUp(QString::fromLatin1(f[9])))
            return true;
    }
    return false;
}

} // namespace

bool TestOnLine()
{
    const QByteArray forced = qgetenv("ZUV_ONLINE");
    if (forced == "1")
        return true;
    if (forced == "0")
        return false;
    return hasIPv4DefaultRoute() || hasIPv6DefaultRoute();
}

} // namespace zuv
