// The accounts file and list without a window, and the pure parts of the
// POP3 check: fields of a reply, the STAT result and the server field.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <core/accounts.h>
#include <core/pop3.h>
#include <gtest/gtest.h>
#include <support/tempsuite.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zuv::mailcheck;
using zuvtest::cp1250;

namespace {

// The file's mode bits as the file system holds them.
unsigned modeOf(const QString& path)
{
    struct stat info
    {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

AccountList listOf(const QStringList& lines)
{
    AccountsFile file;
    file.lines = lines;
    AccountList list;
    list.load(file);
    return list;
}

} // namespace

TEST(AccountsFileTest, ReadsSettingsAndAccountLinesSkippingEmptyOnes)
{
    zuvtest::TempSuite suite;
    suite.write(QStringLiteral("Zuv_Data/img.jpg"),
                cp1250(QStringLiteral("[AUTO]1\r\n\r\n[interval]30\r\n"
                                      "Pošta|pop3.example.cz|jan|heslo|10|2\r\n\r\n"
                                      "short|host\r\n")));
    const auto file = readAccountsFile(suite.data(QStringLiteral("img.jpg")));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->autoCheck, "1");
    EXPECT_EQ(file->interval, "30");
    EXPECT_EQ(file->lines, (QStringList{QStringLiteral("Pošta|pop3.example.cz|jan|heslo|10|2"),
                                        QStringLiteral("short|host")}));

    suite.write(QStringLiteral("Zuv_Data/img.jpg"), "[auto]2\r\n[auto]x\r\n");
    EXPECT_EQ(readAccountsFile(suite.data(QStringLiteral("img.jpg")))->autoCheck, "0");
}

TEST(AccountsFileTest, MissingFileGivesDefaultsUnreadableGivesNothing)
{
    zuvtest::TempSuite suite;
    const auto missing = readAccountsFile(suite.data(QStringLiteral("img.jpg")));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->autoCheck, "0");
    EXPECT_EQ(missing->interval, "60");
    EXPECT_TRUE(missing->lines.isEmpty());

    // A folder in the file's place cannot be read, even by root, and is not
    // replaced.
    QDir(suite.data()).mkdir(QStringLiteral("img.jpg"));
    const QString path = suite.data(QStringLiteral("img.jpg"));
    EXPECT_FALSE(readAccountsFile(path));
    EXPECT_FALSE(writeAccountsFile(path, AccountsFile{}));
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST(AccountsFileTest, FileTheUserCannotReadIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    zuvtest::TempSuite suite;
    const QString path = suite.data(QStringLiteral("img.jpg"));
    suite.write(QStringLiteral("Zuv_Data/img.jpg"), "[auto]1\r\na|s|u|p|1|1\r\n");
    ::chmod(QFile::encodeName(path).constData(), 0);
    EXPECT_FALSE(readAccountsFile(path));
    EXPECT_FALSE(writeAccountsFile(path, AccountsFile{}));
    ::chmod(QFile::encodeName(path).constData(), 0600);
    EXPECT_EQ(suite.read(QStringLiteral("Zuv_Data/img.jpg")), "[auto]1\r\na|s|u|p|1|1\r\n");
}

TEST(AccountsFileTest, BytesAreCrLfWindows1250WithFinalEmptyLine)
{
    AccountsFile file;
    file.autoCheck = QStringLiteral("1");
    file.interval = QStringLiteral("15");
    file.lines = {QStringLiteral("Účet|s|u|p|1|0"), QString(), QStringLiteral("b|s|u|p|0|0")};
    EXPECT_EQ(
        accountsFileBytes(file),
        cp1250(QStringLiteral("[auto]1\r\n[interval]15\r\nÚčet|s|u|p|1|0\r\nb|s|u|p|0|0\r\n\r\n")));
}

TEST(AccountsFileTest, WriteIsPrivateAndNarrowsAWiderMode)
{
    zuvtest::TempSuite suite;
    const QString path = suite.data(QStringLiteral("img.jpg"));
    AccountsFile file;
    file.lines = {QStringLiteral("a|s|u|secret|0|0")};
    ASSERT_TRUE(writeAccountsFile(path, file));
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(suite.read(QStringLiteral("Zuv_Data/img.jpg")), accountsFileBytes(file));

    ::chmod(QFile::encodeName(path).constData(), 0644);
    file.lines.append(QStringLiteral("b|s|u|p|0|0"));
    ASSERT_TRUE(writeAccountsFile(path, file));
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(readAccountsFile(path)->lines, file.lines);
    // Nothing is left behind by the rewrite.
    EXPECT_EQ(QDir(suite.data()).entryList(QDir::Files), QStringList{QStringLiteral("img.jpg")});
}

TEST(AccountsFileTest, TouchCreatesPrivateFileAndKeepsExistingContent)
{
    zuvtest::TempSuite suite;
    const QString path = suite.data(QStringLiteral("img.jpg"));
    ASSERT_TRUE(touchAccountsFile(path));
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(suite.read(QStringLiteral("Zuv_Data/img.jpg")), "\r\n");

    suite.write(QStringLiteral("Zuv_Data/img.jpg"), "[auto]1\r\na|s|u|p|3|1\r\n");
    ASSERT_TRUE(touchAccountsFile(path));
    EXPECT_EQ(readAccountsFile(path)->lines, QStringList{QStringLiteral("a|s|u|p|3|1")});
}

TEST(AccountListTest, LoadShowsFieldsBoldWhenNewAboveZeroAndFirstOfTwoNames)
{
    const AccountList list = listOf(
        {QStringLiteral("Home|pop3.home|me|pw|10|2"), QStringLiteral("Work|pop3.work|boss|pw|5|0"),
         QStringLiteral("Home|other|second|pw2|1|1"), QStringLiteral("Short|host"),
         QStringLiteral("Old|s|u|p|5|10"), QStringLiteral("Bad|s|u|p|x|-1")});
    ASSERT_EQ(list.rows().size(), 5);
    const AccountRow& home = list.rows()[0];
    EXPECT_EQ(home.key, "pHome");
    EXPECT_EQ(home.server, "pop3.home");
    EXPECT_EQ(home.user, "me");
    EXPECT_EQ(home.total, "10");
    EXPECT_EQ(home.fresh, "2");
    EXPECT_EQ(home.size, "0");
    EXPECT_TRUE(home.last.isEmpty());
    EXPECT_TRUE(home.bold);
    EXPECT_FALSE(list.row(QStringLiteral("pWork"))->bold);
    // The texts "10" and "5" compare the wrong way round; the rule is new > 0.
    EXPECT_TRUE(list.row(QStringLiteral("pOld"))->bold);
    EXPECT_FALSE(list.row(QStringLiteral("pBad"))->bold);
    const AccountRow* shortRow = list.row(QStringLiteral("pShort"));
    EXPECT_EQ(shortRow->server, "host");
    EXPECT_TRUE(shortRow->user.isEmpty());
    EXPECT_TRUE(shortRow->total.isEmpty());
    EXPECT_EQ(list.password(QStringLiteral("pHome")), "pw");
    EXPECT_EQ(list.newSum(), 2 + 10);

    QStringList names;
    for (const AccountRow& row :
         listOf({QStringLiteral("beta"), QStringLiteral("Alpha"), QStringLiteral("gamma")})
             .sortedRows())
        names << row.name;
    EXPECT_EQ(names, (QStringList{QStringLiteral("Alpha"), QStringLiteral("beta"),
                                  QStringLiteral("gamma")}));
}

TEST(AccountListTest, SaveTakesCountsFromRowsForEveryLineOfTheKey)
{
    AccountList list = listOf({QStringLiteral("Home|h|u|p|1|0"), QStringLiteral("Short|host"),
                               QStringLiteral("Home|h2|u2|p2|7|7")});
    list.AktualizujUcet(QStringLiteral("pHome"), QStringLiteral("4"), QStringLiteral("1 KB"),
                        QTime(10, 0));
    list.setAutoCheck(QStringLiteral("1"));
    list.setInterval(QStringLiteral("45"));
    const AccountsFile saved = list.save();
    EXPECT_EQ(saved.autoCheck, "1");
    EXPECT_EQ(saved.interval, "45");
    EXPECT_EQ(saved.lines,
              (QStringList{QStringLiteral("Home|h|u|p|4|3"), QStringLiteral("Short|host||||"),
                           QStringLiteral("Home|h2|u2|p2|4|3")}));
}

TEST(AccountListTest, AddEditDuplicateAndRemove)
{
    AccountList list = listOf({QStringLiteral("Home|h|u|p|10|2")});
    list.EditAddNEW(QString(), QStringLiteral("Work"), QStringLiteral("boss"), QStringLiteral("pw"),
                    QStringLiteral("pop3.work"));
    EXPECT_EQ(list.lines(), (QStringList{QStringLiteral("Home|h|u|p|10|2"),
                                         QStringLiteral("Work|pop3.work|boss|pw|0|0")}));

    // A rename keeps the counts, the current ones of the row.
    list.AktualizujUcet(QStringLiteral("pHome"), QStringLiteral("11"), QStringLiteral("5 KB"),
                        QTime(9, 5, 1));
    list.EditAddNEW(QStringLiteral("pHome"), QStringLiteral("Domov"), QStringLiteral("u2"),
                    QStringLiteral("p2"), QStringLiteral("h2"));
    EXPECT_EQ(list.lines()[0], "Domov|h2|u2|p2|11|3");
    EXPECT_TRUE(list.row(QStringLiteral("pDomov"))->bold);
    EXPECT_FALSE(list.row(QStringLiteral("pHome")));

    list.remove(QStringLiteral("pWork"));
    list.remove(QStringLiteral("pDomov"));
    EXPECT_TRUE(list.rows().isEmpty());
    EXPECT_EQ(accountsFileBytes(list.save()), "[auto]0\r\n[interval]60\r\n\r\n");
}

TEST(AccountListTest, EditAndRemoveByKeyAffectBothLinesOfOneName)
{
    AccountList list =
        listOf({QStringLiteral("Same|a|u1|p1|3|1"), QStringLiteral("Other|o|u|p|0|0"),
                QStringLiteral("Same|b|u2|p2|9|9")});
    list.EditAddNEW(QStringLiteral("pSame"), QStringLiteral("Same"), QStringLiteral("x"),
                    QStringLiteral("y"), QStringLiteral("z"));
    EXPECT_EQ(list.lines(),
              (QStringList{QStringLiteral("Same|z|x|y|3|1"), QStringLiteral("Other|o|u|p|0|0"),
                           QStringLiteral("Same|z|x|y|3|1")}));
    list.remove(QStringLiteral("pSame"));
    EXPECT_EQ(list.lines(), QStringList{QStringLiteral("Other|o|u|p|0|0")});

    // A key no line has changes nothing.
    list.EditAddNEW(QStringLiteral("pNobody"), QStringLiteral("N"), QStringLiteral("u"),
                    QStringLiteral("p"), QStringLiteral("s"));
    EXPECT_EQ(list.lines(), QStringList{QStringLiteral("Other|o|u|p|0|0")});
}

TEST(AccountListTest, CheckResultsGrowFallAndStay)
{
    AccountList list = listOf({QStringLiteral("Box|s|u|p|10|1")});
    const QString key = QStringLiteral("pbox"); // keys match regardless of case
    struct Step
    {
        const char* count;
        const char* total;
        const char* fresh;
        bool bold;
    };
    const Step steps[] = {{"12", "12", "3", true},
                          {"4", "4", "0", false},
                          {"4", "4", "0", false},
                          {"NOT FOUND", "4", "0", false},
                          {"", "4", "0", false}};
    int minute = 0;
    for (const Step& step : steps) {
        const QString size = QStringLiteral("%1 KB").arg(++minute);
        list.AktualizujUcet(key, QString::fromLatin1(step.count), size, QTime(12, minute, 7));
        const AccountRow* row = list.row(QStringLiteral("pBox"));
        SCOPED_TRACE(step.count);
        EXPECT_EQ(row->total, step.total);
        EXPECT_EQ(row->fresh, step.fresh);
        EXPECT_EQ(row->bold, step.bold);
        // Size and time are stored whatever the count.
        EXPECT_EQ(row->size, size);
        EXPECT_EQ(row->last, QTime(12, minute, 7).toString(QStringLiteral("H:mm:ss")));
    }

    list.AktualizujUcet(key, QStringLiteral("6"), QStringLiteral("1 KB"), QTime(13, 0));
    EXPECT_TRUE(list.row(QStringLiteral("pBox"))->bold);
    list.markRead(QStringLiteral("pBox"));
    EXPECT_FALSE(list.row(QStringLiteral("pBox"))->bold);
    EXPECT_EQ(list.row(QStringLiteral("pBox"))->fresh, "0");
    EXPECT_EQ(list.newSum(), 0);
}

TEST(AccountListTest, FieldsWithSeparatorOrLineBreakDoNotFit)
{
    EXPECT_TRUE(fitsAccountField(QStringLiteral("pop3.example.cz")));
    EXPECT_TRUE(fitsAccountField(QString()));
    for (const char* bad : {"pa|ss", "|", "a\nb", "a\rb"})
        EXPECT_FALSE(fitsAccountField(QString::fromLatin1(bad))) << bad;
}

TEST(Pop3TextTest, FieldAfterSeparator)
{
    struct Case
    {
        const char* text;
        int n;
        const char* separator;
        const char* field;
    };
    const Case cases[] = {
        {"+OK 7 51200", 0, " ", "+OK"},
        {"+OK 7 51200", 1, " ", "7"},
        {"+OK 7 51200", 2, " ", "51200"},
        {"+OK 7 51200", 3, " ", "NOT FOUND"},
        {"+OK", 0, " ", "+OK"},
        {"+OK", 1, " ", "NOT FOUND"},
        {"a  b", 1, " ", ""},
        {"a  b", 2, " ", "b"},
        {"a||b", 2, "||", "NOT FOUND"},
        {"a||b", 1, "||", "b"},
        {"abc", 1, "", "NOT FOUND"},
        {"abc", -1, " ", "NOT FOUND"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(
            Get_After_Seperator(QString::fromLatin1(c.text), c.n, QString::fromLatin1(c.separator)),
            QString::fromLatin1(c.field))
            << c.text << " " << c.n;
}

TEST(Pop3TextTest, StatResultCountsAndRoundsKilobytes)
{
    struct Case
    {
        const char* reply;
        const char* count;
        const char* size;
    };
    const Case cases[] = {
        {"+OK 7 51200", "7", "50 KB"},
        {"+OK 3 1500", "3", "1 KB"},
        {"+OK 3 1500\r\n", "3", "1 KB"},
        {"+OK 1 512", "1", "1 KB"},
        {"+OK 1 511", "1", "0 KB"},
        {"+OK 0 0", "0", "0 KB"},
        {"+OK", "NOT FOUND", "0 KB"},
        {"+OK many bytes", "many", "0 KB"},
        {"+OK 2 3000000000", "2", "2929688 KB"},
    };
    for (const Case& c : cases) {
        const StatResult result = statResult(QString::fromLatin1(c.reply));
        EXPECT_EQ(result.count, QString::fromLatin1(c.count)) << c.reply;
        EXPECT_EQ(result.size, QString::fromLatin1(c.size)) << c.reply;
    }
}

TEST(Pop3TextTest, ServerFieldPicksHostPortAndTls)
{
    struct Case
    {
        const char* field;
        const char* host;
        int port;
        bool tls;
    };
    const Case good[] = {
        {"pop3.example.cz", "pop3.example.cz", 110, false},
        {" pop3.example.cz ", "pop3.example.cz", 110, false},
        {"pop3.example.cz:1110", "pop3.example.cz", 1110, false},
        {"pop3.example.cz:995", "pop3.example.cz", 995, true},
        {"pop3s://pop3.example.cz", "pop3.example.cz", 995, true},
        {"POP3S://mail.example.cz:2995/", "mail.example.cz", 2995, true},
        {"[::1]:995", "::1", 995, true},
        {"::1", "::1", 110, false},
    };
    for (const Case& c : good) {
        const auto server = parseMailServer(QString::fromLatin1(c.field));
        ASSERT_TRUE(server) << c.field;
        EXPECT_EQ(server->host, QString::fromLatin1(c.host)) << c.field;
        EXPECT_EQ(server->port, c.port) << c.field;
        EXPECT_EQ(server->implicitTls, c.tls) << c.field;
    }
    for (const char* bad : {"", "pop3s://", "host:", "host:0", "host:65536", "host:x", "[::1",
                            "[::1]x", "a host", "host/path"})
        EXPECT_FALSE(parseMailServer(QString::fromLatin1(bad))) << bad;
}
