#include "search.h"

#include "auth.h"
#include "presence.h"

#include <QDateTime>
#include <foundation/codepage.h>

namespace zuv::server::Scripts {
namespace {

// The keys of a search, in the order the search window sends them.
const QStringList kKeys = {
    QStringLiteral("idh"),      QStringLiteral("h"),         QStringLiteral("id"),
    QStringLiteral("agefrom"),  QStringLiteral("ageto"),     QStringLiteral("nick"),
    QStringLiteral("line"),     QStringLiteral("radiostav"), QStringLiteral("radio"),
    QStringLiteral("jmeno"),    QStringLiteral("prijmeni"),  QStringLiteral("zm"),
    QStringLiteral("poznamky"), QStringLiteral("mesto"),
};

struct Filter
{
    const Query& query;
    qint64 since;
    QDate today;

    bool contains(const QString& value, const char* key) const
    {
        const QString wanted = query.text(QString::fromLatin1(key)).trimmed();
        return wanted.isEmpty() || value.contains(wanted, Qt::CaseInsensitive);
    }

    bool ageFits(const Member& m) const
    {
        const QString from = query.text(QStringLiteral("agefrom")).trimmed();
        const QString to = query.text(QStringLiteral("ageto")).trimmed();
        if (from.isEmpty() && to.isEmpty())
            return true;
        const auto age = ageOn(m.profile.birthDate, today);
        if (!age)
            return false;
        bool okFrom = false, okTo = false;
        const int low = from.toInt(&okFrom);
        const int high = to.toInt(&okTo);
        return (!okFrom || *age >= low) && (!okTo || *age <= high);
    }

    bool matches(const Member& m) const
    {
        if (m.suspended)
            return false;
        const QString id = query.text(QStringLiteral("id")).trimmed();
        if (!id.isEmpty() && id != QString::number(m.number))
            return false;
        const QString sex = query.text(QStringLiteral("zm"));
        if (!sex.isEmpty() && sex != m.profile.sex)
            return false;
        const bool online = isOnline(m, since);
        if (query.text(QStringLiteral("line")) == QStringLiteral("online") && !online)
            return false;
        const bool listening = online && m.radio == QStringLiteral("on");
        if (query.text(QStringLiteral("radiostav")) == QStringLiteral("on") && !listening)
            return false;
        const QString station = query.text(QStringLiteral("radio")).trimmed();
        if (!station.isEmpty() && station.compare(m.station, Qt::CaseInsensitive) != 0)
            return false;
        return contains(m.profile.nickname, "nick") && contains(m.profile.firstName, "jmeno") &&
               contains(m.profile.surname, "prijmeni") && contains(m.profile.town, "mesto") &&
               contains(m.profile.notes, "poznamky") && ageFits(m);
    }
};

QString sexName(const QString& code)
{
    if (code == QStringLiteral("z"))
        return QStringLiteral("Žena");
    if (code == QStringLiteral("m"))
        return QStringLiteral("Muž");
    return {};
}

// Twelve fields: number, mood or "off", nickname, first name, surname, age,
// radio player, on-line state, station, sex, (empty), town. The messenger
// shows no field 10; the birth date it once carried is not sent, the age
// says all that is meant to be seen.
QString searchRecord(const Member& m, bool online, const QDate& today)
{
    const auto age = ageOn(m.profile.birthDate, today);
    const bool listening = online && m.radio == QStringLiteral("on");
    const QStringList fields = {
        QString::number(m.number),
        online ? m.mood : QStringLiteral("off"),
        m.profile.nickname,
        m.profile.firstName,
        m.profile.surname,
        age ? QString::number(*age) : QString(),
        listening ? QStringLiteral("ano") : QStringLiteral("ne"),
        online ? QStringLiteral("online") : QStringLiteral("offline"),
        listening ? m.station : QString(),
        sexName(m.profile.sex),
        QString(),
        m.profile.town,
    };
    return QStringLiteral("add//") + fields.join(QStringLiteral("/@/"));
}

// The next page's address after "/zuv/". Values are percent-encoded from
// their Windows-1250 bytes, which the downloader passes on unchanged.
QString nextPage(const Query& query, int offset)
{
    QString address = QStringLiteral("search.php?");
    for (qsizetype i = 0; i < kKeys.size(); ++i) {
        if (i)
            address += u'&';
        address += kKeys[i] + u'=' +
                   QString::fromLatin1(CodePage::encode(query.text(kKeys[i])).toPercentEncoding());
    }
    return address + QStringLiteral("&od=") + QString::number(offset);
}

} // namespace

Reply search(Sqlite& db, const Query& query, const Context& ctx)
{
    const auto id = query.value(QStringLiteral("idh"));
    const auto password = query.value(QStringLiteral("h"));
    if (!id || !password)
        return Reply::badRequest();
    if (authenticate(db, ctx, *id, *password).result != Authenticated::Ok)
        return Reply::lines({QStringLiteral("num//0"), QStringLiteral("svs//")});

    const Filter filter{query, onlineSince(ctx.now, ctx.config.intervals.active),
                        QDateTime::fromMSecsSinceEpoch(ctx.now).date()};
    QList<Member> found;
    for (const Member& m : Members::all(db)) {
        if (filter.matches(m))
            found.append(m);
    }
    const int offset = qMax(0, query.text(QStringLiteral("od")).toInt());

    QStringList out;
    out.append(QStringLiteral("num//") + QString::number(found.size()));
    out.append(QStringLiteral("svs//") + query.text(QStringLiteral("radio")).trimmed());
    for (qsizetype i = offset; i < found.size() && i < offset + kSearchPageSize; ++i)
        out.append(searchRecord(found[i], isOnline(found[i], filter.since), filter.today));
    if (offset + kSearchPageSize < found.size())
        out.append(QStringLiteral("next//") + nextPage(query, offset + kSearchPageSize));
    return Reply::lines(out);
}

} // namespace zuv::server::Scripts
