#pragma once

#include "sql.h"

struct pg_conn;

namespace zuv::server {

// One connection to a PostgreSQL server. Statements are prepared on the
// server once per connection and kept, like the SQLite ones.
class Postgres final : public Sql
{
public:
    Postgres() = default;
    ~Postgres() override;
    Postgres(const Postgres&) = delete;
    Postgres& operator=(const Postgres&) = delete;

    // `conninfo` is a libpq connection string or postgresql:// address.
    void open(const QString& conninfo);
    // Connects again after the server went away; false while it stays away.
    bool usable();

    Dialect dialect() const override { return Dialect::Postgres; }
    void exec(const char* sql) override;
    Statement prepare(const char* sql) override;
    Statement prepareBuilt(const QByteArray& sql) override;
    int changes() const override { return m_changes; }
    void begin() override;

private:
    friend class PostgresStatement;
    // Notices ignored, text as UTF-8; false when the server refuses.
    bool configure();

    pg_conn* m_conn = nullptr;
    int m_changes = 0;
    int m_named = 0;
};

} // namespace zuv::server
