// The user search called directly with a fixed clock, so ages and the on-line
// state are known to the day and the millisecond.
#include <QDateTime>
#include <QTemporaryDir>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <server/core/catalog.h>
#include <server/core/database.h>
#include <server/core/members.h>
#include <server/core/requests.h>
#include <server/core/search.h>
#include <server/core/seed.h>
#include <server/core/sqlite.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv::server;

namespace {

qint64 noonOn(const QDate& day)
{
    return QDateTime(day, QTime(12, 0)).toMSecsSinceEpoch();
}

QStringList search(Database& db, QHash<QString, QString> keys, qint64 now)
{
    keys.insert(u"idh"_s, u"100001"_s);
    keys.insert(u"h"_s, u"demo"_s);
    const ServerConfig config{0, {1000, 30000, 200}};
    const Context ctx{config, u"http://zuv.test"_s, now, nullptr, {}};
    const Reply reply = handleRequest(db, u"/zuv/search.php"_s, Query::fromText(keys), ctx);
    EXPECT_EQ(reply.status, 200);
    EXPECT_FALSE(reply.body.contains("$y$")) << "a password hash in the reply";
    QString text = zuv::CodePage::decode(reply.body);
    text.chop(2);
    return text.split(u"\r\n"_s);
}

// The numbers of the "add//" records, in their order.
QStringList numbers(const QStringList& lines)
{
    QStringList out;
    for (const QString& line : lines) {
        if (line.startsWith(u"add//"_s))
            out.append(line.mid(5).section(u"/@/"_s, 0, 0));
    }
    return out;
}

// The demo members (robot 100000, demo 100001 in Praha, Eva 100002 in Brno)
// and three more: Šárka, Řehoř who filled in nothing but his nickname, and
// a suspended member who matches much of what Šárka does.
class ServerSearchTest : public ::testing::Test
{
protected:
    ServerSearchTest()
    {
        auto session = db.session();
        Sql& sql = session.sql();
        seedDemo(sql);
        Members::create(sql,
                        {u"Šárka"_s, u"Šárka"_s, u"Čermáková"_s, u"z"_s, u"2000-02-29"_s,
                         u"Ústí nad Labem"_s, u"Miluji ŽLUŤOUČKÉHO koně."_s},
                        u"s"_s);
        Members::create(sql, {u"řehoř"_s, {}, {}, u"m"_s, {}, {}, {}}, u"r"_s);
        const int hidden = *Members::create(sql,
                                            {u"Skrytá"_s,
                                             u"Šárka"_s,
                                             u"Čermáková"_s,
                                             u"z"_s,
                                             u"2000-01-01"_s,
                                             u"Ústí nad Labem"_s,
                                             {}},
                                            u"x"_s);
        Members::setSuspended(sql, hidden, true);
        // Eva on line with her radio on, Šárka off line with a station she
        // reported earlier.
        Members::recordRefresh(sql, 100002, {u":))"_s, u"on"_s, {}, {}}, now);
        Members::recordListening(sql, 100002, u"abc123"_s);
        Members::recordListening(sql, 100003, u"AbC123"_s);
        Members::recordListening(sql, hidden, u"abc123"_s);
    }

    QTemporaryDir dir;
    Database db{dir.path() + u"/zuv.db"_s};
    const qint64 now = noonOn(QDate(2024, 2, 28));
};

TEST_F(ServerSearchTest, EachKeyNarrowsTheResult)
{
    const struct
    {
        QHash<QString, QString> keys;
        QStringList found;
    } cases[] = {
        {{}, {u"100000"_s, u"100001"_s, u"100002"_s, u"100003"_s, u"100004"_s}},
        {{{u"mesto"_s, u"  "_s}, {u"nick"_s, u""_s}},
         {u"100000"_s, u"100001"_s, u"100002"_s, u"100003"_s, u"100004"_s}},
        // Czech letters in either case, in every text field.
        {{{u"nick"_s, u"šárka"_s}}, {u"100003"_s}},
        {{{u"nick"_s, u"ŘEHOŘ"_s}}, {u"100004"_s}},
        {{{u"jmeno"_s, u"ŠÁR"_s}}, {u"100003"_s}},
        {{{u"prijmeni"_s, u"čermák"_s}}, {u"100003"_s}},
        {{{u"mesto"_s, u" ÚSTÍ "_s}}, {u"100003"_s}},
        {{{u"poznamky"_s, u"žluťoučkého"_s}}, {u"100003"_s}},
        // Řehoř and the robot have no town: a town search never lists them.
        {{{u"mesto"_s, u"a"_s}}, {u"100001"_s, u"100003"_s}},
        {{{u"zm"_s, u"z"_s}}, {u"100002"_s, u"100003"_s}},
        {{{u"zm"_s, u"m"_s}}, {u"100001"_s, u"100004"_s}},
        {{{u"id"_s, u"100004"_s}}, {u"100004"_s}},
        {{{u"id"_s, u"100005"_s}}, {}},
        {{{u"id"_s, u"10000x"_s}}, {}},
        {{{u"line"_s, u"online"_s}}, {u"100000"_s, u"100002"_s}},
        {{{u"radiostav"_s, u"on"_s}}, {u"100002"_s}},
        {{{u"radio"_s, u"ABC123"_s}}, {u"100002"_s, u"100003"_s}},
        {{{u"radio"_s, u"abc12"_s}}, {}},
        // Ages on 28 February 2024: demo 33, Eva 28, Šárka 23 (her
        // birthday is the 29th); Řehoř and the robot have none.
        {{{u"agefrom"_s, u"20"_s}, {u"ageto"_s, u"30"_s}}, {u"100002"_s, u"100003"_s}},
        {{{u"agefrom"_s, u"30"_s}}, {u"100001"_s}},
        {{{u"ageto"_s, u"23"_s}}, {u"100003"_s}},
        {{{u"agefrom"_s, u"24"_s}, {u"ageto"_s, u"28"_s}}, {u"100002"_s}},
        {{{u"agefrom"_s, u"x"_s}}, {u"100001"_s, u"100002"_s, u"100003"_s}},
        {{{u"agefrom"_s, u"30"_s}, {u"ageto"_s, u"20"_s}}, {}},
        // Keys together.
        {{{u"zm"_s, u"z"_s}, {u"mesto"_s, u"brno"_s}, {u"line"_s, u"online"_s}}, {u"100002"_s}},
        {{{u"nick"_s, u"a"_s}, {u"zm"_s, u"z"_s}, {u"agefrom"_s, u"0"_s}, {u"ageto"_s, u"100"_s}},
         {u"100002"_s, u"100003"_s}},
        {{{u"radio"_s, u"abc123"_s}, {u"line"_s, u"online"_s}}, {u"100002"_s}},
        {{{u"id"_s, u"100003"_s}, {u"zm"_s, u"m"_s}}, {}},
    };
    for (const auto& c : cases) {
        QStringList keys;
        for (auto it = c.keys.begin(); it != c.keys.end(); ++it)
            keys.append(it.key() + u'=' + it.value());
        const QStringList lines = search(db, c.keys, now);
        EXPECT_EQ(numbers(lines), c.found) << keys.join(u'&');
        EXPECT_EQ(lines.value(0), u"num//"_s + QString::number(c.found.size())) << keys.join(u'&');
    }
}

TEST_F(ServerSearchTest, StationListenersComeWithTheStationAsked)
{
    const QStringList lines = search(db, {{u"radio"_s, u" ABC123 "_s}}, now);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1], u"svs//ABC123"_s);
    // Only the one on line with the player running shows a station.
    EXPECT_EQ(lines[2], u"add//100002/@/:))/@/Eva/@/Eva/@/Nováková/@/28/@/ano/@/online/@/abc123/@/"
                        u"Žena/@//@/Brno"_s);
    EXPECT_EQ(lines[3], u"add//100003/@/off/@/Šárka/@/Šárka/@/Čermáková/@/23/@/ne/@/offline/@//@/"
                        u"Žena/@//@/Ústí nad Labem"_s);
}

TEST_F(ServerSearchTest, CountCoversTheWholeResultAndPagesFollowTheNumbers)
{
    const QStringList lines = search(db, {{u"od"_s, u"3"_s}}, now);
    EXPECT_EQ(lines.value(0), u"num//5"_s);
    EXPECT_EQ(numbers(lines), QStringList({u"100003"_s, u"100004"_s}));
    EXPECT_FALSE(lines.last().startsWith(u"next//"_s));
    EXPECT_EQ(search(db, {{u"od"_s, u"9"_s}}, now), QStringList({u"num//5"_s, u"svs//"_s}));
}

// Whatever the day, an age search lists exactly those whose age that day
// (ageOn) is in the range: around birthdays, 29 February and New Year.
TEST_F(ServerSearchTest, AgeSearchAgreesWithTheAgeShownOnEveryDay)
{
    const QList<QPair<QString, QString>> born = {{u"100001"_s, u"1990-05-17"_s},
                                                 {u"100002"_s, u"1995-11-02"_s},
                                                 {u"100003"_s, u"2000-02-29"_s}};
    const QDate days[] = {{2023, 2, 28},  {2023, 3, 1},  {2024, 2, 28}, {2024, 2, 29},
                          {2024, 5, 16},  {2024, 5, 17}, {2024, 11, 1}, {2024, 11, 2},
                          {2024, 12, 31}, {2025, 1, 1}};
    for (const QDate& day : days) {
        for (const auto& [number, birth] : born) {
            const int age = *ageOn(birth, day);
            const QString at = day.toString(Qt::ISODate) + u' ' + number;
            const auto found = [&](int from, int to) {
                return numbers(search(db,
                                      {{u"agefrom"_s, QString::number(from)},
                                       {u"ageto"_s, QString::number(to)}},
                                      noonOn(day)))
                    .contains(number);
            };
            EXPECT_TRUE(found(age, age)) << at;
            EXPECT_FALSE(found(age + 1, age + 50)) << at;
            EXPECT_FALSE(found(0, age - 1)) << at;
        }
    }
}

TEST_F(ServerSearchTest, ChangesOfProfileAndStationAreSearchableAtOnce)
{
    {
        auto session = db.session();
        Members::updateProfile(session.sql(), 100004,
                               {u"řehoř"_s, u"Řehoř"_s, u"Dvořák"_s, u"m"_s, u"1980-01-01"_s,
                                u"Plzeň"_s, u"Hraju na VIOLONČELO."_s});
        Members::recordListening(session.sql(), 100002, u"Jiná"_s);
    }
    const std::pair<QHash<QString, QString>, QStringList> cases[] = {
        {{{u"mesto"_s, u"PLZEŇ"_s}}, {u"100004"_s}},
        {{{u"jmeno"_s, u"řehoř"_s}}, {u"100004"_s}},
        {{{u"prijmeni"_s, u"DVOŘÁK"_s}}, {u"100004"_s}},
        {{{u"poznamky"_s, u"violončelo"_s}}, {u"100004"_s}},
        {{{u"agefrom"_s, u"44"_s}, {u"ageto"_s, u"44"_s}}, {u"100004"_s}},
        {{{u"radio"_s, u"JINÁ"_s}}, {u"100002"_s}},
        {{{u"radio"_s, u"abc123"_s}}, {u"100003"_s}},
    };
    for (const auto& [keys, found] : cases)
        EXPECT_EQ(numbers(search(db, keys, now)), found) << keys.begin().value();
}

// A file as the server kept it before the search keys: members and their
// fields as they were, searchable once opened.
TEST(ServerMigrationTest, VersionOneFileKeepsItsMembersAndBecomesSearchable)
{
    QTemporaryDir dir;
    const QString path = dir.path() + u"/zuv.db"_s;
    {
        Sqlite old;
        old.open(path);
        old.exec(R"sql(
CREATE TABLE members(
    number       INTEGER PRIMARY KEY CHECK (number BETWEEN 100000 AND 999999),
    nickname     TEXT NOT NULL,
    nick_key     TEXT NOT NULL UNIQUE,
    salt         BLOB NOT NULL,
    hash         BLOB NOT NULL,
    first_name   TEXT NOT NULL DEFAULT '',
    surname      TEXT NOT NULL DEFAULT '',
    sex          TEXT NOT NULL DEFAULT '',
    birth_date   TEXT NOT NULL DEFAULT '',
    town         TEXT NOT NULL DEFAULT '',
    notes        TEXT NOT NULL DEFAULT '',
    away_text    TEXT NOT NULL DEFAULT '',
    mood         TEXT NOT NULL DEFAULT ':)',
    radio        TEXT NOT NULL DEFAULT 'off',
    station      TEXT NOT NULL DEFAULT '',
    mode         TEXT NOT NULL DEFAULT '',
    with_system  TEXT NOT NULL DEFAULT '',
    suspended    INTEGER NOT NULL DEFAULT 0,
    robot        INTEGER NOT NULL DEFAULT 0,
    last_refresh INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX members_refresh ON members(last_refresh);
PRAGMA user_version = 1;
)sql");
        const PasswordHash hash = hashPassword(u"demo"_s);
        old.prepare("INSERT INTO members(number, nickname, nick_key, salt, hash) "
                    "VALUES(100001, 'demo', 'demo', ?, ?)")
            .bind(1, hash.salt)
            .bind(2, hash.hash)
            .run();
        old.prepare("INSERT INTO members(number, nickname, nick_key, salt, hash, first_name, "
                    "surname, sex, birth_date, town, notes, station) VALUES(100002, 'Šárka', "
                    "'šárka', '', '', 'Šárka', 'Čermáková', 'z', '2000-02-29', 'Ústí nad Labem', "
                    "'Ráda ČTU.', 'Abc123')")
            .run();
    }
    for (int open = 0; open < 2; ++open) {
        Database db(path);
        {
            auto session = db.session();
            auto version = session.sql().prepare("PRAGMA user_version");
            ASSERT_TRUE(version.step());
            EXPECT_EQ(version.integer(0), 3);
            // The catalog tables came too, empty.
            EXPECT_EQ(Catalog::render(session.sql(), u"http://zuv.test"_s), "<end>\r\n");
            const auto sarka = Members::byNumber(session.sql(), 100002);
            ASSERT_TRUE(sarka);
            EXPECT_EQ(sarka->profile.town, u"Ústí nad Labem"_s);
            EXPECT_EQ(sarka->station, u"Abc123"_s);
        }
        const qint64 now = noonOn(QDate(2024, 3, 1));
        const QHash<QString, QString> keys[] = {
            {{u"nick"_s, u"ŠÁR"_s}},      {{u"jmeno"_s, u"šárka"_s}},
            {{u"prijmeni"_s, u"ČERM"_s}}, {{u"mesto"_s, u"ústí"_s}},
            {{u"poznamky"_s, u"čtu"_s}},  {{u"radio"_s, u"ABC123"_s}},
            {{u"zm"_s, u"z"_s}},          {{u"agefrom"_s, u"24"_s}, {u"ageto"_s, u"24"_s}},
        };
        for (const auto& k : keys)
            EXPECT_EQ(numbers(search(db, k, now)), QStringList{u"100002"_s}) << k.begin().value();
    }
}

} // namespace
