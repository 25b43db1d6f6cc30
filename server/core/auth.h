#pragma once

#include "members.h"
#include "sqlite.h"

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
// login dialog takes either.
Authenticated authenticate(Sqlite& db, const QString& who, const QString& password,
                           bool allowNickname = false);

} // namespace zuv::server
