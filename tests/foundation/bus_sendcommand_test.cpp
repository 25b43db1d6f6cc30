// Delivering commands with the programs' SendCommand forms, and the hand-over
// of a second copy to the first.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <csignal>
#include <foundation/bus/instance.h>
#include <foundation/gui/sendcommand.h>
#include <foundation/bus/sendmessage.h>
#include <gtest/gtest.h>
#include <memory>
#include <support/processes.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

// A program folder with `instanceprog` (a program that keeps one copy and
// logs what it is sent) and `quitter` (one that never shows a window).
struct SendFixture : zuvtest::TempSuite
{
    SendFixture()
    {
        for (auto [from, to] : {std::pair(u"instanceprog"_s, u"instanceprog"_s),
                                std::pair(u"argdump"_s, u"quitter"_s)}) {
            // A link: the program still finds the suite's library beside its target.
            QFile::link(zuvtest::helperPath(from), path(to));
        }
        setEnv("INSTANCE_LOG", QFile::encodeName(path(u"commands.log"_s)));
        setEnv("ARGDUMP_OUT", QFile::encodeName(path(u"quitter.out"_s)));
    }
    ~SendFixture()
    {
        for (auto& p : running) {
            p->kill();
            p->waitForFinished();
        }
    }
    QProcess* start(const QStringList& args)
    {
        running.push_back(std::make_unique<QProcess>());
        running.back()->start(path(u"instanceprog"_s), args);
        running.back()->waitForStarted();
        return running.back().get();
    }
    QString commands() const { return QString::fromLatin1(read(u"commands.log"_s)); }
    int starts() const { return int(zuvtest::logLines(shellLog()).size()); }

    std::vector<std::unique_ptr<QProcess>> running;
};

} // namespace

TEST(SendCommand, RadioModeTwoStartsAndWaitsForTheWindow)
{
    SendFixture suite;
    SendCommand(SendCommandForm::Radio, u"instanceprog.exe radio"_s, u"Sorvanta"_s,
                u"remoteplay/@/15/@/2/@/http://x/@/t"_s, u"2"_s);
    EXPECT_EQ(suite.commands(), u"remoteplay/@/15/@/2/@/http://x/@/t\r\n"_s);
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()).first(), u"1\tinstanceprog.exe\tradio"_s);
    ASSERT_TRUE(FindWindowA(u"Sorvanta"_s));
    ::kill(pid_t(FindWindowA(u"Sorvanta"_s).id >> 20), SIGTERM);
}

TEST(SendCommand, RadioModeTwoGivesUpAfterNineStarts)
{
    SendFixture suite;
    QElapsedTimer clock;
    clock.start();
    SendCommand(SendCommandForm::Radio, u"quitter.exe"_s, u"Sorvanta"_s, u"fmax"_s, u"2"_s);
    EXPECT_EQ(suite.starts(), 9);
    EXPECT_GE(clock.elapsed(), 12000);
    EXPECT_LE(clock.elapsed(), 16000); // pauses only grow on a loaded machine
}

TEST(SendCommand, ModesThatStartOnceOrNever)
{
    struct Row
    {
        const char* name;
        SendCommandForm form;
        QString mode;
        int starts;
    };
    const Row rows[] = {
        {"radio 0", SendCommandForm::Radio, u"0"_s, 0},
        {"radio x", SendCommandForm::Radio, u"x"_s, 0},
        {"radio 1", SendCommandForm::Radio, u"1"_s, 1},
        {"radio empty is 1", SendCommandForm::Radio, u""_s, 1},
        {"messenger 1", SendCommandForm::Messenger, u"1"_s, 1},
        {"messenger 2 never starts", SendCommandForm::Messenger, u"2"_s, 0},
        {"messenger x", SendCommandForm::Messenger, u"x"_s, 0},
    };
    for (const Row& row : rows) {
        SendFixture suite;
        SendCommand(row.form, u"instanceprog.exe radio"_s, u"Sorvanta"_s, u"play"_s, row.mode);
        EXPECT_EQ(suite.starts(), row.starts) << row.name;
        // Started now, the window did not exist at the look-up: nothing is delivered.
        if (row.starts)
            zuvtest::waitFor([] { return bool(FindWindowA(u"Sorvanta"_s)); });
        zuvtest::waitFor([] { return false; }, 200);
        EXPECT_EQ(suite.commands(), u""_s) << row.name;
        if (const WindowRef w = FindWindowA(u"Sorvanta"_s))
            ::kill(pid_t(w.id >> 20), SIGTERM);
        zuvtest::waitFor([] { return !FindWindowA(u"Sorvanta"_s); });
    }
}

TEST(SendCommand, SendOnlyFormDeliversToAnExistingWindow)
{
    SendFixture suite;
    EXPECT_FALSE(SendCommand(u"Zuv Postrel! (Zuvnet)"_s, u"Check"_s));
    suite.start({u"mail"_s});
    ASSERT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(u"Zuv Postrel! (Zuvnet)"_s)); }));
    EXPECT_TRUE(SendCommand(u"Zuv Postrel! (Zuvnet)"_s, u"Check"_s));
    EXPECT_EQ(suite.commands(), u"Check\r\n"_s);
    EXPECT_EQ(suite.starts(), 0);
}

TEST(SecondInstance, HandsOverAndEnds)
{
    struct Row
    {
        const char* kind;
        const char* caption;
        QString argument;
        QString handedOver;
    };
    const Row rows[] = {
        {"radio", "Sorvanta", u""_s, u"fmax\r\n"_s},
        {"messenger", "Zuv - Sorvanta", u""_s, u"Fmax\r\n"_s},
        {"messenger", "Zuv - Sorvanta", u"m"_s, u""_s},
        {"recorder", "Zuv Recorder (Zuvnet)", u"l"_s, u"SetFocus\r\n"_s},
        {"mail", "Zuv Postrel! (Zuvnet)", u""_s, u"SetFocus\r\n"_s},
        {"mail", "Zuv Postrel! (Zuvnet)", u"zuv"_s, u""_s},
    };
    for (const Row& row : rows) {
        SendFixture suite;
        const QString kind = QString::fromLatin1(row.kind);
        QProcess* first = suite.start({kind});
        ASSERT_TRUE(
            zuvtest::waitFor([&] { return bool(FindWindowA(QString::fromUtf8(row.caption))); }));
        QProcess* second = suite.start({kind, row.argument});
        ASSERT_TRUE(second->waitForFinished(5000)) << row.kind;
        EXPECT_EQ(second->exitCode(), 3) << row.kind << " second copy ends";
        EXPECT_EQ(suite.commands(), row.handedOver)
            << row.kind << " " << row.argument.toStdString();
        EXPECT_EQ(first->state(), QProcess::Running);
    }
}

TEST(SecondInstance, TwoStartedAtOnceLeaveExactlyOne)
{
    SendFixture suite;
    for (int round = 0; round < 5; ++round) {
        QProcess* a = suite.start({u"radio"_s});
        QProcess* b = suite.start({u"radio"_s});
        zuvtest::waitFor([&] {
            return a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning;
        });
        zuvtest::waitFor([] { return false; }, 300);
        EXPECT_NE(a->state() == QProcess::Running, b->state() == QProcess::Running) << round;
        a->kill();
        b->kill();
        a->waitForFinished();
        b->waitForFinished();
    }
}

TEST(SecondInstance, ACrashReleasesTheLock)
{
    SendFixture suite;
    QProcess* first = suite.start({u"recorder"_s});
    ASSERT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(u"Zuv Recorder (Zuvnet)"_s)); }));
    ::kill(pid_t(first->processId()), SIGKILL);
    first->waitForFinished();
    QProcess* again = suite.start({u"recorder"_s});
    EXPECT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(u"Zuv Recorder (Zuvnet)"_s)); }));
    EXPECT_EQ(again->state(), QProcess::Running);
}
