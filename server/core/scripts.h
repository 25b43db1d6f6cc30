#pragma once

#include "handler.h"

// The scripts whose replies the programs read as reply files.
namespace zuv::server::Scripts {

Reply serverSettings(Sql& db, const Query& query, const Context& ctx);  // /server.tt
Reply login(Sql& db, const Query& query, const Context& ctx);           // /zuv/login.php
Reply refreshAll(Sql& db, const Query& query, const Context& ctx);      // /zuv/all.php
Reply refreshMessages(Sql& db, const Query& query, const Context& ctx); // /zuv/all_msg.php
Reply messageAdd(Sql& db, const Query& query, const Context& ctx);      // /zuv/message_add.php
Reply userAdd(Sql& db, const Query& query, const Context& ctx);         // /zuv/user_add.php
Reply userDel(Sql& db, const Query& query, const Context& ctx);         // /zuv/user_del.php
Reply listening(Sql& db, const Query& query, const Context& ctx);       // /zuv/sv_all.php
// /sorvanta.trolvik/sv_list.php: the station catalog for member "idh", or
// with "size" only the byte count it will have ("size:" + count).
Reply stationList(Sql& db, const Query& query, const Context& ctx);

} // namespace zuv::server::Scripts
