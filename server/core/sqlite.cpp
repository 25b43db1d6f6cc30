#include "sqlite.h"

#include <mutex>
#include <sqlite3.h>

namespace zuv::server {
namespace {

// The connections of this process write one after the other, waiting on a
// mutex that wakes the next writer at once. Left to the file lock, waiting
// writers would sleep in SQLite's busy handler for up to 100 ms a round, and
// as every refresh writes, that made the slow requests.
std::mutex& writeTurn()
{
    static std::mutex turn;
    return turn;
}

[[noreturn]] void fail(sqlite3* db, const char* what)
{
    throw SqlError(std::string(what) + ": " + (db ? sqlite3_errmsg(db) : "no database"));
}

class SqliteStatement final : public StatementCore
{
public:
    SqliteStatement(Sqlite& owner, sqlite3* db, sqlite3_stmt* stmt)
        : m_owner(owner), m_db(db), m_stmt(stmt), m_writes(!sqlite3_stmt_readonly(stmt))
    {}
    ~SqliteStatement() override { sqlite3_finalize(m_stmt); }

    void bind(int index, qint64 value) override
    {
        if (sqlite3_bind_int64(m_stmt, index, value) != SQLITE_OK)
            fail(m_db, "bind");
    }
    void bind(int index, const QString& value) override
    {
        const QByteArray utf8 = value.toUtf8();
        if (sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()),
                              SQLITE_TRANSIENT) != SQLITE_OK)
            fail(m_db, "bind");
    }
    void bindBlob(int index, const QByteArray& blob) override
    {
        if (sqlite3_bind_blob(m_stmt, index, blob.constData(), int(blob.size()),
                              SQLITE_TRANSIENT) != SQLITE_OK)
            fail(m_db, "bind");
    }
    bool step() override
    {
        // A write outside a transaction takes the turn for its own run.
        if (m_writes && !m_holdsTurn && !m_owner.holdsWriteTurn()) {
            m_owner.takeWriteTurn();
            m_holdsTurn = true;
        }
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        fail(m_db, "step");
    }
    qint64 integer(int column) const override { return sqlite3_column_int64(m_stmt, column); }
    QString text(int column) const override
    {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column));
    }
    QByteArrayView utf8(int column) const override
    {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QByteArrayView(data, sqlite3_column_bytes(m_stmt, column));
    }
    QByteArray blob(int column) const override
    {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_stmt, column));
        return QByteArray(data, sqlite3_column_bytes(m_stmt, column));
    }
    void finish() override
    {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        if (m_holdsTurn) {
            m_holdsTurn = false;
            m_owner.giveWriteTurnBack();
        }
    }

private:
    Sqlite& m_owner;
    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
    const bool m_writes;
    bool m_holdsTurn = false;
};

} // namespace

Sqlite::~Sqlite()
{
    // Statements are finalised before the connection can close.
    clearCache();
    if (m_holdsWriteTurn)
        writeTurn().unlock();
    sqlite3_close(m_db);
}

void Sqlite::open(const QString& path)
{
    const QByteArray name = path.toUtf8();
    if (sqlite3_open_v2(name.constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        fail(m_db, "open");
    // Writers take turns on the file; one waits for another's short
    // transaction instead of failing.
    sqlite3_busy_timeout(m_db, 10000);
}

void Sqlite::exec(const char* sql)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
    // A transaction that ended (committed or rolled back) gives the turn on.
    if (m_holdsWriteTurn && sqlite3_get_autocommit(m_db))
        giveWriteTurnBack();
    if (rc != SQLITE_OK) {
        const std::string text = message ? message : "exec";
        sqlite3_free(message);
        throw SqlError(text);
    }
}

void Sqlite::takeWriteTurn()
{
    writeTurn().lock();
    m_holdsWriteTurn = true;
}

void Sqlite::giveWriteTurnBack()
{
    m_holdsWriteTurn = false;
    writeTurn().unlock();
}

Statement Sqlite::prepare(const char* sql)
{
    return cached(sql, [&]() -> std::unique_ptr<StatementCore> {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr) !=
            SQLITE_OK)
            fail(m_db, "prepare");
        return std::make_unique<SqliteStatement>(*this, m_db, stmt);
    });
}

Statement Sqlite::prepareBuilt(const QByteArray& sql)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &stmt, nullptr) != SQLITE_OK)
        fail(m_db, "prepare");
    return Statement(new SqliteStatement(*this, m_db, stmt), true);
}

int Sqlite::changes() const
{
    return sqlite3_changes(m_db);
}

void Sqlite::begin()
{
    if (!m_holdsWriteTurn)
        takeWriteTurn();
    exec("BEGIN IMMEDIATE");
}

} // namespace zuv::server
