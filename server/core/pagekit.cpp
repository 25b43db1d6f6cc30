#include "pagekit.h"

#include "auth.h"
#include "html.h"

#include <QDateTime>

namespace zuv::server::Pages {

QString text(const Query& query, const char* key)
{
    return query.text(QString::fromLatin1(key));
}

Reply page(const QString& title, const QString& body)
{
    return Reply::html(Html::page(title, body));
}

Reply paragraph(const QString& title, const QString& message)
{
    return page(title, QStringLiteral("<p>") + Html::escape(message) + QStringLiteral("</p>"));
}

PageAuth pageAuth(Sql& db, const Context& ctx, const Query& query, const QString& title)
{
    const Authenticated auth = authenticate(db, ctx, text(query, "idh"), text(query, "h"));
    if (auth.result == Authenticated::Ok)
        return {auth.member, {}};
    if (auth.result == Authenticated::Suspended)
        return {std::nullopt, paragraph(title, QStringLiteral("Váš účet byl pozastaven."))};
    return {std::nullopt, paragraph(title, QStringLiteral("Špatné Zuv číslo nebo heslo."))};
}

Rows credentials(const Member& me, const Query& query)
{
    return {{QStringLiteral("idh"), QString::number(me.number)},
            {QStringLiteral("h"), text(query, "h")}};
}

QDate today(const Context& ctx)
{
    return QDateTime::fromMSecsSinceEpoch(ctx.now).date();
}

std::optional<Member> namedMember(Sql& db, const QString& number)
{
    const auto parsed = parseNumber(number);
    return parsed ? Members::byNumber(db, *parsed) : std::nullopt;
}
} // namespace zuv::server::Pages
