#include <QFile>
#include <QTemporaryDir>
#include <foundation/codepage.h>
#include <foundation/shell.h>
#include <gtest/gtest.h>
#include <support/processes.h>
#include <support/tempsuite.h>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

// A program folder holding the argdump helper under the name `name`.
struct LaunchFixture : zuvtest::TempSuite
{
    explicit LaunchFixture(const QString& name = u"argdump"_s)
    {
        QFile::copy(zuvtest::helperPath(u"argdump"_s), path(name));
        QFile(path(name)).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setEnv("ARGDUMP_OUT", QFile::encodeName(path(u"out.txt"_s)));
    }
    // What argdump recorded: "argc=N\nshow=S\n<argument bytes>\n".
    QByteArray waitForDump()
    {
        zuvtest::waitFor([&] {
            return read(u"out.txt"_s).endsWith('\n') && read(u"out.txt"_s).count('\n') >= 2;
        });
        return read(u"out.txt"_s);
    }
};

} // namespace

TEST(Shell, HostileArgumentArrivesAsOneArgumentByteForByte)
{
    LaunchFixture suite;
    const QString argument =
        u"a; $(touch pwned) \"q\" 'x' \\ `id` | cat & žluťoučký  kůň /@/show"_s;
    ASSERT_TRUE(Shell(u"argdump.exe "_s + argument, SW_SHOWNOACTIVATE));
    EXPECT_EQ(suite.waitForDump(), "argc=2\nshow=4\n" + zuvtest::cp1250(argument) + "\n");
    EXPECT_FALSE(QFile::exists(suite.path(u"pwned"_s)));
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()), QStringList{u"4\targdump.exe\t"_s + argument});
}

TEST(Shell, ProgramsOfTheSuiteTakeTheirArgumentOutOfTheProcessList)
{
    // The same program under a suite name in the program folder, and elsewhere.
    const QString argument = u"http://h/zuv/all.php?id=100001&h=tajné/@//d/zuv.tt"_s;
    {
        LaunchFixture suite(u"load2"_s);
        qint64 pid = 0;
        ASSERT_TRUE(Shell(u"load2.exe "_s + argument, SW_SHOWNOACTIVATE, &pid));
        EXPECT_GT(pid, 0);
        EXPECT_EQ(suite.waitForDump(),
                  "argc=1\nshow=4\nenvironment=" + zuvtest::cp1250(argument) + "\n");
        EXPECT_EQ(zuvtest::logLines(suite.shellLog()), QStringList{u"4\tload2.exe\t"_s + argument});
        EXPECT_TRUE(zuvtest::waitFor([&] { return !programRunning(pid); }));
    }
    {
        LaunchFixture suite(u"Pelsh"_s);
        ASSERT_TRUE(Shell(u"Pelsh.exe "_s + argument, SW_SHOWNORMAL));
        EXPECT_EQ(suite.waitForDump(), "argc=2\nshow=1\n" + zuvtest::cp1250(argument) + "\n");
    }
    // A program of the suite finds it there, and its own children do not.
    zuvtest::TempSuite suite;
    suite.setEnv("ZUV_SHOW", "4");
    suite.setEnv("ZUV_ARGUMENT", zuvtest::cp1250(u"Čau/@/x"_s));
    QByteArray name = "msg";
    char* argv[] = {name.data(), nullptr};
    const ProgramStart start = takeProgramStart(1, argv);
    EXPECT_EQ(start.argument, u"Čau/@/x"_s);
    EXPECT_FALSE(qEnvironmentVariableIsSet("ZUV_ARGUMENT"));
}

TEST(Shell, ProgramNamesAndArguments)
{
    struct Row
    {
        const char* name;
        QString commandLine;
        QByteArray dump;
    };
    const Row rows[] = {
        {"no argument", u"argdump"_s, "argc=1\nshow=1\n"},
        {"empty argument after the space", u"argdump.exe "_s, "argc=2\nshow=1\n\n"},
        {"only the first space splits", u"argdump.EXE  two  spaces "_s,
         "argc=2\nshow=1\n two  spaces \n"},
    };
    for (const Row& row : rows) {
        LaunchFixture suite;
        ASSERT_TRUE(Shell(row.commandLine, SW_SHOWNORMAL)) << row.name;
        EXPECT_EQ(suite.waitForDump(), row.dump) << row.name;
    }
}

TEST(Shell, PathWithBackslashesAndMinimisedStyle)
{
    LaunchFixture suite(u"Prog.exe"_s);
    QFile::rename(suite.path(u"Prog.exe"_s), suite.path(u"Prog"_s));
    const QString windowsPath = QString(suite.dir()).replace(u'/', u'\\') + u"\\prog.exe x"_s;
    ASSERT_TRUE(Shell(windowsPath, SW_SHOWMINIMIZED));
    EXPECT_EQ(suite.waitForDump(), "argc=2\nshow=2\nx\n");
}

TEST(Shell, AProgramNamedInAFolderOfDataOnlyIsTheOneBesideTheRunningProgram)
{
    // A member's own program folder holds files, the programs are installed
    // elsewhere: here the test's own folder, where argdump is.
    zuvtest::TempSuite suite;
    suite.setEnv("ARGDUMP_OUT", QFile::encodeName(suite.path(u"out.txt"_s)));
    ASSERT_FALSE(QFile::exists(suite.path(u"argdump"_s)));
    ASSERT_TRUE(
        Shell(QString(suite.dir()).replace(u'/', u'\\') + u"\\argdump.exe x"_s, SW_SHOWNORMAL));
    EXPECT_TRUE(zuvtest::waitFor([&] { return suite.read(u"out.txt"_s).endsWith("x\n"); }));
    // Any other folder is taken as it is named.
    QTemporaryDir elsewhere;
    EXPECT_FALSE(Shell(elsewhere.filePath(u"argdump"_s), SW_SHOWNORMAL));
}

TEST(Shell, MissingProgramIsAFalseReturnAndStillLogged)
{
    zuvtest::TempSuite suite;
    EXPECT_FALSE(Shell(u"remind.exe RadioOFF/@/123456"_s, SW_SHOWNORMAL));
    EXPECT_FALSE(Shell(u"C:\\nowhere\\Pelsh.exe"_s, SW_SHOWNORMAL));
    EXPECT_FALSE(Shell(QString(), SW_SHOWNORMAL));
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()),
              (QStringList{u"1\tremind.exe\tRadioOFF/@/123456"_s, u"1\tC:\\nowhere\\Pelsh.exe\t"_s,
                           u"1\t\t"_s}));
}

TEST(Shell, OpensAreLoggedAsOpens)
{
    zuvtest::TempSuite suite;
    OpenURLInShell(u"http://www.example.cz/a b"_s);
    Shell(u"explorer https://zuv.example/"_s, SW_SHOWMINIMIZED);
    OpenURLInShell(u"www.example.cz"_s);
    EXPECT_EQ(zuvtest::logLines(suite.shellLog()),
              (QStringList{u"open\t\thttp://www.example.cz/a b"_s,
                           u"open\t\thttps://zuv.example/"_s, u"open\t\twww.example.cz"_s}));
}

TEST(Shell, ProgramStartReadsTheLauncherStyleAndArgument)
{
    zuvtest::TempSuite suite;
    QByteArray name = "prog", first = zuvtest::cp1250(u"Čau"_s), second = "světe";
    char* argv[] = {name.data(), first.data(), second.data(), nullptr};

    suite.setEnv("ZUV_SHOW", "2");
    ProgramStart start = takeProgramStart(3, argv);
    EXPECT_TRUE(start.startedBySuite);
    EXPECT_EQ(start.showStyle, SW_SHOWMINIMIZED);
    EXPECT_EQ(start.argument, CodePage::decode(QByteArray(first + ' ' + second)));
    EXPECT_TRUE(start.argument.startsWith(u"Čau "_s));
    EXPECT_FALSE(qEnvironmentVariableIsSet("ZUV_SHOW")) << "children must not inherit it";

    // Started by hand from a UTF-8 terminal.
    QByteArray utf8 = u"Čau"_s.toUtf8();
    char* byHand[] = {name.data(), utf8.data(), nullptr};
    start = takeProgramStart(2, byHand);
    EXPECT_FALSE(start.startedBySuite);
    EXPECT_EQ(start.showStyle, SW_SHOWNORMAL);
    EXPECT_EQ(start.argument, u"Čau"_s);
}
