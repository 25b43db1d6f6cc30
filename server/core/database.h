#pragma once

#include "sqlite.h"

#include <QString>
#include <mutex>

namespace zuv::server {

// The server's one database file. Requests run one at a time against it: a
// session holds the lock for the whole request, so what a request reads and
// writes is never interleaved with another request.
class Database
{
public:
    // Opens or creates the file and brings its tables up to date. Throws
    // SqlError when the file cannot be used.
    explicit Database(const QString& path);

    class Session
    {
    public:
        explicit Session(Database& db) : m_lock(db.m_mutex), m_sql(db.m_sql) {}
        Sqlite& sql() { return m_sql; }

    private:
        std::lock_guard<std::mutex> m_lock;
        Sqlite& m_sql;
    };

    Session session() { return Session(*this); }

private:
    std::mutex m_mutex;
    Sqlite m_sql;
};

} // namespace zuv::server
