#include "postgres.h"

#include <libpq-fe.h>
#include <vector>

namespace zuv::server {
namespace {

[[noreturn]] void fail(PGconn* conn, const char* what)
{
    std::string message = conn ? PQerrorMessage(conn) : "no connection";
    while (!message.empty() && message.back() == '\n')
        message.pop_back();
    throw SqlError(std::string(what) + ": " + message);
}

void ignoreNotice(void*, const char*) {}

// "?" and "?N" placeholders as PostgreSQL's "$N"; `count` is set to how many
// values the statement takes.
QByteArray placeholders(QByteArrayView sql, int& count)
{
    QByteArray out;
    out.reserve(sql.size() + 16);
    int highest = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const char c = sql[i];
        if (c == '\'')
            quoted = !quoted;
        if (c != '?' || quoted) {
            out.append(c);
            continue;
        }
        qsizetype end = i + 1;
        while (end < sql.size() && sql[end] >= '0' && sql[end] <= '9')
            ++end;
        // A bare "?" is the one after the highest so far, as in SQLite.
        const int index = end > i + 1 ? sql.sliced(i + 1, end - i - 1).toInt() : highest + 1;
        highest = std::max(highest, index);
        out.append('$').append(QByteArray::number(index));
        i = end - 1;
    }
    count = highest;
    return out;
}

} // namespace

// Values go as text, blobs as binary; rows come back as text.
class PostgresStatement final : public StatementCore
{
public:
    PostgresStatement(Postgres& db, QByteArray name, QByteArray sql, int count)
        : m_db(db), m_name(std::move(name)), m_sql(std::move(sql)), m_values(std::size_t(count)),
          m_null(std::size_t(count), true), m_binary(std::size_t(count), 0)
    {}
    ~PostgresStatement() override { PQclear(m_result); }

    void bind(int index, qint64 value) override { set(index, QByteArray::number(value), false); }
    void bind(int index, const QString& value) override { set(index, value.toUtf8(), false); }
    void bindBlob(int index, const QByteArray& blob) override { set(index, blob, true); }

    bool step() override
    {
        if (!m_result) {
            execute();
            m_row = -1;
        }
        return ++m_row < PQntuples(m_result);
    }
    qint64 integer(int column) const override
    {
        const char* value = PQgetvalue(m_result, m_row, column);
        if (*value == 't')
            return 1;
        return QByteArrayView(value).toLongLong();
    }
    QString text(int column) const override
    {
        return QString::fromUtf8(PQgetvalue(m_result, m_row, column),
                                 PQgetlength(m_result, m_row, column));
    }
    QByteArrayView utf8(int column) const override
    {
        return QByteArrayView(PQgetvalue(m_result, m_row, column),
                              PQgetlength(m_result, m_row, column));
    }
    QByteArray blob(int column) const override
    {
        // bytea as text is "\x" and hex digits.
        const QByteArrayView value = utf8(column);
        return value.startsWith("\\x") ? QByteArray::fromHex(value.sliced(2).toByteArray())
                                       : value.toByteArray();
    }
    void finish() override
    {
        PQclear(m_result);
        m_result = nullptr;
        for (std::size_t i = 0; i < m_values.size(); ++i) {
            m_values[i].clear();
            m_null[i] = true;
        }
    }

private:
    QByteArray& at(int index)
    {
        if (index < 1 || std::size_t(index) > m_values.size())
            throw SqlError("bind: no value " + std::to_string(index) + " in " +
                           m_sql.toStdString());
        return m_values[std::size_t(index - 1)];
    }
    void set(int index, QByteArray value, bool binary)
    {
        at(index) = std::move(value);
        m_null[std::size_t(index - 1)] = false;
        m_binary[std::size_t(index - 1)] = binary ? 1 : 0;
    }
    void execute()
    {
        const std::size_t n = m_values.size();
        std::vector<const char*> values(n);
        std::vector<int> lengths(n);
        for (std::size_t i = 0; i < n; ++i) {
            // A bound empty value needs a real pointer, only NULL has none.
            values[i] = m_null[i] ? nullptr : m_values[i].constData();
            lengths[i] = int(m_values[i].size());
        }
        PGconn* conn = m_db.m_conn;
        m_result = m_name.isEmpty()
                       ? PQexecParams(conn, m_sql.constData(), int(n), nullptr, values.data(),
                                      lengths.data(), m_binary.data(), 0)
                       : PQexecPrepared(conn, m_name.constData(), int(n), values.data(),
                                        lengths.data(), m_binary.data(), 0);
        const ExecStatusType status = PQresultStatus(m_result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            PQclear(m_result);
            m_result = nullptr;
            fail(conn, "step");
        }
        m_db.m_changes = QByteArrayView(PQcmdTuples(m_result)).toInt();
    }

    Postgres& m_db;
    QByteArray m_name; // empty: not prepared on the server
    QByteArray m_sql;
    std::vector<QByteArray> m_values;
    std::vector<bool> m_null;
    std::vector<int> m_binary;
    PGresult* m_result = nullptr;
    int m_row = -1;
};

Postgres::~Postgres()
{
    clearCache();
    PQfinish(m_conn);
}

void Postgres::open(const QString& conninfo)
{
    m_conn = PQconnectdb(conninfo.toUtf8().constData());
    if (PQstatus(m_conn) != CONNECTION_OK)
        fail(m_conn, "connect");
    if (!configure())
        fail(m_conn, "client encoding");
}

bool Postgres::configure()
{
    PQsetNoticeProcessor(m_conn, ignoreNotice, nullptr);
    return PQsetClientEncoding(m_conn, "UTF8") == 0;
}

bool Postgres::usable()
{
    if (PQstatus(m_conn) == CONNECTION_OK)
        return true;
    // The server's prepared statements went with the old connection.
    clearCache();
    PQreset(m_conn);
    return PQstatus(m_conn) == CONNECTION_OK && configure();
}

void Postgres::exec(const char* sql)
{
    PGresult* result = PQexec(m_conn, sql);
    const ExecStatusType status = PQresultStatus(result);
    PQclear(result);
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(m_conn, "exec");
}

Statement Postgres::prepare(const char* sql)
{
    return cached(sql, [&]() -> std::unique_ptr<StatementCore> {
        int count = 0;
        QByteArray text = placeholders(sql, count);
        const QByteArray name = "z" + QByteArray::number(++m_named);
        PGresult* result = PQprepare(m_conn, name.constData(), text.constData(), 0, nullptr);
        const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        if (!ok)
            fail(m_conn, "prepare");
        return std::make_unique<PostgresStatement>(*this, name, std::move(text), count);
    });
}

Statement Postgres::prepareBuilt(const QByteArray& sql)
{
    int count = 0;
    QByteArray text = placeholders(sql, count);
    return Statement(new PostgresStatement(*this, {}, std::move(text), count), true);
}

void Postgres::begin()
{
    exec("BEGIN");
}

} // namespace zuv::server
