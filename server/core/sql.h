#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace zuv::server {

// Any failure of the database; a request that meets one is answered with an
// error and the transaction it ran in is rolled back.
class SqlError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Where the two storages' SQL differs, the few places that build SQL ask.
enum class Dialect
{
    Sqlite,
    Postgres,
};

// What a storage does with one prepared statement.
class StatementCore
{
public:
    virtual ~StatementCore() = default;
    virtual void bind(int index, qint64 value) = 0;
    virtual void bind(int index, const QString& value) = 0;
    virtual void bindBlob(int index, const QByteArray& blob) = 0;
    virtual bool step() = 0;
    virtual qint64 integer(int column) const = 0;
    virtual QString text(int column) const = 0;
    virtual QByteArrayView utf8(int column) const = 0;
    virtual QByteArray blob(int column) const = 0;
    // Ends a use: drops the rows and the bound values.
    virtual void finish() = 0;
    bool busy = false;
};

// One use of a prepared statement. Values are always bound, never spliced
// into SQL. Ending the use resets the statement, so no finished query keeps a
// read transaction open on the connection. Placeholders are written "?" or
// "?N", the same for both storages.
class Statement
{
public:
    Statement(StatementCore* core, bool owned);
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

    qint64 integer(int column) const { return m_core->integer(column); }
    QString text(int column) const { return m_core->text(column); }
    // The column's text as UTF-8; valid until the next step.
    QByteArrayView utf8(int column) const { return m_core->utf8(column); }
    QByteArray blob(int column) const { return m_core->blob(column); }

private:
    StatementCore* m_core;
    bool m_owned; // deleted at the end of its use instead of kept
};

// One connection to the storage, used by one request at a time.
class Sql
{
public:
    virtual ~Sql() = default;
    virtual Dialect dialect() const = 0;
    // Runs fixed SQL, possibly several statements, without values.
    virtual void exec(const char* sql) = 0;
    // `sql` must be a string literal: the cache is keyed by its address.
    // One statement serves one use at a time.
    virtual Statement prepare(const char* sql) = 0;
    // For SQL put together at run time from fixed parts (the values still
    // bound): prepared anew and dropped when its use ends.
    virtual Statement prepareBuilt(const QByteArray& sql) = 0;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    virtual int changes() const = 0;
    // A transaction that writes: SQLite takes its write lock at once, so
    // two of them never deadlock on upgrading a read lock.
    virtual void begin() = 0;

protected:
    // prepare() of a storage: the statement kept for `sql`, made by `make`
    // the first time.
    template <typename Make> Statement cached(const char* sql, Make make)
    {
        auto it = m_cache.find(sql);
        if (it == m_cache.end())
            it = m_cache.emplace(sql, make()).first;
        else if (it->second->busy)
            throw SqlError(std::string("statement already in use: ") + sql);
        return Statement(it->second.get(), false);
    }
    // A storage's destructor calls it before it closes the connection the
    // statements belong to.
    void clearCache() { m_cache.clear(); }

private:
    std::map<const char*, std::unique_ptr<StatementCore>> m_cache;
};

// Commits when commit() is called, rolls back otherwise.
class Transaction
{
public:
    explicit Transaction(Sql& db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Sql& m_db;
    bool m_open = true;
};

} // namespace zuv::server
