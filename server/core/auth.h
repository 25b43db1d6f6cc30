#pragma once

#include "handler.h"
#include "members.h"
#include "sql.h"

#include <optional>

namespace zuv::server {

struct Authenticated
{
    enum Result
    {
        Ok,
        Wrong,     // no such member or a wrong password
        Suspended, // right password, suspended account
    };
    Result result = Wrong;
    std::optional<Member> member;
};

// `who` is a member number; with `allowNickname` also a nickname, as the
// login dialog takes either. A wrong password counts against `who` from the
// request's address in the context's throttle, a right one clears it; a
// stored hash of the old kind is replaced by a new one.
Authenticated authenticate(Sql& db, const Context& ctx, const QString& who, const QString& password,
                           bool allowNickname = false);

} // namespace zuv::server
