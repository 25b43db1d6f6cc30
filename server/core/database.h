#pragma once

#include "sql.h"

#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <semaphore>
#include <thread>
#include <vector>

namespace zuv::server {

// The server's storage: an SQLite file, or a PostgreSQL database that several
// servers share. Each request gets a connection of its own for its whole
// run, so requests never wait for one another in the server; what has to
// be done as one goes in a Transaction.
class Database
{
public:
    // `location` is a file, or a postgresql:// address. Opens or creates
    // the database and brings its tables up to date. Throws SqlError when
    // it cannot be used.
    explicit Database(const QString& location);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    static bool isPostgresAddress(const QString& location);

    class Session
    {
    public:
        explicit Session(Database& db) : m_db(db), m_turn(db.m_running), m_sql(db.acquire()) {}
        ~Session() { m_db.release(std::move(m_sql)); }
        Session(const Session&) = delete;
        Session& operator=(const Session&) = delete;
        Sql& sql() { return *m_sql; }

    private:
        // Held for the whole session: at most so many requests work on the
        // database at once.
        struct Turn
        {
            explicit Turn(std::counting_semaphore<>& running) : m_running(running)
            {
                m_running.acquire();
            }
            ~Turn() { m_running.release(); }
            std::counting_semaphore<>& m_running;
        };
        Database& m_db;
        Turn m_turn;
        std::unique_ptr<Sql> m_sql;
    };

    Session session() { return Session(*this); }

private:
    // More idle connections than busy workers ever need are closed.
    static constexpr std::size_t kIdleConnections = 64;

    std::unique_ptr<Sql> connect();
    std::unique_ptr<Sql> acquire();
    void release(std::unique_ptr<Sql> conn);

    // SQLite: the WAL is copied into the file by a thread of its own, so no
    // request waits for the copy and its flush to disk.
    void checkpointLoop();

    // Requests working on the database at once. The workers are many, so
    // that clients that trickle their requests in cannot hold them all;
    // letting all of them at the database at once only made them wait on
    // one another. SQLite works on the cores, PostgreSQL mostly waits on
    // its server, so it gets more.
    static std::ptrdiff_t runningLimit(bool postgres);

    QString m_location;
    bool m_postgres;
    std::counting_semaphore<> m_running;
    std::mutex m_checkpointMutex;
    std::condition_variable m_checkpointWake;
    bool m_stopping = false;
    std::thread m_checkpointer;
    std::mutex m_mutex;
    std::vector<std::unique_ptr<Sql>> m_idle;
};

} // namespace zuv::server
