#include "database.h"

#include "members.h"
#include "postgres.h"
#include "sqlite.h"

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

// The same tables for PostgreSQL, at the current version: integers are
// 64 bits, blobs bytea, and the message ids an identity column.
constexpr const char* kPostgresSchema = R"sql(
CREATE TABLE IF NOT EXISTS members(
    number       BIGINT PRIMARY KEY CHECK (number BETWEEN 100000 AND 999999),
    nickname     TEXT NOT NULL,
    nick_key     TEXT NOT NULL UNIQUE,
    salt         BYTEA NOT NULL,
    hash         BYTEA NOT NULL,
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
    suspended    BIGINT NOT NULL DEFAULT 0,
    robot        BIGINT NOT NULL DEFAULT 0,
    last_refresh BIGINT NOT NULL DEFAULT 0,
    first_name_key TEXT NOT NULL DEFAULT '',
    surname_key  TEXT NOT NULL DEFAULT '',
    town_key     TEXT NOT NULL DEFAULT '',
    notes_key    TEXT NOT NULL DEFAULT '',
    station_key  TEXT NOT NULL DEFAULT ''
);
CREATE INDEX IF NOT EXISTS members_refresh ON members(last_refresh);
CREATE TABLE IF NOT EXISTS contacts(
    owner   BIGINT NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    contact BIGINT NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    PRIMARY KEY (owner, contact)
);
CREATE TABLE IF NOT EXISTS messages(
    id        BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,
    sender    BIGINT NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    recipient BIGINT NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    sent      BIGINT NOT NULL,
    text      TEXT NOT NULL,
    delivered BIGINT -- NULL while queued
);
CREATE INDEX IF NOT EXISTS messages_queue ON messages(recipient, delivered, id);
CREATE INDEX IF NOT EXISTS messages_sender ON messages(sender, id);
CREATE INDEX IF NOT EXISTS messages_recipient ON messages(recipient, id);
CREATE TABLE IF NOT EXISTS notes(
    owner   BIGINT NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    contact BIGINT NOT NULL REFERENCES members(number) ON DELETE CASCADE,
    text    TEXT NOT NULL,
    PRIMARY KEY (owner, contact)
);
CREATE INDEX IF NOT EXISTS search_nick ON members(nick_key) WHERE suspended = 0;
CREATE INDEX IF NOT EXISTS search_birth ON members(birth_date, sex) WHERE suspended = 0;
CREATE INDEX IF NOT EXISTS search_sex ON members(sex) WHERE suspended = 0;
CREATE INDEX IF NOT EXISTS members_robot ON members(robot) WHERE robot = 1;
CREATE TABLE IF NOT EXISTS catalog_categories(
    position BIGINT PRIMARY KEY,
    code     TEXT NOT NULL UNIQUE,
    name     TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS catalog_stations(
    position    BIGINT PRIMARY KEY,
    id          TEXT NOT NULL,
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
-- SQLite's COLLATE NOCASE on the id.
CREATE UNIQUE INDEX IF NOT EXISTS catalog_station_id ON catalog_stations(lower(id));
CREATE TABLE IF NOT EXISTS catalog_panels(
    position BIGINT PRIMARY KEY,
    kind     TEXT NOT NULL CHECK (kind IN ('r', 'i')),
    command  TEXT NOT NULL
);
CREATE TABLE IF NOT EXISTS catalog_meta(
    one        BIGINT PRIMARY KEY CHECK (one = 1),
    generation BIGINT NOT NULL,
    origin     TEXT NOT NULL
);
INSERT INTO catalog_meta(one, generation, origin) VALUES(1, 0, '') ON CONFLICT DO NOTHING;
CREATE TABLE IF NOT EXISTS schema_version(
    one     BIGINT PRIMARY KEY CHECK (one = 1),
    version BIGINT NOT NULL
);
)sql";

constexpr int kVersion = 3;

// A newer zuvd may have changed the tables in ways this one does not know.
void refuseNewer(int version)
{
    if (version > kVersion)
        throw SqlError("the database is of a newer zuvd (version " + std::to_string(version) + ")");
}

// Brings a new file, or one of an older version, to the current version.
void upgradeSqlite(Sqlite& db)
{
    db.exec(kSchema);
    auto version = [&] {
        auto st = db.prepare("PRAGMA user_version");
        return st.step() ? int(st.integer(0)) : 0;
    }();
    refuseNewer(version);
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

// The same for PostgreSQL, where the version is a row of schema_version.
// Later versions add their steps after the current one, as for SQLite.
void upgradePostgres(Postgres& db)
{
    db.exec(kPostgresSchema);
    int version = 0;
    {
        auto st = db.prepare("SELECT version FROM schema_version");
        if (st.step())
            version = int(st.integer(0));
    }
    refuseNewer(version);
    if (version < kVersion) {
        db.prepare("INSERT INTO schema_version(one, version) VALUES(1, ?) "
                   "ON CONFLICT(one) DO UPDATE SET version = excluded.version")
            .bind(1, qint64(kVersion))
            .run();
    }
}

} // namespace

bool Database::isPostgresAddress(const QString& location)
{
    return location.startsWith(QLatin1StringView("postgresql://")) ||
           location.startsWith(QLatin1StringView("postgres://"));
}

std::ptrdiff_t Database::runningLimit(bool postgres)
{
    const std::ptrdiff_t cores = std::max(1u, std::thread::hardware_concurrency());
    return postgres ? std::max<std::ptrdiff_t>(8, 4 * cores)
                    : std::max<std::ptrdiff_t>(4, 2 * cores);
}

Database::Database(const QString& location)
    : m_location(location), m_postgres(isPostgresAddress(location)),
      m_running(runningLimit(m_postgres))
{
    std::unique_ptr<Sql> first = connect();
    if (m_postgres) {
        auto& pg = static_cast<Postgres&>(*first);
        Transaction tx(pg);
        // Several servers may start at once on one database; they upgrade
        // it one after another.
        pg.exec("SELECT pg_advisory_xact_lock(7263110)");
        upgradePostgres(pg);
        tx.commit();
    } else {
        auto& lite = static_cast<Sqlite&>(*first);
        // WAL lets readers go on while one connection writes; NORMAL sync
        // can lose the last commit on power loss, never on a crash of zuvd.
        lite.exec("PRAGMA journal_mode = WAL");
        Transaction tx(lite);
        upgradeSqlite(lite);
        tx.commit();
        m_checkpointer = std::thread([this] { checkpointLoop(); });
    }
    m_idle.push_back(std::move(first));
}

Database::~Database()
{
    {
        std::lock_guard lock(m_checkpointMutex);
        m_stopping = true;
    }
    m_checkpointWake.notify_all();
    if (m_checkpointer.joinable())
        m_checkpointer.join();
}

void Database::checkpointLoop()
{
    Sqlite lite;
    try {
        lite.open(m_location);
    } catch (const SqlError&) {
        return;
    }
    std::unique_lock lock(m_checkpointMutex);
    while (!m_checkpointWake.wait_for(lock, std::chrono::milliseconds(500),
                                      [this] { return m_stopping; })) {
        lock.unlock();
        try {
            // PASSIVE: copies what no reader still needs, never waits for
            // a reader or a writer.
            lite.exec("PRAGMA wal_checkpoint(PASSIVE)");
        } catch (const SqlError&) {
            // Tried again on the next round.
        }
        lock.lock();
    }
}

std::unique_ptr<Sql> Database::connect()
{
    if (m_postgres) {
        auto pg = std::make_unique<Postgres>();
        pg->open(m_location);
        return pg;
    }
    auto lite = std::make_unique<Sqlite>();
    lite->open(m_location);
    lite->exec("PRAGMA synchronous = NORMAL");
    // The checkpoint thread copies the WAL; a committing request never does.
    lite->exec("PRAGMA wal_autocheckpoint = 0");
    lite->exec("PRAGMA foreign_keys = ON");
    return lite;
}

std::unique_ptr<Sql> Database::acquire()
{
    {
        std::lock_guard lock(m_mutex);
        while (!m_idle.empty()) {
            std::unique_ptr<Sql> conn = std::move(m_idle.back());
            m_idle.pop_back();
            if (!m_postgres || static_cast<Postgres&>(*conn).usable())
                return conn;
        }
    }
    return connect();
}

void Database::release(std::unique_ptr<Sql> conn)
{
    std::lock_guard lock(m_mutex);
    if (m_idle.size() < kIdleConnections)
        m_idle.push_back(std::move(conn));
}

} // namespace zuv::server
