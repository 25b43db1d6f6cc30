#pragma once

#include "handler.h"

namespace zuv::server::Scripts {

// /zuv/search.php: "num//" count, "svs//" station, a page of "add//" records
// and "next//" when a further page exists.
Reply search(Sql& db, const Query& query, const Context& ctx);

inline constexpr int kSearchPageSize = 20;

} // namespace zuv::server::Scripts
