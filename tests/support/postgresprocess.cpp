#include "postgresprocess.h"

#include <QDir>
#include <QFileInfo>
#include <QVersionNumber>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <pwd.h>
#include <support/processes.h>
#include <unistd.h>

namespace zuvtest {
namespace {

// The newest installed server's programs; Debian keeps them off PATH.
QString serverBinDir()
{
    QDir root(QStringLiteral("/usr/lib/postgresql"));
    QString best;
    QVersionNumber bestVersion;
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QVersionNumber version = QVersionNumber::fromString(name);
        if (QFileInfo::exists(root.filePath(name + QStringLiteral("/bin/initdb"))) &&
            version > bestVersion) {
            best = root.filePath(name + QStringLiteral("/bin"));
            bestVersion = version;
        }
    }
    return best;
}

} // namespace

QString PostgresCluster::tool(const QString& name) const
{
    return m_bin + u'/' + name;
}

// As the postgres user when the test is root: setpriv execs the tool itself,
// so signals reach it.
static void asServerUser(QString& program, QStringList& args)
{
    if (::geteuid() != 0)
        return;
    args.prepend(program);
    args = QStringList{QStringLiteral("--reuid=postgres"), QStringLiteral("--regid=postgres"),
                       QStringLiteral("--init-groups"), QStringLiteral("--")} +
           args;
    program = systemProgram(QStringLiteral("setpriv"));
}

bool PostgresCluster::runTool(const QString& name, const QStringList& toolArgs, QString* output)
{
    QString program = tool(name);
    QStringList args = toolArgs;
    asServerUser(program, args);
    const ToolResult result = zuvtest::runTool(program, args, m_dir.path());
    if (output)
        *output = result.output.trimmed();
    return result.ok();
}

PostgresCluster::PostgresCluster()
{
    m_bin = serverBinDir();
    if (m_bin.isEmpty()) {
        m_reason = QStringLiteral("PostgreSQL is not installed (no /usr/lib/postgresql/*/bin)");
        return;
    }
    if (!m_dir.isValid()) {
        m_reason = QStringLiteral("no temporary folder");
        return;
    }
    if (::geteuid() == 0) {
        const passwd* user = ::getpwnam("postgres");
        if (!user || systemProgram(QStringLiteral("setpriv")).isEmpty() ||
            ::chown(QFile::encodeName(m_dir.path()).constData(), user->pw_uid, user->pw_gid) != 0) {
            m_reason = QStringLiteral("running as root without a usable postgres user");
            return;
        }
    }
    const QString data = m_dir.filePath(QStringLiteral("data"));
    QString output;
    if (!runTool(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), data, QStringLiteral("-A"), QStringLiteral("trust"),
                  QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
                  QStringLiteral("--no-sync")},
                 &output)) {
        m_reason = QStringLiteral("initdb failed: ") + output;
        return;
    }
    m_port = freeLoopbackPort();
    QString program = tool(QStringLiteral("postgres"));
    // The port only names the socket; fsync is off because the tests end
    // servers of their own, never this one.
    QStringList args = {QStringLiteral("-D"), data,
                        QStringLiteral("-k"), m_dir.path(),
                        QStringLiteral("-p"), QString::number(m_port),
                        QStringLiteral("-c"), QStringLiteral("listen_addresses="),
                        QStringLiteral("-c"), QStringLiteral("fsync=off"),
                        QStringLiteral("-c"), QStringLiteral("max_connections=300")};
    asServerUser(program, args);
    m_server.setProcessChannelMode(QProcess::MergedChannels);
    m_server.start(program, args);
    if (!m_server.waitForStarted(10000)) {
        m_reason = QStringLiteral("postgres did not start");
        return;
    }
    const QStringList ready = {QStringLiteral("-h"), m_dir.path(), QStringLiteral("-p"),
                               QString::number(m_port), QStringLiteral("-q")};
    if (!waitFor(
            [&] {
                return m_server.state() == QProcess::Running &&
                       runTool(QStringLiteral("pg_isready"), ready);
            },
            30000)) {
        m_reason = QStringLiteral("postgres did not get ready: ") +
                   QString::fromLocal8Bit(m_server.readAll()).trimmed();
    }
}

PostgresCluster::~PostgresCluster()
{
    if (m_server.state() == QProcess::NotRunning)
        return;
    // SIGINT: the fast shutdown, which ends the clients' sessions.
    ::kill(pid_t(m_server.processId()), SIGINT);
    if (!m_server.waitForFinished(20000)) {
        m_server.kill();
        m_server.waitForFinished();
    }
}

QString PostgresCluster::createDatabase()
{
    if (!started())
        return {};
    const QString name = QStringLiteral("zuv_%1").arg(++m_databases);
    if (!runTool(QStringLiteral("createdb"),
                 {QStringLiteral("-h"), m_dir.path(), QStringLiteral("-p"), QString::number(m_port),
                  QStringLiteral("-U"), QStringLiteral("postgres"), name}))
        return {};
    return QStringLiteral("postgresql://postgres@/%1?host=%2&port=%3")
        .arg(name, m_dir.path(), QString::number(m_port));
}

PostgresCluster& PostgresCluster::shared()
{
    // Stopped when the tests end, while the application object still runs
    // QProcess; a static destructor comes too late for that.
    static std::unique_ptr<PostgresCluster> cluster;
    struct Stop : ::testing::Environment
    {
        void TearDown() override { cluster.reset(); }
    };
    if (!cluster) {
        cluster = std::make_unique<PostgresCluster>();
        ::testing::AddGlobalTestEnvironment(new Stop);
    }
    return *cluster;
}

} // namespace zuvtest
