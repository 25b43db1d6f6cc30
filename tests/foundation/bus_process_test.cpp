// The bus between real processes, with zuvbus and small peers.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>
#include <csignal>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/bus/windowproc.h>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <support/processes.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

QString zuvbus()
{
    return zuvtest::suitePath(u"zuvbus"_s);
}

// Runs zuvbus to its end: exit code and what it printed.
std::pair<int, QString> runZuvbus(const QStringList& args)
{
    QProcess p;
    p.start(zuvbus(), args);
    p.waitForFinished(15000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput())};
}

// `zuvbus listen TITLE` running in the background until the test ends.
struct Listener
{
    explicit Listener(const QString& title)
    {
        process.start(zuvbus(), {u"listen"_s, title});
        ok = zuvtest::waitFor([&] { return bool(FindWindowA(title)); });
    }
    ~Listener()
    {
        process.kill();
        process.waitForFinished();
    }
    QString output()
    {
        process.waitForReadyRead(100);
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    QProcess process;
    bool ok = false;
};

} // namespace

TEST(BusProcesses, ZuvbusSendsAndListensInUtf8)
{
    zuvtest::TempSuite suite;
    Listener radio(u"Zuv - Sorvanta"_s);
    ASSERT_TRUE(radio.ok);
    EXPECT_EQ(runZuvbus({u"send"_s, u"Zuv - Sorvanta"_s, u"Ahoj, čtenáři"_s}),
              std::pair(0, u"-1\n"_s));
    EXPECT_EQ(runZuvbus({u"send"_s, u"Zuv - Sorvanta"_s, u"x\r\ny"_s, u"--data"_s, u"7"_s}).first,
              0);
    EXPECT_TRUE(zuvtest::waitFor([&] { return radio.process.bytesAvailable() > 0; }));
    zuvtest::waitFor([&] { return false; }, 100);
    EXPECT_EQ(radio.output(), u"1\tAhoj, čtenáři\n7\tx\\r\\ny\n"_s);

    EXPECT_EQ(runZuvbus({u"find"_s, u"Zuv - Sorvanta"_s}).first, 0);
    EXPECT_EQ(runZuvbus({u"find"_s, u"Zuv - sorvanta"_s}).first, 1);
    EXPECT_EQ(runZuvbus({u"send"_s, u"Nikdo"_s, u"x"_s}).first, 1);
    EXPECT_EQ(runZuvbus({u"list"_s}), std::pair(0, u"Zuv - Sorvanta\n"_s));
    EXPECT_EQ(runZuvbus({u"wait"_s, u"Nikdo"_s, u"--timeout"_s, u"0.2"_s}).first, 1);
    EXPECT_EQ(runZuvbus({u"wait"_s, u"Zuv - Sorvanta"_s}).first, 0);

    // The bus speaks Windows-1250: a character outside it arrives as "?".
    EXPECT_EQ(runZuvbus({u"send"_s, u"Zuv - Sorvanta"_s, u"Жук"_s}).first, 0);
    zuvtest::waitFor([&] { return radio.process.bytesAvailable() > 0; });
    EXPECT_EQ(radio.output(), u"1\t???\n"_s);

    radio.process.terminate(); // ended politely it withdraws its window
    EXPECT_EQ(
        runZuvbus({u"wait"_s, u"Zuv - Sorvanta"_s, u"--gone"_s, u"--timeout"_s, u"5"_s}).first, 0);
}

TEST(BusProcesses, WindowOfAKilledProcessIsGoneAndCleanedUp)
{
    zuvtest::TempSuite suite;
    Listener doomed(u"Sorvanta"_s);
    ASSERT_TRUE(doomed.ok);
    ::kill(pid_t(doomed.process.processId()), SIGKILL);
    doomed.process.waitForFinished();
    EXPECT_FALSE(FindWindowA(u"Sorvanta"_s));
    EXPECT_TRUE(QDir(suite.busDir()).entryList(QDir::Files | QDir::System).isEmpty());
}

TEST(BusProcesses, HungReceiverFailsAfterTenSecondsWhileTheSenderStaysResponsive)
{
    zuvtest::TempSuite suite;
    Listener hung(u"Zuv Postrel! (Zuvnet)"_s);
    ASSERT_TRUE(hung.ok);
    ::kill(pid_t(hung.process.processId()), SIGSTOP);

    BusWindow own;
    own.publish(u"Zuv - Sorvanta"_s);
    QStringList served;
    SetSubclass(own, true, {[&](const QString& c) { served << c; }, {}});
    // Someone sends to us while we wait for the hung one.
    QProcess other;
    QTimer::singleShot(1000, [&] {
        other.start(zuvbus(), {u"send"_s, u"Zuv - Sorvanta"_s, u"msgon"_s});
    });

    QElapsedTimer clock;
    clock.start();
    const auto answer = SendCopyData(FindWindowA(u"Zuv Postrel! (Zuvnet)"_s), u"emailend"_s);
    const qint64 waited = clock.elapsed();
    EXPECT_FALSE(answer);
    EXPECT_GE(waited, 9500);
    EXPECT_LE(waited, 12500);
    EXPECT_EQ(served, QStringList{u"msgon"_s});
    other.waitForFinished();
    EXPECT_EQ(other.exitCode(), 0);
    ::kill(pid_t(hung.process.processId()), SIGCONT);
}

TEST(BusProcesses, TwoProgramsSendingToEachOtherAtOnceDoNotDeadLock)
{
    zuvtest::TempSuite suite;
    QProcess a, b;
    a.start(zuvtest::helperPath(u"buspeer"_s), {u"A"_s, u"B"_s, u"300"_s});
    b.start(zuvtest::helperPath(u"buspeer"_s), {u"B"_s, u"A"_s, u"300"_s});
    ASSERT_TRUE(a.waitForFinished(30000));
    ASSERT_TRUE(b.waitForFinished(30000));
    EXPECT_EQ(a.readAllStandardOutput(), "300 300\n");
    EXPECT_EQ(b.readAllStandardOutput(), "300 300\n");
}
