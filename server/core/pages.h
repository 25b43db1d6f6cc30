#pragma once

#include "handler.h"

// The pages the web-view program opens. Each answers with a whole HTML page,
// a failure included, since the web view shows whatever comes.
namespace zuv::server::Pages {

Reply whois(Sqlite& db, const Query& query, const Context& ctx);
Reply inbox(Sqlite& db, const Query& query, const Context& ctx);
Reply note(Sqlite& db, const Query& query, const Context& ctx);
Reply sendFile(Sqlite& db, const Query& query, const Context& ctx);
Reply birthdays(Sqlite& db, const Query& query, const Context& ctx);
Reply editProfile(Sqlite& db, const Query& query, const Context& ctx);
Reply history(Sqlite& db, const Query& query, const Context& ctx);
Reply awayText(Sqlite& db, const Query& query, const Context& ctx);
Reply registration(Sqlite& db, const Query& query, const Context& ctx);
Reply newVersion(Sqlite& db, const Query& query, const Context& ctx);
Reply freeMusic(Sqlite& db, const Query& query, const Context& ctx);
Reply discussion(Sqlite& db, const Query& query, const Context& ctx);
Reply addStation(Sqlite& db, const Query& query, const Context& ctx);
Reply help(Sqlite& db, const Query& query, const Context& ctx);
// The recorder's help on what it records and how loud.
Reply recordingHelp(Sqlite& db, const Query& query, const Context& ctx);
// The station browser's advert strip.
Reply advert(Sqlite& db, const Query& query, const Context& ctx);

// The member's own page, opened by the messenger's login link in a web
// browser: `code` is LoginLink::Heslo of the password.
Reply loginLink(Sqlite& db, const QString& number, const QString& code, const Context& ctx);

inline constexpr int kHistoryLength = 50;

} // namespace zuv::server::Pages
