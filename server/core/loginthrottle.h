#pragma once

#include <QHash>
#include <QString>
#include <chrono>
#include <mutex>

namespace zuv::server {

// Slows down guessing: after kFreeFailures wrong passwords for one account
// from one address, every further login of that account from that address
// waits, twice as long each time up to kLongestWait, one after another. The
// same account from any other address is never slowed; a good password
// ends the waiting.
class LoginThrottle
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kFreeFailures = 10;
    static constexpr std::chrono::milliseconds kFirstWait{1000};
    static constexpr std::chrono::milliseconds kLongestWait{30000};

    // The account a login names, as the key of its failures: a number, or a
    // nickname in any letter case.
    static QString accountKey(const QString& who);

    // How long a login of `account` from `address` is to wait before it is
    // answered; the waits of logins made at once follow each other.
    std::chrono::milliseconds admit(const QString& account, const QString& address,
                                    Clock::time_point now = Clock::now());

    void failed(const QString& account, const QString& address,
                Clock::time_point now = Clock::now());
    void succeeded(const QString& account, const QString& address);

private:
    struct Entry
    {
        int failures = 0;
        Clock::time_point lastFailure;
        Clock::time_point nextAnswer;
    };
    void forgetOld(Clock::time_point now);

    std::mutex m_mutex;
    QHash<QString, Entry> m_entries; // by account + "\n" + address
};

} // namespace zuv::server
