#include "database.h"

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
PRAGMA user_version = 1;
)sql";

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
        m_sql.exec(kSchema);
        m_sql.exec("COMMIT");
    } catch (const SqlError&) {
        m_sql.exec("ROLLBACK");
        throw;
    }
}

} // namespace zuv::server
