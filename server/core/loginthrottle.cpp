#include "loginthrottle.h"

#include "members.h"

#include <algorithm>

namespace zuv::server {
namespace {

// Failures older than this are forgotten, so the table stays small.
constexpr auto kMemory = std::chrono::hours(1);
constexpr qsizetype kEntriesBeforeCleanUp = 10000;

QString entryKey(const QString& account, const QString& address)
{
    return account + u'\n' + address;
}

} // namespace

QString LoginThrottle::accountKey(const QString& who)
{
    const QString trimmed = who.trimmed();
    if (const auto number = parseNumber(trimmed))
        return QString::number(*number);
    return nicknameKey(trimmed);
}

std::chrono::milliseconds LoginThrottle::admit(const QString& account, const QString& address,
                                               Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    const auto it = m_entries.find(entryKey(account, address));
    if (it == m_entries.end() || it->failures < kFreeFailures)
        return std::chrono::milliseconds(0);
    const int doublings = std::min(it->failures - kFreeFailures, 16);
    const auto wait =
        std::min<std::chrono::milliseconds>(kFirstWait * (1 << doublings), kLongestWait);
    it->nextAnswer = std::max(it->nextAnswer, now) + wait;
    return std::chrono::duration_cast<std::chrono::milliseconds>(it->nextAnswer - now);
}

void LoginThrottle::failed(const QString& account, const QString& address, Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    if (m_entries.size() > kEntriesBeforeCleanUp)
        forgetOld(now);
    Entry& entry = m_entries[entryKey(account, address)];
    ++entry.failures;
    entry.lastFailure = now;
}

void LoginThrottle::succeeded(const QString& account, const QString& address)
{
    std::lock_guard lock(m_mutex);
    m_entries.remove(entryKey(account, address));
}

void LoginThrottle::forgetOld(Clock::time_point now)
{
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (now - it->lastFailure > kMemory)
            it = m_entries.erase(it);
        else
            ++it;
    }
}

} // namespace zuv::server
