#pragma once

#include "sql.h"

namespace zuv::server {

// Members of the demo; each is created only when its nickname is missing, at
// its number when that is free, and all are in each other's contact lists.
//   100000 "Zuv robot": answers every message, password unknown
//   100001 "demo", password "demo"
//   100002 "Eva", password "eva"
void seedDemo(Sql& db);

// The demo's station catalog, its own station "zd0001" first, playing
// `stream`. It replaces a catalog written by an earlier demo seed, so the
// stream follows the option, but never one that was imported.
void seedDemoCatalog(Sql& db, const QString& stream);

} // namespace zuv::server
