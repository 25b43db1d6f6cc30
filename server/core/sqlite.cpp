#include "sqlite.h"

#include <sqlite3.h>

namespace zuv::server {
namespace {

[[noreturn]] void fail(sqlite3* db, const char* what)
{
    throw SqlError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "no database"));
}

} // namespace

Statement::Statement(Statement&& other) noexcept
    : m_db(other.m_db), m_stmt(other.m_stmt), m_owned(other.m_owned)
{
    other.m_stmt = nullptr;
}

Statement::~Statement()
{
    if (m_stmt && m_owned) {
        sqlite3_finalize(m_stmt);
    } else if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

Statement& Statement::bind(int index, qint64 value)
{
    if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
        fail(m_db, "bind");
    return *this;
}

Statement& Statement::bind(int index, const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    if (sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        fail(m_db, "bind");
    return *this;
}

Statement& Statement::bind(int index, const QByteArray& blob)
{
    if (sqlite3_bind_blob(m_stmt, index, blob.constData(), int(blob.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        fail(m_db, "bind");
    return *this;
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(m_db, "step");
}

void Statement::run()
{
    while (step()) {
    }
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

QString Statement::text(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
}

QByteArrayView Statement::utf8(int column) const
{
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return QByteArrayView(data, sqlite3_column_bytes(m_stmt, column));
}

QByteArray Statement::blob(int column) const
{
    const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
    return QByteArray(data, sqlite3_column_bytes(m_stmt, column));
}

Sqlite::~Sqlite()
{
    for (const auto& [sql, stmt] : m_cache)
        sqlite3_finalize(stmt);
    sqlite3_close(m_db);
}

void Sqlite::open(const QString& path)
{
    const QByteArray name = path.toUtf8();
    if (sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        fail(m_db, "open");
    sqlite3_busy_timeout(m_db, 5000);
}

void Sqlite::exec(const char* sql)
{
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "exec";
        sqlite3_free(message);
        throw SqlError(text);
    }
}

Statement Sqlite::prepare(const char* sql)
{
    auto it = m_cache.find(sql);
    if (it == m_cache.end()) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
            SQLITE_OK)
            fail(m_db, "prepare");
        it = m_cache.emplace(sql, stmt).first;
    } else if (sqlite3_stmt_busy(it->second)) {
        throw SqlError(std::string("statement already in use: ") + sql);
    }
    return Statement(m_db, it->second);
}

Statement Sqlite::prepareBuilt(const QByteArray& sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        fail(m_db, "prepare");
    return Statement(m_db, stmt, true);
}

qint64 Sqlite::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

int Sqlite::changes() const
{
    return sqlite3_changes(m_db);
}

Transaction::Transaction(Sqlite& db) : m_db(db)
{
    m_db.exec("BEGIN IMMEDIATE");
}

Transaction::~Transaction()
{
    if (m_open) {
        try {
            m_db.exec("ROLLBACK");
        } catch (const SqlError&) {
            // The connection is closing or already rolled back by SQLite itself.
        }
    }
}

void Transaction::commit()
{
    m_db.exec("COMMIT");
    m_open = false;
}

} // namespace zuv::server
