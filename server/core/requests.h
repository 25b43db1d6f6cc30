#pragma once

#include "database.h"
#include "handler.h"

#include <QString>

namespace zuv::server {

// "\" counts as "/" and runs of them as one, since callers build addresses
// with either ("\zuv\whois.php").
QString normalisedPath(const QString& path);

// Answers one request: routes the path to its script or page and runs it
// while holding the database. A failure inside becomes an error reply.
Reply handleRequest(Database& db, const QString& path, const Query& query, const Context& ctx);

} // namespace zuv::server
