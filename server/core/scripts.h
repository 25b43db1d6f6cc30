#pragma once

#include "handler.h"

// The scripts whose replies the programs read as reply files.
namespace zuv::server::Scripts {

Reply serverSettings(Sqlite& db, const Query& query, const Context& ctx);  // /server.tt
Reply login(Sqlite& db, const Query& query, const Context& ctx);           // /zuv/login.php
Reply refreshAll(Sqlite& db, const Query& query, const Context& ctx);      // /zuv/all.php
Reply refreshMessages(Sqlite& db, const Query& query, const Context& ctx); // /zuv/all_msg.php
Reply messageAdd(Sqlite& db, const Query& query, const Context& ctx);      // /zuv/message_add.php
Reply userAdd(Sqlite& db, const Query& query, const Context& ctx);         // /zuv/user_add.php
Reply userDel(Sqlite& db, const Query& query, const Context& ctx);         // /zuv/user_del.php
Reply listening(Sqlite& db, const Query& query, const Context& ctx);       // /zuv/sv_all.php
// /sorvanta.trolvik/sv_list.php: the station catalog for member "idh", or
// with "size" only the byte count it will have ("size:" + count).
Reply stationList(Sqlite& db, const Query& query, const Context& ctx);

} // namespace zuv::server::Scripts
