#include "auth.h"

namespace zuv::server {

Authenticated authenticate(Sqlite& db, const QString& who, const QString& password,
                           bool allowNickname)
{
    std::optional<Member> member;
    if (const auto number = parseNumber(who))
        member = Members::byNumber(db, *number);
    if (!member && allowNickname && !who.isEmpty())
        member = Members::byNickname(db, who);
    if (!member || !verifyPassword(password, member->password))
        return {};
    if (member->suspended)
        return {Authenticated::Suspended, member};
    return {Authenticated::Ok, member};
}

} // namespace zuv::server
