#pragma once

#include <QtGlobal>

namespace zuv::server {

// Refresh intervals handed out in the server settings file, in ms.
struct Intervals
{
    int active = 10000;
    int passive = 30000;
    int threshold = 2000;
};

struct ServerConfig
{
    qint64 build = 0; // a refresh naming a lower build is told of a new version; 0: never
    Intervals intervals;
};

} // namespace zuv::server
