#include "database.h"

#include "members.h"

namespace zuv::server {
namespace {

// Times are milliseconds since the epoch; a last refresh of 0 means "never".
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS members(
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
CREATE INDEX IF NOT EXISTS members_refresh ON members(last_refresh);
CREATE TABLE IF NOT EXISTS contacts(
    owner   INTEGER NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    contact INTEGER NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    PRIMARY KEY (owner, contact)
) WITHOUT ROWID;
CREATE TABLE IF NOT EXISTS messages(
    id        INTEGER PRIMARY KEY,
    sender    INTEGER NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    recipient INTEGER NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    sent      INTEGER NOT NULL,
    text      TEXT NOT NULL,
    delivered INTEGER -- NULL while queued
);
CREATE INDEX IF NOT EXISTS messages_queue ON messages(recipient, delivered, id);
CREATE INDEX IF NOT EXISTS messages_sender ON messages(sender, id);
CREATE TABLE IF NOT EXISTS notes(
    owner   INTEGER NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    contact INTEGER NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    text    TEXT NOT NULL,
    PRIMARY KEY (owner, contact)
) WITHOUT ROWID;
)sql";

// Version 2: the fields a search looks into, folded (searchKey()), and the
// indexes a search goes by. A search never lists a suspended member, so its
// indexes leave them out; a scan for a text in one field then reads one
// narrow index instead of every whole row.
constexpr const char* kSearchColumns = R"sql(
ALTER TABLE members ADD COLUMN first_name_key TEXT NOT NULL DEFAULT '';
ALTER TABLE members ADD COLUMN surname_key TEXT NOT NULL DEFAULT '';
ALTER TABLE members ADD COLUMN town_key TEXT NOT NULL DEFAULT '';
ALTER TABLE members ADD COLUMN notes_key TEXT NOT NULL DEFAULT '';
ALTER TABLE members ADD COLUMN station_key TEXT NOT NULL DEFAULT '';
)sql";
constexpr const char* kSearchIndexes = R"sql(
CREATE INDEX IF NOT EXISTS search_nick ON members(nick_key) WHERE suspended = 0;
CREATE INDEX IF NOT EXISTS search_first_name ON members(first_name_key) WHERE suspended = 0;
CREATE INDEX IF NOT EXISTS search_surname ON members(surname_key) WHERE suspended = 0;
CREATE INDEX IF NOT EXISTS search_town ON members(town_key) WHERE suspended = 0;
CREATE INDEX IF NOT EXISTS search_notes ON members(notes_key) WHERE suspended = 0;
CREATE INDEX IF NOT EXISTS search_station ON members(station_key) WHERE suspended = 0;
CREATE INDEX IF NOT EXISTS search_birth ON members(birth_date, sex) WHERE suspended = 0;
CREATE INDEX IF NOT EXISTS search_sex ON members(sex) WHERE suspended = 0;
CREATE INDEX IF NOT EXISTS members_robot ON members(robot) WHERE robot = 1;
)sql";

// Version 3: the station catalog (catalog.h). Positions keep the order the
// browser lists things in; the one row of catalog_meta counts the changes of
// the catalog, so a server tells that another process has imported a new one.
constexpr const char* kCatalogTables = R"sql(
CREATE TABLE IF NOT EXISTS catalog_categories(
    position INTEGER PRIMARY KEY,
    code     TEXT NOT NULL UNIQUE,
    name     TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS catalog_stations(
    position    INTEGER PRIMARY KEY,
    id          TEXT NOT NULL UNIQUE COLLATE NOCASE,
    name        TEXT NOT NULL,
    mark        TEXT NOT NULL,
    unused      TEXT NOT NULL,
    country     TEXT NOT NULL,
    category    TEXT NOT NULL,
    url1        TEXT NOT NULL,
    url2        TEXT NOT NULL,
    url3        TEXT NOT NULL,
    url4        TEXT NOT NULL,
    url5        TEXT NOT NULL,
    rate1       TEXT NOT NULL,
    rate2       TEXT NOT NULL,
    rate3       TEXT NOT NULL,
    rate4       TEXT NOT NULL,
    rate5       TEXT NOT NULL,
    web         TEXT NOT NULL,
    description TEXT NOT NULL,
    tail        TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS catalog_panels(
    position INTEGER PRIMARY KEY,
    kind     TEXT NOT NULL CHECK (kind IN ('r', 'i')),
    command  TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS catalog_meta(
    one        INTEGER PRIMARY KEY CHECK (one = 1),
    generation INTEGER NOT NULL,
    origin     TEXT NOT NULL
);
INSERT OR IGNORE INTO catalog_meta(one, generation, origin) VALUES(1, 0, '');
)sql";

int userVersion(Sqlite& db)
{
    auto st = db.prepare("PRAGMA user_version");
    return st.step() ? int(st.integer(0)) : 0;
}

// Brings a new file, or one of an older version, to the current version.
void upgrade(Sqlite& db)
{
    db.exec(kSchema);
    const int version = userVersion(db);
    if (version < 2) {
        db.exec(kSearchColumns);
        Members::fillSearchKeys(db);
        db.exec(kSearchIndexes);
        db.exec("PRAGMA user_version = 2");
    }
    if (version < 3) {
        db.exec(kCatalogTables);
        db.exec("PRAGMA user_version = 3");
    }
}

} // namespace

Database::Database(const QString& path)
{
    m_sql.open(path);
    // WAL keeps a refresh from waiting on the disk for every reader; NORMAL
    // sync can lose the last commit on power loss, never the file.
    m_sql.exec("PRAGMA journal_mode = WAL");
    m_sql.exec("PRAGMA synchronous = NORMAL");
    m_sql.exec("PRAGMA foreign_keys = ON");
    m_sql.exec("BEGIN IMMEDIATE");
    try {
        upgrade(m_sql);
        m_sql.exec("COMMIT");
    } catch (const SqlError&) {
        m_sql.exec("ROLLBACK");
        throw;
    }
}

} // namespace zuv::server
