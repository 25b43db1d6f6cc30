#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <map>
#include <stdexcept>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace zuv::server {

// Any failure of the database; a request that meets one is answered with an
// error and the transaction it ran in is rolled back.
class SqlError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One use of a prepared statement. Values are always bound, never spliced
// into SQL. Ending the use resets the statement, so no finished query keeps a
// read transaction open on the connection.
class Statement
{
public:
    Statement(Statement&& other) noexcept;
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    Statement& bind(int index, qint64 value);
    Statement& bind(int index, const QString& value);
    Statement& bind(int index, const QByteArray& blob);

    // Advances to the next row; false when there is none.
    bool step();
    // Runs a statement that returns no rows.
    void run();

    qint64 integer(int column) const;
    QString text(int column) const;
    // The column's text as SQLite holds it, UTF-8; valid until the next step.
    QByteArrayView utf8(int column) const;
    QByteArray blob(int column) const;

private:
    friend class Sqlite;
    Statement(sqlite3* db, sqlite3_stmt* stmt, bool owned = false)
        : m_db(db), m_stmt(stmt), m_owned(owned)
    {}

    sqlite3* m_db;
    sqlite3_stmt* m_stmt;
    bool m_owned; // finalised at the end of its use instead of kept
};

// One connection. Statements are prepared once and kept, since every request
// runs the same few queries.
class Sqlite
{
public:
    Sqlite() = default;
    ~Sqlite();
    Sqlite(const Sqlite&) = delete;
    Sqlite& operator=(const Sqlite&) = delete;

    void open(const QString& path);
    void exec(const char* sql);
    // `sql` must be a string literal: the cache is keyed by its address.
    // One statement serves one use at a time.
    Statement prepare(const char* sql);
    // For SQL put together at run time from fixed parts (the values still
    // bound): prepared anew and finalised when its use ends.
    Statement prepareBuilt(const QByteArray& sql);
    qint64 lastInsertId() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;

private:
    sqlite3* m_db = nullptr;
    std::map<const char*, sqlite3_stmt*> m_cache;
};

// Commits when commit() is called, rolls back otherwise.
class Transaction
{
public:
    explicit Transaction(Sqlite& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Sqlite& m_db;
    bool m_open = true;
};

} // namespace zuv::server
