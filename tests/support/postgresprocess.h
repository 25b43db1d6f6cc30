#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace zuvtest {

// A PostgreSQL cluster of the test's own: initdb into a temporary folder,
// the server on a free port with its Unix socket in that folder and no TCP
// listener. Under root it runs as the "postgres" system user, as PostgreSQL
// refuses root.
class PostgresCluster
{
public:
    PostgresCluster();
    ~PostgresCluster();
    PostgresCluster(const PostgresCluster&) = delete;
    PostgresCluster& operator=(const PostgresCluster&) = delete;

    bool started() const { return m_reason.isEmpty(); }
    // Why the cluster did not start; empty when it did.
    QString reason() const { return m_reason; }

    // A new empty database; its postgresql:// address, empty on failure.
    QString createDatabase();

    // The one cluster of the test program, started on first use and
    // stopped when the program ends.
    static PostgresCluster& shared();

private:
    bool runTool(const QString& tool, const QStringList& args, QString* output = nullptr);
    QString tool(const QString& name) const;

    QTemporaryDir m_dir;
    QString m_bin;
    QProcess m_server;
    int m_port = 0;
    int m_databases = 0;
    QString m_reason;
};

} // namespace zuvtest
