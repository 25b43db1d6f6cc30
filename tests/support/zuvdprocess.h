#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace zuvtest {

// One answer of the server.
struct Answer
{
    int status = 0; // 0: no answer at all
    QByteArray contentType;
    QByteArray body;
};

// Where the zuvd of a test keeps its data.
enum class Storage
{
    Sqlite,
    Postgres,
};

// A database of the current storage of its own for one test: a file in
// `dir`, or a new database in the test program's PostgreSQL cluster.
QString newDatabase(const QTemporaryDir& dir);

// Runs each test of a suite once per storage. The PostgreSQL case is
// skipped, with the reason, when no cluster of the test's own can start.
class StorageTest : public ::testing::TestWithParam<Storage>
{
protected:
    void SetUp() override;
    void TearDown() override;
};

std::string storageName(const ::testing::TestParamInfo<Storage>& info);

#define ZUV_STORAGE_SUITE(suite)                                                                   \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Storage, suite,                                                                            \
        ::testing::Values(::zuvtest::Storage::Sqlite, ::zuvtest::Storage::Postgres),               \
        ::zuvtest::storageName)

// A real zuvd on a free loopback port with its own database of the current
// storage.
class Zuvd
{
public:
    // Starts with --seed demo plus `extraArgs`; started() tells whether the
    // port line came.
    explicit Zuvd(const QStringList& extraArgs = {});
    // Another zuvd on the database of one already made.
    Zuvd(const QStringList& extraArgs, const QString& database);
    ~Zuvd();

    bool started() const { return m_port > 0; }
    int port() const { return m_port; }
    QString base() const;
    // What --db names: the file, or the PostgreSQL address.
    QString database() const { return m_database; }

    // GET of a request target sent exactly as given (already percent-encoded).
    Answer get(const std::string& target, const std::string& host = {}) const;

    // Sends SIGTERM (or SIGINT) and waits; true when zuvd ended by itself with 0.
    // The destructor stops a running server this way and fails the test if
    // it does not end cleanly.
    bool stop(bool interrupt = false);

    // Ends zuvd with SIGKILL, as a crash would, and waits for it.
    void kill();
    // Starts zuvd again on the same database; a new port.
    bool restart();

private:
    void start();

    QTemporaryDir m_dir;
    QString m_database;
    QStringList m_extraArgs;
    QProcess m_process;
    int m_port = 0;
};

// Percent-encoded Windows-1250 bytes of a text, as the downloader sends it.
std::string enc(const QString& text);

// Lines of a Windows-1250 CR LF body; fails the calling test on a bare LF.
QStringList replyLines(const QByteArray& body);

// The bytes of a reply made of these lines.
QByteArray crlf(const QStringList& lines);

// A refresh request as the messenger builds it.
std::string refreshTarget(const std::string& script, const std::string& id,
                          const std::string& password, const std::string& mood = ":)",
                          const std::string& radio = "off");

// Registers a member through the registration page; their number, or 0.
int registerMember(const Zuvd& server, const QString& nickname, const QString& password,
                   const std::string& moreKeys = {});

// The demo members of --seed demo.
inline constexpr int kRobot = 100000;
inline constexpr int kDemo = 100001;
inline constexpr int kEva = 100002;

} // namespace zuvtest
