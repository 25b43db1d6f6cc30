#include "pages.h"

#include "html.h"
#include "messages.h"
#include "messagetext.h"
#include "pagekit.h"
#include "presence.h"

#include <algorithm>

namespace zuv::server::Pages {
namespace {

QString sexName(const QString& code)
{
    if (code == QStringLiteral("z"))
        return QStringLiteral("žena");
    if (code == QStringLiteral("m"))
        return QStringLiteral("muž");
    return {};
}

// A stored message as a person reads it.
QString messageHtml(const QString& stored)
{
    QStringList lines = MessageText::unescape(stored).split(u'\n');
    for (QString& line : lines)
        line = Html::escape(line);
    return lines.join(QStringLiteral("<br>"));
}

} // namespace

Reply whois(Sqlite& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Informace o uživateli");
    const auto m = namedMember(db, text(query, "id"));
    if (!m || m->suspended)
        return paragraph(title, QStringLiteral("Uživatel nebyl nalezen."));
    const bool online = isOnline(*m, onlineSince(ctx.now, ctx.config.intervals.active));
    const auto age = ageOn(m->profile.birthDate, today(ctx));
    Rows rows = {
        {QStringLiteral("Nick:"), Html::escape(m->profile.nickname)},
        {QStringLiteral("Zuv#:"), QString::number(m->number)},
        {QStringLiteral("Jméno:"), Html::escape(m->profile.firstName)},
        {QStringLiteral("Příjmení:"), Html::escape(m->profile.surname)},
        {QStringLiteral("Pohlaví:"), sexName(m->profile.sex)},
        {QStringLiteral("Věk:"), age ? QString::number(*age) : QString()},
        {QStringLiteral("Město:"), Html::escape(m->profile.town)},
        {QStringLiteral("Poznámky:"), Html::escape(m->profile.notes)},
        {QStringLiteral("Stav:"), online ? QStringLiteral("On-Line") : QStringLiteral("Off-Line")},
    };
    if (online) {
        rows.append({QStringLiteral("Nálada:"), Html::escape(m->mood)});
        if (m->mood == QStringLiteral("(:)") && !m->awayText.isEmpty())
            rows.append({QStringLiteral("Nepřítomen:"), Html::escape(m->awayText)});
    }
    return page(title + QStringLiteral(" ") + m->profile.nickname, Html::table(rows));
}

Reply inbox(Sqlite& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Schránka");
    const PageAuth auth = pageAuth(db, ctx, query, title);
    if (!auth.member)
        return auth.refusal;
    // Every message is handed to the messenger by the next refresh.
    return paragraph(title, QStringLiteral("Ve schránce nemáte žádné nepřijaté zprávy."));
}

Reply sendFile(Sqlite& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Odeslat soubor");
    const PageAuth auth = pageAuth(db, ctx, query, title);
    if (!auth.member)
        return auth.refusal;
    const auto contact = namedMember(db, text(query, "to"));
    if (!contact)
        return paragraph(title, QStringLiteral("Uživatel nebyl nalezen."));
    return paragraph(title + QStringLiteral(": ") + contact->profile.nickname,
                     QStringLiteral("Posílání souborů tento server nenabízí."));
}

Reply birthdays(Sqlite& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Narozeniny přátel");
    const PageAuth auth = pageAuth(db, ctx, query, title);
    if (!auth.member)
        return auth.refusal;
    struct Upcoming
    {
        QDate next;
        QString nickname;
        int turns;
    };
    const QDate now = today(ctx);
    QList<Upcoming> upcoming;
    for (const Member& m : Members::contactsOf(db, auth.member->number)) {
        const QDate born = QDate::fromString(m.profile.birthDate, Qt::ISODate);
        if (!born.isValid())
            continue;
        // 29 February counts as 1 March in other years.
        auto on = [&](int year) {
            QDate d(year, born.month(), born.day());
            return d.isValid() ? d : QDate(year, 3, 1);
        };
        QDate next = on(now.year());
        if (next < now)
            next = on(now.year() + 1);
        upcoming.append({next, m.profile.nickname, next.year() - born.year()});
    }
    if (upcoming.isEmpty())
        return paragraph(title, QStringLiteral("Nikdo z vašich přátel nezadal datum narození."));
    std::sort(upcoming.begin(), upcoming.end(),
              [](const Upcoming& a, const Upcoming& b) { return a.next < b.next; });
    Rows rows;
    for (const Upcoming& u : upcoming)
        rows.append({u.next.toString(QStringLiteral("d. M. yyyy")),
                     QStringLiteral("%1 (%2 let)")
                         .arg(Html::escape(u.nickname), QString::number(u.turns))});
    return page(title, Html::table(rows));
}

Reply history(Sqlite& db, const Query& query, const Context& ctx)
{
    const QString title = QStringLiteral("Historie zpráv");
    const PageAuth auth = pageAuth(db, ctx, query, title);
    if (!auth.member)
        return auth.refusal;
    const QList<Message> messages = Messages::history(db, auth.member->number, kHistoryLength);
    if (messages.isEmpty())
        return paragraph(title, QStringLiteral("Zatím jste si s nikým nepsali."));
    QString body = QStringLiteral("<table>\n");
    for (const Message& m : messages) {
        const bool mine = m.sender == auth.member->number;
        QString other;
        if (mine) {
            const auto recipient = Members::byNumber(db, m.recipient);
            other = recipient ? recipient->profile.nickname : QString::number(m.recipient);
        }
        body += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>\n")
                    .arg(formatTime(m.sent),
                         mine ? QStringLiteral("» ") + Html::escape(other)
                              : QStringLiteral("« ") + Html::escape(m.senderNick),
                         messageHtml(m.text));
    }
    return page(title, body + QStringLiteral("</table>"));
}

Reply newVersion(Sqlite&, const Query& query, const Context& ctx)
{
    return paragraph(QStringLiteral("Nová verze"),
                     QStringLiteral("Vaše verze: %1. Nejnovější verze na tomto serveru: %2.")
                         .arg(text(query, "build"), QString::number(ctx.config.build)));
}

Reply freeMusic(Sqlite&, const Query&, const Context&)
{
    return paragraph(QStringLiteral("Zuv FreeMusic"),
                     QStringLiteral("Hudba ke stažení na tomto serveru není."));
}

Reply discussion(Sqlite&, const Query& query, const Context&)
{
    return paragraph(QStringLiteral("Diskuze k rádiové stanici ") + text(query, "tid"),
                     QStringLiteral("K této stanici zatím nikdo nic nenapsal."));
}

Reply addStation(Sqlite&, const Query&, const Context&)
{
    return paragraph(QStringLiteral("Přidat nové rádio"),
                     QStringLiteral("Nová rádia tento server nepřijímá."));
}

} // namespace zuv::server::Pages
