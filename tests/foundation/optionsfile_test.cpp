#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <foundation/filelock.h>
#include <foundation/optionsfile.h>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <string>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

// The line prefixes of options.ini as every program of the suite expects them.
const QStringList kPrefixes = {
    u"#000:Rezerva:"_s,    u"#001:Rezerva:"_s,     u"#002:Rezerva:"_s,      u"#003:Rezerva:"_s,
    u"#004:Rezerva:"_s,    u"#005:Zuvid:"_s,       u"#006:Zuvpass:"_s,      u"#007:Zuvnick:"_s,
    u"#008:Zuvnalada:"_s,  u"#009:Zuvmode:"_s,     u"#010:Zuvspeed:"_s,     u"#011:SVTop:"_s,
    u"#012:SVLast:"_s,     u"#013:SVautoStart:"_s, u"#014:Zuvzobrazeni:"_s, u"#015:Zuvtree:"_s,
    u"#016:ZuvsvStart:"_s, u"#017:Rezerva:"_s,     u"#018:Zuv:"_s,          u"#019:Zuvrezim:"_s,
    u"#020:SVvolume:"_s,   u"#021:SVskin:"_s,      u"#022:SVpleft:"_s,      u"#023:SVptop:"_s,
    u"#024:PostrelRun:"_s, u"#025:Rezerva:"_s,     u"#026:ZuvHeight:"_s,    u"#027:ZuvFx:"_s,
    u"#028:ZuvFy:"_s,      u"#029:Zuvset:"_s,
};

// A complete file with a value of its own on every line: "v0" ... "v29".
QStringList filledLines()
{
    QStringList lines;
    for (int i = 0; i < kPrefixes.size(); ++i)
        lines.append(kPrefixes[i] + u'v' + QString::number(i));
    return lines;
}

QByteArray joined(const QStringList& lines, const QByteArray& ending)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += zuvtest::cp1250(line) + ending;
    return bytes;
}

QByteArray crlf(const QStringList& lines)
{
    return joined(lines, "\r\n");
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class OptionsFileTest : public ::testing::Test
{
protected:
    QString path() const { return suite.data(u"options.ini"_s); }
    QByteArray onDisk() const { return readFile(path()); }
    void put(const QByteArray& bytes) const { suite.write(u"Zuv_Data/options.ini"_s, bytes); }

    zuvtest::TempSuite suite;
};

// ---------------------------------------------------------------------------
// Complete files in the shapes other editors and older versions leave them.

struct Layout
{
    const char* name;
    QByteArray bytes;
};

void PrintTo(const Layout& row, std::ostream* os)
{
    *os << row.name;
}

std::vector<Layout> layouts()
{
    const QStringList lines = filledLines();
    QStringList gappy = lines;
    gappy.insert(18, QString());
    gappy.insert(18, QString());
    gappy.insert(4, QString());
    gappy.prepend(QString());
    gappy.append(QString());
    QByteArray noLastEnding = crlf(lines);
    noLastEnding.chop(2);
    return {
        {"CrLf", crlf(lines)},
        {"LfOnly", joined(lines, "\n")},
        {"EmptyLinesBetween", crlf(gappy)},
        {"LfWithEmptyLinesBetween", joined(gappy, "\n")},
        {"LastLineWithoutEnding", noLastEnding},
    };
}

class OptionsFileLayout : public OptionsFileTest, public ::testing::WithParamInterface<Layout>
{};

TEST_P(OptionsFileLayout, ReadsEveryValueAtItsPositionAndSavesCanonically)
{
    put(GetParam().bytes);
    OptionsFile file(path());
    ASSERT_TRUE(file.load());
    EXPECT_EQ(file.lines(), filledLines());
    for (int i = 0; i < kPrefixes.size(); ++i)
        EXPECT_EQ(file.value(i, kPrefixes[i].size()), u'v' + QString::number(i)) << "line " << i;
    // Reading a complete file never rewrites it.
    EXPECT_EQ(onDisk(), GetParam().bytes);

    // The next save drops the empty lines and ends every line with CR LF.
    ASSERT_TRUE(file.save({{OptionKeys::Zuvnick, u"Eva"_s}}));
    QStringList expected = filledLines();
    expected[7] = u"#007:Zuvnick:Eva"_s;
    EXPECT_EQ(onDisk(), crlf(expected));
    EXPECT_EQ(file.lines(), expected);
}

INSTANTIATE_TEST_SUITE_P(Shapes, OptionsFileLayout, ::testing::ValuesIn(layouts()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Missing and short files are brought to 30 lines before anything is read.

struct ShortFile
{
    const char* name;
    std::optional<QStringList> given; // nothing: no file at all
    QStringList expected;
};

void PrintTo(const ShortFile& row, std::ostream* os)
{
    *os << row.name;
}

QStringList prefixesWith(std::initializer_list<std::pair<int, QString>> lines)
{
    QStringList result = kPrefixes;
    for (const auto& [position, line] : lines)
        result[position] = line;
    return result;
}

std::vector<ShortFile> shortFiles()
{
    const QStringList filled = filledLines();
    return {
        {"Missing", std::nullopt, kPrefixes},
        {"Empty", QStringList{}, kPrefixes},
        {"FirstTenLines", filled.mid(0, 10), filled.mid(0, 10) + kPrefixes.mid(10)},
        // Lines that carry their own numbers go back to those positions.
        {"NumberedLinesWithGaps",
         QStringList{u"#005:Zuvid:42"_s, u"#007:Zuvnick:Eva"_s, u"#029:Zuvset:14@0"_s},
         prefixesWith(
             {{5, u"#005:Zuvid:42"_s}, {7, u"#007:Zuvnick:Eva"_s}, {29, u"#029:Zuvset:14@0"_s}})},
        {"NumberedLinesWithEmptyLines",
         QStringList{u""_s, u"#000:Rezerva:r"_s, u""_s, u"#002:Rezerva:s"_s, u""_s},
         prefixesWith({{0, u"#000:Rezerva:r"_s}, {2, u"#002:Rezerva:s"_s}})},
        // Without usable numbers the lines keep their order and the tail is added.
        {"UnnumberedLine", QStringList{u"hello"_s, u"#001:Rezerva:x"_s},
         QStringList{u"hello"_s, u"#001:Rezerva:x"_s} + kPrefixes.mid(2)},
        {"RepeatedNumber", QStringList{u"#005:Zuvid:1"_s, u"#005:Zuvid:2"_s},
         QStringList{u"#005:Zuvid:1"_s, u"#005:Zuvid:2"_s} + kPrefixes.mid(2)},
        {"NumberBeyondTheFile", QStringList{u"#030:Navic:1"_s},
         QStringList{u"#030:Navic:1"_s} + kPrefixes.mid(1)},
    };
}

class OptionsFileShort : public OptionsFileTest, public ::testing::WithParamInterface<ShortFile>
{};

TEST_P(OptionsFileShort, IsCreatedOrPaddedWithTheKeyPrefixes)
{
    if (GetParam().given)
        put(crlf(*GetParam().given));
    OptionsFile file(path());
    ASSERT_TRUE(file.load());
    EXPECT_EQ(file.lines(), GetParam().expected);
    EXPECT_EQ(onDisk(), crlf(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Repairs, OptionsFileShort, ::testing::ValuesIn(shortFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OptionsFileTest, DefaultsToTheFileInTheDataFolder)
{
    OptionsFile file;
    EXPECT_EQ(file.path(), path());
    ASSERT_TRUE(file.load());
    EXPECT_EQ(onDisk(), crlf(kPrefixes));
}

TEST_F(OptionsFileTest, LinesBeyondThirtyAreCarriedAlong)
{
    const QStringList lines = filledLines() + QStringList{u"#030:Navic:1"_s, u"#031:Navic:2"_s};
    put(crlf(lines));
    OptionsFile file(path());
    ASSERT_TRUE(file.load());
    ASSERT_TRUE(file.save({{OptionKeys::Zuvset, u"14@0"_s}}));
    QStringList expected = lines;
    expected[29] = u"#029:Zuvset:14@0"_s;
    EXPECT_EQ(onDisk(), crlf(expected));
}

// ---------------------------------------------------------------------------

TEST_F(OptionsFileTest, ValueIsCutAtThePrefixLengthWhateverTheKeySays)
{
    QStringList lines = kPrefixes;
    lines[5] = u"#105:Zuvix:77"_s;      // the same length as "#005:Zuvid:"
    lines[7] = u"#007:Prezdiv:Eva"_s;   // the same length as "#007:Zuvnick:"
    lines[8] = u"#008:Zuvnalada::))"_s; // the value itself holds colons
    lines[9] = u"#009:"_s;              // shorter than its prefix
    lines[10] = u"#010:Zuvspeed: 5 "_s; // spaces belong to the value
    put(crlf(lines));
    OptionsFile file(path());
    ASSERT_TRUE(file.load());
    EXPECT_EQ(file.value(OptionKeys::Zuvid), u"77"_s);
    EXPECT_EQ(file.value(OptionKeys::Zuvnick), u"Eva"_s);
    EXPECT_EQ(file.value(OptionKeys::Zuvnalada), u":))"_s);
    EXPECT_EQ(file.value(OptionKeys::Zuvmode), QString());
    EXPECT_EQ(file.value(OptionKeys::Zuvspeed), u" 5 "_s);
    EXPECT_EQ(file.value(30, 0), QString());
    EXPECT_EQ(file.value(-1, 0), QString());
}

TEST_F(OptionsFileTest, SaveKeepsWhatAnotherProgramSavedMeanwhile)
{
    put(crlf(kPrefixes));
    OptionsFile mine(path());
    OptionsFile theirs(path());
    ASSERT_TRUE(mine.load());
    ASSERT_TRUE(theirs.load());
    ASSERT_TRUE(theirs.save({{OptionKeys::SVTop, u"1"_s}, {OptionKeys::SVLast, u"Rádio Čechy"_s}}));
    ASSERT_TRUE(mine.save({{OptionKeys::Zuvnick, u"Eva"_s}}));

    const QStringList expected = prefixesWith(
        {{7, u"#007:Zuvnick:Eva"_s}, {11, u"#011:SVTop:1"_s}, {12, u"#012:SVLast:Rádio Čechy"_s}});
    EXPECT_EQ(mine.lines(), expected);
    EXPECT_EQ(onDisk(), crlf(expected));
    EXPECT_TRUE(onDisk().contains("#012:SVLast:R\xE1"
                                  "dio \xC8"
                                  "echy\r\n"));
}

// ---------------------------------------------------------------------------
// A file that is there but cannot be read is never replaced: it may hold
// every program's settings.

struct Unreadable
{
    const char* name;
    void (*make)(const QString& path);
};

void PrintTo(const Unreadable& row, std::ostream* os)
{
    *os << row.name;
}

void chmodTo(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

// A socket cannot be opened as a file, not even by root.
void replaceBySocket(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    ASSERT_EQ(::unlink(name.constData()), 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(size_t(name.size()), sizeof(address.sun_path));
    std::copy(name.begin(), name.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    const int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address));
    ::close(fd);
    ASSERT_EQ(bound, 0);
}

struct Identity
{
    ino_t inode;
    off_t size;
    timespec modified;
    bool operator==(const Identity& other) const
    {
        return inode == other.inode && size == other.size &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

void PrintTo(const Identity& id, std::ostream* os)
{
    *os << "inode " << id.inode << ", " << id.size << " bytes";
}

Identity identity(const QString& path)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {info.st_ino, info.st_size, info.st_mtim};
}

class OptionsFileUnreadable : public OptionsFileTest,
                              public ::testing::WithParamInterface<Unreadable>
{};

TEST_P(OptionsFileUnreadable, IsNeverOverwritten)
{
    put(crlf(filledLines()));
    OptionsFile loadedBefore(path());
    ASSERT_TRUE(loadedBefore.load());
    GetParam().make(path());
    if (QFile file(path()); file.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "this user can still read the file";
    const Identity before = identity(path());

    OptionsFile fresh(path());
    EXPECT_FALSE(fresh.load());
    EXPECT_FALSE(fresh.save({{OptionKeys::Zuvnick, u"Eva"_s}}));
    // Lines read earlier are no reason to write over what is there now.
    EXPECT_FALSE(loadedBefore.save({{OptionKeys::Zuvnick, u"Eva"_s}}));
    EXPECT_EQ(identity(path()), before);
}

INSTANTIATE_TEST_SUITE_P(Kinds, OptionsFileUnreadable,
                         ::testing::Values(Unreadable{"WriteOnly",
                                                      [](const QString& p) {
                                                          chmodTo(p, 0200);
                                                      }},
                                           Unreadable{"NoPermissions",
                                                      [](const QString& p) {
                                                          chmodTo(p, 0);
                                                      }},
                                           Unreadable{"Socket", replaceBySocket}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Several processes saving at once, and a process dying in the middle of a
// save. The optionswriter helper owns these lines and writes "a<i>" / "b<i>".

constexpr int kOwnedByA[] = {5, 6, 7, 8, 9};
constexpr int kOwnedByB[] = {20, 21, 22, 23, 24};

struct Snapshot
{
    int a = -1; // the i of the writer's last save seen, -1 before its first
    int b = -1;
};

// One writer's lines must all hold the value of one and the same save.
::testing::AssertionResult ownValue(const QStringList& lines, const int (&owned)[5], QChar letter,
                                    int* number)
{
    const QString first = lines[owned[0]].mid(kPrefixes[owned[0]].size());
    for (int position : owned) {
        if (lines[position].mid(kPrefixes[position].size()) != first)
            return ::testing::AssertionFailure()
                   << "line " << position << " is \"" << lines[position].toStdString()
                   << "\" beside \"" << first.toStdString() << '"';
    }
    if (first.isEmpty()) {
        *number = -1;
        return ::testing::AssertionSuccess();
    }
    bool ok = false;
    *number = first.mid(1).toInt(&ok);
    if (!first.startsWith(letter) || !ok)
        return ::testing::AssertionFailure() << "foreign value \"" << first.toStdString() << '"';
    return ::testing::AssertionSuccess();
}

// A whole, well-formed file as the writers leave it: 30 lines ended by CR LF,
// each with its own prefix, untouched lines empty.
::testing::AssertionResult wellFormed(const QByteArray& bytes, Snapshot* seen)
{
    if (!bytes.endsWith("\r\n"))
        return ::testing::AssertionFailure() << bytes.size() << " bytes, no CR LF at the end";
    QStringList lines = QString::fromLatin1(bytes).split(u"\r\n"_s);
    lines.removeLast();
    if (lines.size() != kPrefixes.size())
        return ::testing::AssertionFailure() << lines.size() << " lines";
    for (int i = 0; i < lines.size(); ++i) {
        const bool owned =
            std::find(std::begin(kOwnedByA), std::end(kOwnedByA), i) != std::end(kOwnedByA) ||
            std::find(std::begin(kOwnedByB), std::end(kOwnedByB), i) != std::end(kOwnedByB);
        const QString& line = lines[i];
        if (!line.startsWith(kPrefixes[i]) || line.contains(u'\n') || line.contains(u'\r') ||
            (!owned && line != kPrefixes[i]))
            return ::testing::AssertionFailure()
                   << "line " << i << " is \"" << line.toStdString() << '"';
    }
    if (auto result = ownValue(lines, kOwnedByA, u'a', &seen->a); !result)
        return result;
    return ownValue(lines, kOwnedByB, u'b', &seen->b);
}

TEST_F(OptionsFileTest, TwoWritingProcessesLoseNoLineAndNeverLeaveAPartialFile)
{
    constexpr int saves = 500;
    put(crlf(kPrefixes));
    const QString start = suite.path(u"start"_s);
    const QString writer = zuvtest::helperPath(u"optionswriter"_s);
    QProcess a;
    QProcess b;
    a.start(writer, {path(), u"a"_s, QString::number(saves), start});
    b.start(writer, {path(), u"b"_s, QString::number(saves), start});
    ASSERT_TRUE(a.waitForStarted());
    ASSERT_TRUE(b.waitForStarted());
    suite.write(u"start"_s, {});

    Snapshot last;
    int reads = 0;
    bool overlapped = false; // a reading caught both writers midway
    QElapsedTimer clock;
    clock.start();
    while (a.state() != QProcess::NotRunning || b.state() != QProcess::NotRunning) {
        Snapshot now;
        ASSERT_TRUE(wellFormed(readFile(path()), &now)) << "reading " << reads;
        // A save made from an outdated copy would turn the other's lines back.
        ASSERT_GE(now.a, last.a) << "reading " << reads;
        ASSERT_GE(now.b, last.b) << "reading " << reads;
        overlapped =
            overlapped || (now.a >= 0 && now.a < saves - 1 && now.b >= 0 && now.b < saves - 1);
        last = now;
        ++reads;
        ASSERT_LT(clock.elapsed(), 100000) << "the writers did not finish";
        QCoreApplication::processEvents();
    }

    for (QProcess* process : {&a, &b}) {
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
    }
    Snapshot done;
    ASSERT_TRUE(wellFormed(readFile(path()), &done));
    EXPECT_EQ(done.a, saves - 1);
    EXPECT_EQ(done.b, saves - 1);
    EXPECT_TRUE(overlapped) << "the writers never ran at the same time (" << reads << " readings)";
}

TEST_F(OptionsFileTest, AWriterKilledAtAnyMomentLeavesAWholeFile)
{
    put(crlf(kPrefixes));
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> pauseMs(0, 9);

    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE(::testing::Message() << "round " << round);
        QProcess writer;
        writer.start(zuvtest::helperPath(u"optionswriter"_s), {path(), u"a"_s, u"1000000"_s});
        ASSERT_TRUE(writer.waitForStarted());
        // Kill it only once it is saving, somewhere within a save or between two.
        const QByteArray before = readFile(path());
        ASSERT_TRUE(zuvtest::waitFor([&] { return readFile(path()) != before; }, 20000));
        QThread::msleep(pauseMs(random));
        writer.kill();
        ASSERT_TRUE(writer.waitForFinished());
        EXPECT_EQ(writer.exitStatus(), QProcess::CrashExit);

        Snapshot seen;
        ASSERT_TRUE(wellFormed(readFile(path()), &seen));
        EXPECT_GE(seen.a, 0);
        // The other programs are not locked out by the dead writer.
        EXPECT_TRUE(FileLock(path() + u".lock"_s, FileLock::Mode::TryOnly).isLocked());
    }
}

} // namespace
