#pragma once

#include "database.h"
#include "handler.h"

#include <QString>
#include <optional>

namespace zuv::server {

// "\" counts as "/" and runs of them as one, since callers build addresses
// with either ("\zuv\whois.php").
QString normalisedPath(const QString& path);

// The member number and code of a web login link,
// "/login/<number>/<code>//1", read from the path as it came: normalisedPath()
// would merge the slashes around an empty code. Nothing when the path is not
// under "/login/"; a missing code reads as empty.
struct LoginLinkPath
{
    QString number;
    QString code;
};
std::optional<LoginLinkPath> loginLinkPath(const QString& path);

// Answers one request: routes the path to its script or page and runs it
// while holding the database. A failure inside becomes an error reply.
Reply handleRequest(Database& db, const QString& path, const Query& query, const Context& ctx);

} // namespace zuv::server
