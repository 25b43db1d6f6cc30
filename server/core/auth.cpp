#include "auth.h"

#include "loginthrottle.h"

#include <QHash>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <mutex>

namespace zuv::server {
namespace {

// A refresh comes every few seconds from every member, and a slow hash for
// each would keep a core busy for a few hundred of them. A password found
// right is remembered, as a keyed hash in memory only, until the stored
// hash changes (it is part of what is hashed).
class VerifiedPasswords
{
public:
    VerifiedPasswords() : m_key(32, Qt::Uninitialized)
    {
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(m_key.data()), 8);
    }
    QByteArray proof(const PasswordHash& stored, const QString& password) const
    {
        QMessageAuthenticationCode mac(QCryptographicHash::Sha256, m_key);
        mac.addData(stored.salt);
        mac.addData(stored.hash);
        mac.addData(password.toUtf8());
        return mac.result();
    }
    bool knows(int number, const QByteArray& proof)
    {
        std::lock_guard lock(m_mutex);
        return m_known.value(number) == proof;
    }
    void remember(int number, const QByteArray& proof)
    {
        std::lock_guard lock(m_mutex);
        m_known.insert(number, proof);
    }

private:
    QByteArray m_key;
    std::mutex m_mutex;
    QHash<int, QByteArray> m_known;
};

VerifiedPasswords& verified()
{
    static VerifiedPasswords passwords;
    return passwords;
}

bool rightPassword(const Member& member, const QString& password)
{
    const QByteArray proof = verified().proof(member.password, password);
    if (verified().knows(member.number, proof))
        return true;
    if (!verifyPassword(password, member.password))
        return false;
    verified().remember(member.number, proof);
    return true;
}

} // namespace

Authenticated authenticate(Sql& db, const Context& ctx, const QString& who, const QString& password,
                           bool allowNickname)
{
    std::optional<Member> member;
    if (const auto number = parseNumber(who))
        member = Members::byNumber(db, *number);
    if (!member && allowNickname && !who.isEmpty())
        member = Members::byNickname(db, who);
    if (!member)
        return {};
    const QString account = LoginThrottle::accountKey(who);
    if (!rightPassword(*member, password)) {
        if (ctx.throttle)
            ctx.throttle->failed(account, ctx.client);
        return {};
    }
    if (ctx.throttle)
        ctx.throttle->succeeded(account, ctx.client);
    if (needsRehash(member->password)) {
        member->password = hashPassword(password);
        Members::setPassword(db, member->number, member->password);
    }
    if (member->suspended)
        return {Authenticated::Suspended, member};
    return {Authenticated::Ok, member};
}

} // namespace zuv::server
