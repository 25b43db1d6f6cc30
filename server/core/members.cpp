#include "members.h"

namespace zuv::server {
namespace {

#define ZUV_MEMBER_COLUMNS(t)                                                                      \
    t "number, " t "nickname, " t "first_name, " t "surname, " t "sex, " t "birth_date, " t        \
      "town, " t "notes, " t "salt, " t "hash, " t "away_text, " t "mood, " t "radio, " t          \
      "station, " t "suspended, " t "robot, " t "last_refresh"

Member readMember(const Statement& row)
{
    Member m;
    m.number = int(row.integer(0));
    m.profile = {row.text(1), row.text(2), row.text(3), row.text(4),
                 row.text(5), row.text(6), row.text(7)};
    m.password = {row.blob(8), row.blob(9)};
    m.awayText = row.text(10);
    m.mood = row.text(11);
    m.radio = row.text(12);
    m.station = row.text(13);
    m.suspended = row.integer(14) != 0;
    m.robot = row.integer(15) != 0;
    m.lastRefresh = row.integer(16);
    return m;
}

bool numberFree(Sql& db, int number)
{
    auto st = db.prepare("SELECT 1 FROM members WHERE number = ?");
    st.bind(1, qint64(number));
    return !st.step();
}

std::optional<int> nextFreeNumber(Sql& db)
{
    auto st = db.prepare("SELECT max(number) FROM members");
    const qint64 highest = st.step() ? st.integer(0) : 0;
    const qint64 next = highest < kFirstNumber ? kFirstNumber : highest + 1;
    if (next > kLastNumber)
        return std::nullopt;
    return int(next);
}

} // namespace

namespace Members {

std::optional<Member> byNumber(Sql& db, int number)
{
    auto st = db.prepare("SELECT " ZUV_MEMBER_COLUMNS("") " FROM members WHERE number = ?");
    st.bind(1, qint64(number));
    if (!st.step())
        return std::nullopt;
    return readMember(st);
}

std::optional<Member> byNickname(Sql& db, const QString& nickname)
{
    auto st = db.prepare("SELECT " ZUV_MEMBER_COLUMNS("") " FROM members WHERE nick_key = ?");
    st.bind(1, nicknameKey(nickname));
    if (!st.step())
        return std::nullopt;
    return readMember(st);
}

QList<Member> all(Sql& db)
{
    auto st = db.prepare("SELECT " ZUV_MEMBER_COLUMNS("") " FROM members ORDER BY number");
    QList<Member> members;
    while (st.step())
        members.append(readMember(st));
    return members;
}

QList<Member> contactsOf(Sql& db, int owner)
{
    auto st = db.prepare("SELECT " ZUV_MEMBER_COLUMNS(
        "m.") " FROM contacts c "
              "JOIN members m ON m.number = c.contact WHERE c.owner = ? "
              "ORDER BY c.contact");
    st.bind(1, qint64(owner));
    QList<Member> members;
    while (st.step())
        members.append(readMember(st));
    return members;
}

std::optional<int> create(Sql& db, const Profile& profile, const QString& password, int preferred,
                          bool robot)
{
    const PasswordHash hash = hashPassword(password);
    // Another server may take the number between the look and the insert;
    // then the next one is tried.
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (byNickname(db, profile.nickname))
            return std::nullopt;
        std::optional<int> number;
        if (attempt == 0 && preferred >= kFirstNumber && preferred <= kLastNumber &&
            numberFree(db, preferred))
            number = preferred;
        else
            number = nextFreeNumber(db);
        if (!number)
            return std::nullopt;
        auto st = db.prepare("INSERT INTO members(number, nickname, nick_key, salt, hash, "
                             "first_name, surname, sex, birth_date, town, notes, robot, "
                             "first_name_key, surname_key, town_key, notes_key) "
                             "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                             "ON CONFLICT DO NOTHING");
        st.bind(1, qint64(*number))
            .bind(2, profile.nickname)
            .bind(3, nicknameKey(profile.nickname))
            .bind(4, hash.salt)
            .bind(5, hash.hash)
            .bind(6, profile.firstName)
            .bind(7, profile.surname)
            .bind(8, profile.sex)
            .bind(9, profile.birthDate)
            .bind(10, profile.town)
            .bind(11, profile.notes)
            .bind(12, qint64(robot ? 1 : 0))
            .bind(13, searchKey(profile.firstName))
            .bind(14, searchKey(profile.surname))
            .bind(15, searchKey(profile.town))
            .bind(16, searchKey(profile.notes))
            .run();
        if (db.changes() > 0)
            return number;
    }
    return std::nullopt;
}

void updateProfile(Sql& db, int number, const Profile& profile)
{
    auto st = db.prepare("UPDATE members SET first_name = ?, surname = ?, sex = ?, "
                         "birth_date = ?, town = ?, notes = ?, first_name_key = ?, "
                         "surname_key = ?, town_key = ?, notes_key = ? WHERE number = ?");
    st.bind(1, profile.firstName)
        .bind(2, profile.surname)
        .bind(3, profile.sex)
        .bind(4, profile.birthDate)
        .bind(5, profile.town)
        .bind(6, profile.notes)
        .bind(7, searchKey(profile.firstName))
        .bind(8, searchKey(profile.surname))
        .bind(9, searchKey(profile.town))
        .bind(10, searchKey(profile.notes))
        .bind(11, qint64(number))
        .run();
}

void setAwayText(Sql& db, int number, const QString& text)
{
    auto st = db.prepare("UPDATE members SET away_text = ? WHERE number = ?");
    st.bind(1, text).bind(2, qint64(number)).run();
}

void setPassword(Sql& db, int number, const PasswordHash& password)
{
    auto st = db.prepare("UPDATE members SET salt = ?, hash = ? WHERE number = ?");
    st.bind(1, password.salt).bind(2, password.hash).bind(3, qint64(number)).run();
}

void recordRefresh(Sql& db, int number, const RefreshState& state, qint64 now)
{
    // A value the request did not carry keeps its stored content.
    auto st = db.prepare("UPDATE members SET last_refresh = ?, mood = coalesce(?, mood), "
                         "radio = coalesce(?, radio), mode = coalesce(?, mode), "
                         "with_system = coalesce(?, with_system) WHERE number = ?");
    st.bind(1, now);
    const std::optional<QString>* values[] = {&state.mood, &state.radio, &state.mode,
                                              &state.withSystem};
    int index = 2;
    for (const auto* value : values) {
        if (*value)
            st.bind(index, **value);
        ++index;
    }
    st.bind(6, qint64(number)).run();
}

void recordListening(Sql& db, int number, const QString& station)
{
    auto st = db.prepare(
        "UPDATE members SET radio = 'on', station = ?, station_key = ? WHERE number = ?");
    st.bind(1, station).bind(2, searchKey(station)).bind(3, qint64(number)).run();
}

void setSuspended(Sql& db, int number, bool suspended)
{
    auto st = db.prepare("UPDATE members SET suspended = ? WHERE number = ?");
    st.bind(1, qint64(suspended ? 1 : 0)).bind(2, qint64(number)).run();
}

void fillSearchKeys(Sql& db)
{
    struct Fields
    {
        qint64 number;
        QString firstName, surname, town, notes, station;
    };
    QList<Fields> rows;
    {
        auto st =
            db.prepare("SELECT number, first_name, surname, town, notes, station FROM members");
        while (st.step())
            rows.append(
                {st.integer(0), st.text(1), st.text(2), st.text(3), st.text(4), st.text(5)});
    }
    for (const Fields& f : rows) {
        db.prepare("UPDATE members SET first_name_key = ?, surname_key = ?, town_key = ?, "
                   "notes_key = ?, station_key = ? WHERE number = ?")
            .bind(1, searchKey(f.firstName))
            .bind(2, searchKey(f.surname))
            .bind(3, searchKey(f.town))
            .bind(4, searchKey(f.notes))
            .bind(5, searchKey(f.station))
            .bind(6, f.number)
            .run();
    }
}

int countOnline(Sql& db, qint64 since)
{
    auto st = db.prepare("SELECT count(*) FROM members WHERE suspended = 0 AND mood <> 'off' "
                         "AND (robot = 1 OR last_refresh > ?)");
    st.bind(1, since);
    return st.step() ? int(st.integer(0)) : 0;
}

} // namespace Members

QString nicknameKey(const QString& nickname)
{
    return nickname.trimmed().toCaseFolded();
}

QString searchKey(const QString& text)
{
    return text.toCaseFolded();
}

QString nicknameProblem(const QString& nickname)
{
    if (nickname.trimmed().isEmpty())
        return QStringLiteral("Zadejte prosím nick.");
    if (nickname != nickname.trimmed())
        return QStringLiteral("Nick nesmí začínat ani končit mezerou.");
    if (nickname.size() > 32)
        return QStringLiteral("Nick smí mít nejvýše 32 znaků.");
    // Login takes a text of digits as a number, and records are cut at "/@/".
    bool digitsOnly = true;
    for (const QChar c : nickname)
        digitsOnly = digitsOnly && c.isDigit();
    if (digitsOnly)
        return QStringLiteral("Nick nesmí být jen z číslic.");
    if (nickname.contains(QStringLiteral("/@/")))
        return QStringLiteral("Nick nesmí obsahovat \"/@/\".");
    return {};
}

std::optional<int> parseNumber(const QString& text)
{
    if (text.size() != 6)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int number = text.toInt();
    if (number < kFirstNumber)
        return std::nullopt;
    return number;
}

std::optional<int> ageOn(const QString& birthDate, const QDate& today)
{
    const QDate born = QDate::fromString(birthDate, Qt::ISODate);
    if (!born.isValid() || born > today)
        return std::nullopt;
    int years = today.year() - born.year();
    if (today.month() < born.month() || (today.month() == born.month() && today.day() < born.day()))
        --years;
    return years;
}

QString normalisedMood(const QString& mood)
{
    static const QStringList known = {QStringLiteral("(:)"), QStringLiteral(":))"),
                                      QStringLiteral(":)"),  QStringLiteral(":|"),
                                      QStringLiteral(":("),  QStringLiteral("off")};
    return known.contains(mood) ? mood : QStringLiteral(":)");
}

} // namespace zuv::server
