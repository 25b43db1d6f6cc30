#pragma once

#include "handler.h"
#include "members.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <optional>

// What the pages share: their frame, their sign-in and a few look-ups.
namespace zuv::server::Pages {

using Rows = QList<QPair<QString, QString>>;

QString text(const Query& query, const char* key);
Reply page(const QString& title, const QString& body);
// A page of one paragraph of plain text.
Reply paragraph(const QString& title, const QString& message);

// The member of a page's "idh" and "h", or a page that says why not.
struct PageAuth
{
    std::optional<Member> member;
    Reply refusal;
};
PageAuth pageAuth(Sql& db, const Context& ctx, const Query& query, const QString& title);

// Hidden form fields that sign the next request in as the same member.
Rows credentials(const Member& me, const Query& query);

QDate today(const Context& ctx);
std::optional<Member> namedMember(Sql& db, const QString& number);

} // namespace zuv::server::Pages
