#pragma once

#include "sql.h"

struct sqlite3;

namespace zuv::server {

// One connection to an SQLite file. Statements are prepared once and kept,
// since every request runs the same few queries.
class Sqlite final : public Sql
{
public:
    Sqlite() = default;
    ~Sqlite() override;
    Sqlite(const Sqlite&) = delete;
    Sqlite& operator=(const Sqlite&) = delete;

    void open(const QString& path);

    Dialect dialect() const override { return Dialect::Sqlite; }
    void exec(const char* sql) override;
    Statement prepare(const char* sql) override;
    Statement prepareBuilt(const QByteArray& sql) override;
    int changes() const override;
    void begin() override;

    // The process's writers take turns: one write transaction, or one
    // writing statement outside a transaction, at a time.
    bool holdsWriteTurn() const { return m_holdsWriteTurn; }
    void takeWriteTurn();
    void giveWriteTurnBack();

private:
    bool m_holdsWriteTurn = false;
    sqlite3* m_db = nullptr;
};

} // namespace zuv::server
