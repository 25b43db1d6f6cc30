#include "scripts.h"

#include "auth.h"
#include "catalog.h"
#include "contacts.h"
#include "messages.h"
#include "presence.h"
#include "robot.h"

#include <QDateTime>
#include <algorithm>
#include <foundation/serversettings.h>

namespace zuv::server::Scripts {
namespace {

// Values the server keeps as short codes; anything longer is cut.
constexpr int kCodeLength = 16;

QString line(const char16_t* text)
{
    return QString::fromUtf16(text);
}

Reply authFailure(Authenticated::Result result)
{
    return Reply::lines(
        {line(result == Authenticated::Suspended ? Line::kSuspended : Line::kWrongPassword)});
}

// Nothing when the request names no build; an error when it names no number.
struct Build
{
    bool valid = true;
    std::optional<qint64> value;
};

Build sentBuild(const Query& query)
{
    const QString text = query.text(QStringLiteral("build"));
    if (text.isEmpty())
        return {};
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok)
        return {false, std::nullopt};
    return {true, value};
}

RefreshState refreshState(const Query& query)
{
    RefreshState state;
    if (const auto mood = query.value(QStringLiteral("nalada")))
        state.mood = normalisedMood(*mood);
    if (const auto radio = query.value(QStringLiteral("radio")))
        state.radio = *radio == QStringLiteral("on") ? QStringLiteral("on") : QStringLiteral("off");
    if (const auto mode = query.value(QStringLiteral("zuvrezim")))
        state.mode = mode->left(kCodeLength);
    if (const auto ws = query.value(QStringLiteral("ws")))
        state.withSystem = ws->left(kCodeLength);
    return state;
}

// On-line contacts first, each group by nickname, as the tree shows them.
QStringList contactRecords(Sql& db, int owner, const Context& ctx)
{
    const qint64 since = onlineSince(ctx.now, ctx.config.intervals.active);
    struct Entry
    {
        Member member;
        bool online;
    };
    std::vector<Entry> entries;
    for (Member& m : Members::contactsOf(db, owner)) {
        const bool online = isOnline(m, since);
        entries.push_back({std::move(m), online});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.online != b.online)
            return a.online;
        return a.member.profile.nickname.compare(b.member.profile.nickname, Qt::CaseInsensitive) <
               0;
    });
    const QDate today = QDateTime::fromMSecsSinceEpoch(ctx.now).date();
    QStringList records;
    records.reserve(qsizetype(entries.size()));
    for (const Entry& e : entries)
        records.append(contactRecord(e.member, e.online, today));
    return records;
}

Reply refresh(Sql& db, const Query& query, const Context& ctx, bool full)
{
    const auto id = query.value(QStringLiteral("id"));
    const auto password = query.value(QStringLiteral("h"));
    const Build build = sentBuild(query);
    if (!id || !password || !build.valid)
        return Reply::badRequest();

    Transaction tx(db);
    const Authenticated auth = authenticate(db, ctx, *id, *password);
    if (auth.result != Authenticated::Ok)
        return authFailure(auth.result);
    const Member& me = *auth.member;
    Members::recordRefresh(db, me.number, refreshState(query), ctx.now);

    QStringList out;
    if (build.value && ctx.config.build > 0 && *build.value < ctx.config.build)
        out.append(line(Line::kNewVersion));
    const qint64 since = onlineSince(ctx.now, ctx.config.intervals.active);
    out.append(QStringLiteral("online:") + QString::number(Members::countOnline(db, since)));
    out.append(QStringLiteral("mynick:") + me.profile.nickname);
    if (full) {
        // Messages reach the messenger as they come, so nothing waits in the inbox.
        out.append(QStringLiteral("inbox:0"));
        out.append(contactRecords(db, me.number, ctx));
    }
    for (const Message& m : Messages::takeQueued(db, me.number, ctx.now))
        out.append(messageRecord(m));
    tx.commit();
    return Reply::lines(out);
}

// The member named by "user", when the request's own member may list them.
std::optional<Member> listTarget(Sql& db, const Member& me, const Query& query)
{
    const auto number = parseNumber(query.text(QStringLiteral("user")));
    if (!number || *number == me.number)
        return std::nullopt;
    auto target = Members::byNumber(db, *number);
    if (!target || target->suspended)
        return std::nullopt;
    return target;
}

} // namespace

Reply serverSettings(Sql&, const Query&, const Context& ctx)
{
    ServerSettings settings;
    settings.updateHost = ctx.base;
    settings.serverBase = ctx.base;
    settings.activeInterval = QString::number(ctx.config.intervals.active);
    settings.passiveInterval = QString::number(ctx.config.intervals.passive);
    settings.thresholdInterval = QString::number(ctx.config.intervals.threshold);
    return Reply::lines(settings.toLines());
}

Reply login(Sql& db, const Query& query, const Context& ctx)
{
    const QString who = query.text(QStringLiteral("id")).trimmed();
    const QString password = query.text(QStringLiteral("h"));
    if (who.isEmpty() || password.isEmpty())
        return Reply::lines(
            {QStringLiteral("zuvx:Zadejte prosím svůj nick nebo Zuv číslo a heslo.")});
    const Authenticated auth = authenticate(db, ctx, who, password, true);
    switch (auth.result) {
    case Authenticated::Wrong:
        return Reply::lines({QStringLiteral("zuvx:Špatný nick, Zuv číslo nebo heslo.")});
    case Authenticated::Suspended:
        return Reply::lines(
            {QStringLiteral("zuvx:Váš účet byl pozastaven. Kontaktujte prosím správce Zuv sítě.")});
    case Authenticated::Ok:
        break;
    }
    return Reply::lines({
        QStringLiteral("zuvid:") + QString::number(auth.member->number),
        QStringLiteral("zuvok:Vítejte v síti Zuv, %1!").arg(auth.member->profile.nickname),
    });
}

Reply refreshAll(Sql& db, const Query& query, const Context& ctx)
{
    return refresh(db, query, ctx, true);
}

Reply refreshMessages(Sql& db, const Query& query, const Context& ctx)
{
    return refresh(db, query, ctx, false);
}

Reply messageAdd(Sql& db, const Query& query, const Context& ctx)
{
    const auto id = query.value(QStringLiteral("id"));
    const auto password = query.value(QStringLiteral("h"));
    const auto to = query.value(QStringLiteral("to"));
    const auto text = query.value(QStringLiteral("text"));
    if (!id || !password || !to || !text || text->isEmpty())
        return Reply::badRequest();

    Transaction tx(db);
    const Authenticated auth = authenticate(db, ctx, *id, *password);
    if (auth.result != Authenticated::Ok)
        return authFailure(auth.result);
    const Member& me = *auth.member;
    const auto recipientNumber = parseNumber(*to);
    const auto recipient =
        recipientNumber ? Members::byNumber(db, *recipientNumber) : std::optional<Member>();
    if (!recipient || recipient->suspended)
        return Reply::lines({line(Line::kNoSuchMember)});

    Message sent = Messages::queue(db, me.number, recipient->number, *text, ctx.now);
    sent.senderNick = me.profile.nickname;
    if (recipient->robot && recipient->number != me.number) {
        Messages::queue(db, recipient->number, me.number, robotAnswer(me.profile.nickname, *text),
                        ctx.now);
    }
    tx.commit();
    return Reply::lines({sentRecord(sent)});
}

Reply userAdd(Sql& db, const Query& query, const Context& ctx)
{
    const auto id = query.value(QStringLiteral("id"));
    const auto password = query.value(QStringLiteral("h"));
    if (!id || !password || !query.has(QStringLiteral("user")))
        return Reply::badRequest();
    const Authenticated auth = authenticate(db, ctx, *id, *password);
    if (auth.result != Authenticated::Ok)
        return Reply::lines({line(Line::kNoAdd)});
    const auto target = listTarget(db, *auth.member, query);
    if (!target)
        return Reply::lines({line(Line::kNoAdd)});
    if (!Contacts::add(db, auth.member->number, target->number))
        return Reply::lines({line(Line::kExists)});
    return Reply::lines({contactChangedRecord(target->profile.nickname)});
}

Reply userDel(Sql& db, const Query& query, const Context& ctx)
{
    const auto id = query.value(QStringLiteral("id"));
    const auto password = query.value(QStringLiteral("h"));
    if (!id || !password || !query.has(QStringLiteral("user")))
        return Reply::badRequest();
    const Authenticated auth = authenticate(db, ctx, *id, *password);
    if (auth.result != Authenticated::Ok)
        return Reply::lines({line(Line::kNoAdd)});
    const auto number = parseNumber(query.text(QStringLiteral("user")));
    const auto target = number ? Members::byNumber(db, *number) : std::optional<Member>();
    if (!target || !Contacts::remove(db, auth.member->number, target->number))
        return Reply::lines({line(Line::kNoAdd)});
    return Reply::lines({contactChangedRecord(target->profile.nickname)});
}

Reply listening(Sql& db, const Query& query, const Context& ctx)
{
    const auto id = query.value(QStringLiteral("idh"));
    const auto password = query.value(QStringLiteral("h"));
    if (!id || !password)
        return Reply::badRequest();
    const Authenticated auth = authenticate(db, ctx, *id, *password);
    if (auth.result != Authenticated::Ok)
        return authFailure(auth.result);
    if (query.text(QStringLiteral("sv")) == QStringLiteral("on"))
        Members::recordListening(db, auth.member->number,
                                 query.text(QStringLiteral("stanice")).left(kCodeLength));
    // A player whose member does not keep the messenger running is told of
    // messages waiting; the player asks whether to start the messenger.
    const Messages::Unread unread = Messages::countQueued(db, auth.member->number);
    if (query.text(QStringLiteral("zuvw")) != QStringLiteral("off") || unread.messages == 0)
        return Reply::lines({});
    return Reply::lines({
        QStringLiteral("new:Na Zuv na vás čeká %1 nepřečtených zpráv (od %2 uživatelů).")
            .arg(unread.messages)
            .arg(unread.senders),
        QStringLiteral("inf:Zprávy si přečtete v programu Zuv."),
    });
}

Reply stationList(Sql& db, const Query& query, const Context& ctx)
{
    // The browser sends the number alone, no password: the catalog is no
    // secret, only the members'.
    const auto number = parseNumber(query.text(QStringLiteral("idh")));
    const auto member = number ? Members::byNumber(db, *number) : std::nullopt;
    if (!member || member->suspended)
        return Reply::lines({line(kCatalogError)});
    // The browser reads the list only once exactly the announced count has
    // come, so both answers come from one rendering.
    const QByteArray body =
        ctx.catalog ? ctx.catalog->body(db, ctx.base) : Catalog::render(db, ctx.base);
    if (query.has(QStringLiteral("size")))
        return Reply::lines({QStringLiteral("size:") + QString::number(body.size())});
    Reply reply = Reply::lines({});
    reply.body = body;
    return reply;
}

} // namespace zuv::server::Scripts
