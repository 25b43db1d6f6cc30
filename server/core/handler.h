#pragma once

#include "config.h"
#include "query.h"
#include "replies.h"
#include "sql.h"

#include <QString>

namespace zuv::server {

// What a handler knows about the request besides its keys.
class LoginThrottle;
class CatalogCache;

struct Context
{
    const ServerConfig& config;
    QString base;                      // "http://host:port" as the request addressed this server
    qint64 now;                        // ms since the epoch
    LoginThrottle* throttle = nullptr; // counts wrong passwords, when the server keeps one
    QString client;                    // the address the request came from
    CatalogCache* catalog = nullptr;   // the rendered station list, when the server keeps it
};

// One script or page. It runs while the request holds the database.
using Handler = Reply (*)(Sql& db, const Query& query, const Context& ctx);

} // namespace zuv::server
