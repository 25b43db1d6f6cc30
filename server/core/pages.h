#pragma once

#include "handler.h"

// The pages the web-view program opens. Each answers with a whole HTML page,
// a failure included, since the web view shows whatever comes.
namespace zuv::server::Pages {

Reply whois(Sql& db, const Query& query, const Context& ctx);
Reply inbox(Sql& db, const Query& query, const Context& ctx);
Reply note(Sql& db, const Query& query, const Context& ctx);
Reply sendFile(Sql& db, const Query& query, const Context& ctx);
Reply birthdays(Sql& db, const Query& query, const Context& ctx);
Reply editProfile(Sql& db, const Query& query, const Context& ctx);
Reply history(Sql& db, const Query& query, const Context& ctx);
Reply awayText(Sql& db, const Query& query, const Context& ctx);
Reply registration(Sql& db, const Query& query, const Context& ctx);
Reply newVersion(Sql& db, const Query& query, const Context& ctx);
Reply freeMusic(Sql& db, const Query& query, const Context& ctx);
Reply discussion(Sql& db, const Query& query, const Context& ctx);
Reply addStation(Sql& db, const Query& query, const Context& ctx);
Reply help(Sql& db, const Query& query, const Context& ctx);
// The recorder's help on what it records and how loud.
Reply recordingHelp(Sql& db, const Query& query, const Context& ctx);
// The station browser's advert strip.
Reply advert(Sql& db, const Query& query, const Context& ctx);

// The member's own page, opened by the messenger's login link in a web
// browser: `code` is LoginLink::Heslo of the password.
Reply loginLink(Sql& db, const QString& number, const QString& code, const Context& ctx);

inline constexpr int kHistoryLength = 50;

} // namespace zuv::server::Pages
