#include "sql.h"

namespace zuv::server {

Statement::Statement(StatementCore* core, bool owned) : m_core(core), m_owned(owned)
{
    if (m_core->busy)
        throw SqlError("statement already in use");
    m_core->busy = true;
}

Statement::Statement(Statement&& other) noexcept : m_core(other.m_core), m_owned(other.m_owned)
{
    other.m_core = nullptr;
}

Statement::~Statement()
{
    if (!m_core)
        return;
    m_core->finish();
    m_core->busy = false;
    if (m_owned)
        delete m_core;
}

Statement& Statement::bind(int index, qint64 value)
{
    m_core->bind(index, value);
    return *this;
}

Statement& Statement::bind(int index, const QString& value)
{
    if (value.isNull())
        m_core->bind(index, QStringLiteral(""));
    else
        m_core->bind(index, value);
    return *this;
}

Statement& Statement::bind(int index, const QByteArray& blob)
{
    m_core->bindBlob(index, blob);
    return *this;
}

bool Statement::step()
{
    return m_core->step();
}

void Statement::run()
{
    while (step()) {
    }
}

Transaction::Transaction(Sql& db) : m_db(db)
{
    m_db.begin();
}

Transaction::~Transaction()
{
    if (m_open) {
        try {
            m_db.exec("ROLLBACK");
        } catch (const SqlError&) {
            // The connection is closing or the storage rolled back by itself.
        }
    }
}

void Transaction::commit()
{
    m_db.exec("COMMIT");
    m_open = false;
}

} // namespace zuv::server
