#include "zuvdprocess.h"

#include <QElapsedTimer>
#include <csignal>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <support/postgresprocess.h>
#include <support/processes.h>

namespace zuvtest {

namespace {
// The storage of the test that runs now; StorageTest sets it.
Storage g_storage = Storage::Sqlite;
} // namespace

QString newDatabase(const QTemporaryDir& dir)
{
    if (g_storage == Storage::Postgres)
        return PostgresCluster::shared().createDatabase();
    return dir.path() + QStringLiteral("/zuv.db");
}

void StorageTest::SetUp()
{
    g_storage = GetParam();
    if (g_storage == Storage::Postgres && !PostgresCluster::shared().started())
        GTEST_SKIP() << "no PostgreSQL: " << PostgresCluster::shared().reason().toStdString();
}

void StorageTest::TearDown()
{
    g_storage = Storage::Sqlite;
}

std::string storageName(const ::testing::TestParamInfo<Storage>& info)
{
    return info.param == Storage::Postgres ? "Postgres" : "Sqlite";
}

Zuvd::Zuvd(const QStringList& extraArgs) : m_extraArgs(extraArgs)
{
    m_database = newDatabase(m_dir);
    if (!m_database.isEmpty())
        start();
}

Zuvd::Zuvd(const QStringList& extraArgs, const QString& database)
    : m_database(database), m_extraArgs(extraArgs)
{
    start();
}

void Zuvd::start()
{
    m_port = 0;
    QStringList args = {QStringLiteral("--db"),     m_database,
                        QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                        QStringLiteral("--seed"),   QStringLiteral("demo")};
    args += m_extraArgs;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(suitePath(QStringLiteral("zuvd")), args);
    if (!m_process.waitForStarted(10000))
        return;
    QElapsedTimer clock;
    clock.start();
    while (!m_process.canReadLine() && clock.elapsed() < 15000 &&
           m_process.state() == QProcess::Running)
        m_process.waitForReadyRead(100);
    const QByteArray line = m_process.readLine().trimmed();
    const QByteArray prefix = "zuvd listening on http://127.0.0.1:";
    if (line.startsWith(prefix))
        m_port = line.mid(prefix.size()).toInt();
}

void Zuvd::kill()
{
    m_process.kill();
    m_process.waitForFinished(10000);
}

bool Zuvd::restart()
{
    if (m_process.state() != QProcess::NotRunning)
        return false;
    start();
    return started();
}

Zuvd::~Zuvd()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    // Every test ends its server as a person would; a crash or a sanitizer
    // report on the way out fails the test.
    if (!stop()) {
        ADD_FAILURE() << "zuvd did not end cleanly: exit code " << m_process.exitCode();
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
}

QString Zuvd::base() const
{
    return QStringLiteral("http://127.0.0.1:") + QString::number(m_port);
}

Answer Zuvd::get(const std::string& target, const std::string& host) const
{
    httplib::Client client("127.0.0.1", m_port);
    client.set_url_encode(false);
    client.set_read_timeout(10, 0);
    httplib::Headers headers;
    if (!host.empty())
        headers.emplace("Host", host);
    const auto result = client.Get(target, headers);
    if (!result)
        return {};
    return {result->status, QByteArray::fromStdString(result->get_header_value("Content-Type")),
            QByteArray::fromStdString(result->body)};
}

bool Zuvd::stop(bool interrupt)
{
    if (interrupt)
        ::kill(pid_t(m_process.processId()), SIGINT);
    else
        m_process.terminate();
    if (!m_process.waitForFinished(10000))
        return false;
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

std::string enc(const QString& text)
{
    return zuv::CodePage::encode(text).toPercentEncoding().toStdString();
}

QStringList replyLines(const QByteArray& body)
{
    QByteArray rest = body;
    EXPECT_FALSE(rest.replace("\r\n", "").contains('\n')) << "a line ends without CR";
    if (body.isEmpty())
        return {};
    EXPECT_TRUE(body.endsWith("\r\n")) << "the last line has no CR LF";
    QString text = zuv::CodePage::decode(body);
    text.chop(2);
    return text.split(QStringLiteral("\r\n"));
}

QByteArray crlf(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += zuv::CodePage::encode(line) + "\r\n";
    return bytes;
}

std::string refreshTarget(const std::string& script, const std::string& id,
                          const std::string& password, const std::string& mood,
                          const std::string& radio)
{
    return "/zuv/" + script + "?id=" + id + "&h=" + password + "&aktualizace=&radio=" + radio +
           "&nalada=" + enc(QString::fromStdString(mood)) + "&zuvrezim=0&ws=1";
}

int registerMember(const Zuvd& server, const QString& nickname, const QString& password,
                   const std::string& moreKeys)
{
    const Answer answer =
        server.get("/zuv/add_user.php?nick=" + enc(nickname) + "&heslo=" + enc(password) +
                   "&heslo2=" + enc(password) + moreKeys);
    const QString page = zuv::CodePage::decode(answer.body);
    const QString marker = QStringLiteral("Vaše Zuv číslo je ");
    const qsizetype at = page.indexOf(marker);
    return at < 0 ? 0 : page.mid(at + marker.size(), 6).toInt();
}

} // namespace zuvtest
