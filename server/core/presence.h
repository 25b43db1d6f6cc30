#pragma once

#include "members.h"

namespace zuv::server {

// A member is on line while their last refresh is younger than three active
// intervals and their mood is not "off". The robot lives inside the server
// and is on line whenever its mood allows.
inline qint64 onlineSince(qint64 now, int activeIntervalMs)
{
    return now - 3 * qint64(activeIntervalMs);
}

inline bool isOnline(const Member& m, qint64 since)
{
    return !m.suspended && m.mood != QStringLiteral("off") && (m.robot || m.lastRefresh > since);
}

} // namespace zuv::server
