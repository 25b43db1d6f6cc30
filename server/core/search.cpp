#include "search.h"

#include "auth.h"
#include "presence.h"

#include <QDateTime>
#include <algorithm>
#include <foundation/codepage.h>
#include <variant>
#include <vector>

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

// The birth date on which one turns `years` today, as the text the column
// holds. "yyyy-mm-dd" sorts as the date does, and the day is kept even where
// that year has none (29 February), since it is only compared.
QString birthBound(const QDate& today, qint64 years)
{
    const qint64 year = std::clamp<qint64>(today.year() - years, 0, 9999);
    return QString::asprintf("%04d-%02d-%02d", int(year), today.month(), today.day());
}

using Value = std::variant<qint64, QString>;

// One key's condition. "@" marks the column an index could serve; it reads
// "+" (which SQLite takes as "no index") in all but the term the search goes
// by, so SQLite never picks a worse index from guesswork.
struct Term
{
    int rank;          // the lowest present drives the search
    const char* index; // INDEXED BY, or null where SQLite finds the way itself
    const char* sql;
    QList<Value> values;
};

// The numbers of the members a search lists, in no order.
std::vector<int> matchingNumbers(Sql& db, const Query& query, qint64 since, const QDate& today)
{
    const auto wanted = [&](const char* key) {
        return query.text(QString::fromLatin1(key)).trimmed();
    };
    // Ranked by how few members a key usually leaves: one number, the
    // listeners of one station, those on line, a text in one field (a scan
    // of that field's index; of two such, the first listed below), an age
    // range, and last a sex (half of all).
    QList<Term> terms;
    if (const QString id = wanted("id"); !id.isEmpty()) {
        const auto number = parseNumber(id);
        if (!number)
            return {};
        terms.append({0, nullptr, " AND @number = ?", {qint64(*number)}});
    }
    if (const QString station = wanted("radio"); !station.isEmpty())
        terms.append({1, "search_station", " AND @station_key = ?", {searchKey(station)}});
    const bool listening = query.text(QStringLiteral("radiostav")) == QStringLiteral("on");
    if (listening || query.text(QStringLiteral("line")) == QStringLiteral("online")) {
        terms.append({2,
                      nullptr,
                      listening ? " AND mood <> 'off' AND (robot = 1 OR @last_refresh > ?) "
                                  "AND radio = 'on'"
                                : " AND mood <> 'off' AND (robot = 1 OR @last_refresh > ?)",
                      {since}});
    }
    const struct
    {
        const char* key;
        const char* index;
        const char* sql;
    } texts[] = {
        {"nick", "search_nick", " AND instr(nick_key, ?) > 0"},
        {"prijmeni", "search_surname", " AND instr(surname_key, ?) > 0"},
        {"poznamky", "search_notes", " AND instr(notes_key, ?) > 0"},
        {"jmeno", "search_first_name", " AND instr(first_name_key, ?) > 0"},
        {"mesto", "search_town", " AND instr(town_key, ?) > 0"},
    };
    for (const auto& text : texts) {
        if (const QString value = wanted(text.key); !value.isEmpty())
            terms.append({3, text.index, text.sql, {searchKey(value)}});
    }
    const QString ageFrom = wanted("agefrom");
    const QString ageTo = wanted("ageto");
    if (!ageFrom.isEmpty() || !ageTo.isEmpty()) {
        // Aged `from` or more: born on the day one turned `from` or before;
        // aged `to` or less: born after the day one turned `to` + 1. Never
        // after today, and never without a birth date ('').
        bool okFrom = false, okTo = false;
        const qint64 from = ageFrom.toInt(&okFrom);
        const qint64 to = ageTo.toInt(&okTo);
        const QString todayText = birthBound(today, 0);
        terms.append({4,
                      "search_birth",
                      " AND @birth_date > ? AND @birth_date <= ?",
                      {okTo ? birthBound(today, to + 1) : QString(),
                       okFrom ? std::min(birthBound(today, from), todayText) : todayText}});
    }
    if (const QString sex = query.text(QStringLiteral("zm")); !sex.isEmpty())
        terms.append({5, "search_sex", " AND @sex = ?", {sex}});

    const Term* driver = nullptr;
    for (const Term& t : terms) {
        if (!driver || t.rank < driver->rank)
            driver = &t;
    }
    // A search by nothing lists everyone, read from the narrowest index.
    // PostgreSQL picks its index by itself and has neither INDEXED BY nor
    // the unary "+" on text that keeps SQLite off an index.
    const bool postgres = db.dialect() == Dialect::Postgres;
    QByteArray sql = "SELECT number FROM members";
    if (!postgres && (!driver || driver->index)) {
        sql += " INDEXED BY ";
        sql += driver ? driver->index : "search_sex";
    }
    sql += " WHERE suspended = 0";
    for (const Term& t : terms)
        sql += postgres ? QByteArray(t.sql).replace('@', "").replace("instr(", "strpos(")
                        : QByteArray(t.sql).replace('@', &t == driver ? "" : "+");

    Statement st = db.prepareBuilt(sql);
    int index = 0;
    for (const Term& t : terms) {
        for (const Value& value : t.values)
            std::visit([&](const auto& v) { st.bind(++index, v); }, value);
    }
    std::vector<int> numbers;
    while (st.step())
        numbers.push_back(int(st.integer(0)));
    return numbers;
}

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

Reply search(Sql& db, const Query& query, const Context& ctx)
{
    const auto id = query.value(QStringLiteral("idh"));
    const auto password = query.value(QStringLiteral("h"));
    if (!id || !password)
        return Reply::badRequest();
    if (authenticate(db, ctx, *id, *password).result != Authenticated::Ok)
        return Reply::lines({QStringLiteral("num//0"), QStringLiteral("svs//")});

    const qint64 since = onlineSince(ctx.now, ctx.config.intervals.active);
    const QDate today = QDateTime::fromMSecsSinceEpoch(ctx.now).date();
    std::vector<int> found = matchingNumbers(db, query, since, today);
    const qsizetype count = qsizetype(found.size());
    const qsizetype offset = qMax(0, query.text(QStringLiteral("od")).toInt());
    const qsizetype end = qMin(count, offset + kSearchPageSize);
    // By number: the order members joined in, and one that paging keeps.
    if (offset < end)
        std::partial_sort(found.begin(), found.begin() + end, found.end());

    QStringList out;
    out.append(QStringLiteral("num//") + QString::number(count));
    out.append(QStringLiteral("svs//") + query.text(QStringLiteral("radio")).trimmed());
    for (qsizetype i = offset; i < end; ++i) {
        if (const auto m = Members::byNumber(db, found[std::size_t(i)]))
            out.append(searchRecord(*m, isOnline(*m, since), today));
    }
    if (end < count)
        out.append(QStringLiteral("next//") + nextPage(query, int(end)));
    return Reply::lines(out);
}

} // namespace zuv::server::Scripts
