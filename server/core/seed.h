#pragma once

#include "sqlite.h"

namespace zuv::server {

// Members of the demo; each is created only when its nickname is missing, at
// its number when that is free, and all are in each other's contact lists.
//   100000 "Zuv robot": answers every message, password unknown
//   100001 "demo", password "demo"
//   100002 "Eva", password "eva"
void seedDemo(Sqlite& db);

} // namespace zuv::server
