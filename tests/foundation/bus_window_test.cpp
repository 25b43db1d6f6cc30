// The bus within one process: publishing, look-up, the command record and
// the replaced window procedure.
#include <QDir>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QWidget>
#include <foundation/bus/busfolder.h>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/bus/windowproc.h>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

struct Received
{
    quint32 dwData;
    quint64 sender;
    QByteArray bytes;
};

// A published window that records every record it gets.
struct RecordingWindow
{
    explicit RecordingWindow(const QString& caption, qint64 answer = -1)
    {
        window.setHandler([this, answer](quint32 d, quint64 s, const QByteArray& b) {
            got.push_back({d, s, b});
            return answer;
        });
        window.publish(caption);
    }
    BusWindow window;
    std::vector<Received> got;
};

} // namespace

TEST(BusWindow, CzechCaptionIsFoundAndTheRecordArrivesWhole)
{
    zuvtest::TempSuite suite;
    RecordingWindow shared(u"Zuv - sdílené soubory"_s);
    BusWindow sender;
    sender.publish(u"Zuv - Sorvanta"_s);

    const WindowRef found = FindWindowA(u"Zuv - sdílené soubory"_s);
    ASSERT_TRUE(found);
    EXPECT_EQ(found.id, shared.window.id());
    const QByteArray bytes = CodePage::encode(u"dw:Příliš žluťoučký kůň/@/x"_s);
    EXPECT_EQ(SendMessageA(found, 1, bytes, sender.id()), -1);
    ASSERT_EQ(shared.got.size(), 1u);
    EXPECT_EQ(shared.got[0].dwData, 1u);
    EXPECT_EQ(shared.got[0].sender, sender.id());
    EXPECT_EQ(shared.got[0].bytes, bytes);

    // The caption is published as the Windows-1250 bytes.
    const QStringList titles = QDir(suite.busDir()).entryList({u"*.title"_s});
    ASSERT_EQ(titles.size(), 2);
    QStringList contents;
    for (const QString& t : titles)
        contents << QString::fromLatin1(suite.read(u"bus/"_s + t).toHex());
    EXPECT_TRUE(contents.contains(
        QString::fromLatin1(CodePage::encode(u"Zuv - sdílené soubory"_s).toHex())));
}

TEST(BusWindow, LookupIsExactAndCaseSensitive)
{
    zuvtest::TempSuite suite;
    RecordingWindow radio(u"Sorvanta"_s);
    EXPECT_TRUE(FindWindowA(u"Sorvanta"_s));
    for (const QString& other :
         {u"sorvanta"_s, u"Sorvanta..."_s, u"Sorvant"_s, u""_s, u"Zuv - Sorvanta"_s})
        EXPECT_FALSE(FindWindowA(other)) << other.toStdString();
}

TEST(BusWindow, CaptionChangeAndTwoWindowsWithOneCaption)
{
    zuvtest::TempSuite suite;
    RecordingWindow first(u"Trolvik Zuv!"_s), second(u"Trolvik Zuv!"_s);
    EXPECT_EQ(ListWindows(), (QStringList{u"Trolvik Zuv!"_s, u"Trolvik Zuv!"_s}));

    first.window.publish(u"Sorvanta..."_s);
    EXPECT_EQ(FindWindowA(u"Trolvik Zuv!"_s).id, second.window.id());
    EXPECT_EQ(FindWindowA(u"Sorvanta..."_s).id, first.window.id());
    second.window.withdraw();
    EXPECT_FALSE(FindWindowA(u"Trolvik Zuv!"_s));
    EXPECT_EQ(ListWindows(), QStringList{u"Sorvanta..."_s});
}

TEST(BusWindow, AttachedWidgetFollowsItsTitleAndWithdrawsWhenDestroyed)
{
    zuvtest::TempSuite suite;
    BusWindow bus;
    auto* widget = new QWidget;
    widget->setWindowTitle(u"Zuv Recorder (Zuvnet)"_s);
    bus.attach(widget);
    EXPECT_TRUE(FindWindowA(u"Zuv Recorder (Zuvnet)"_s));
    widget->hide(); // a hidden window still exists
    widget->setWindowTitle(u"Zuv Recorder (Zuvnet)..."_s);
    EXPECT_FALSE(FindWindowA(u"Zuv Recorder (Zuvnet)"_s));
    EXPECT_TRUE(FindWindowA(u"Zuv Recorder (Zuvnet)..."_s));
    delete widget;
    EXPECT_TRUE(ListWindows().isEmpty());
    EXPECT_TRUE(QDir(suite.busDir()).entryList(QDir::Files | QDir::System).isEmpty());
}

TEST(BusWindow, FolderIsPrivate)
{
    zuvtest::TempSuite suite;
    RecordingWindow w(u"x"_s);
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(suite.busDir()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST(BusWindow, AFolderThatIsNotOursIsPassedBy)
{
    QTemporaryDir root;
    const QByteArray base = QFile::encodeName(root.path());
    QDir(root.path()).mkdir(u"target"_s);
    QFile::link(root.path() + u"/target"_s, root.path() + u"/link"_s);
    QDir(root.path()).mkdir(u"foreign"_s);
    const bool canGiveAway = ::chown((base + "/foreign").constData(), 65534, 65534) == 0;
    const QString chosen = Bus::firstPrivateFolder(
        {base + "/link", base + "/foreign", base + "/new/bus", base + "/last"});
    EXPECT_EQ(chosen, root.path() + u"/new/bus"_s) << "foreign folder given away: " << canGiveAway;
    struct stat info;
    ASSERT_EQ(::stat((base + "/new/bus").constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(Bus::firstPrivateFolder({base + "/link"}), QString());
    if (canGiveAway) {
        EXPECT_EQ(Bus::firstPrivateFolder({base + "/foreign"}), QString());
    }
}

TEST(BusWindow, PayloadLimits)
{
    zuvtest::TempSuite suite;
    RecordingWindow w(u"Zuv - Sorvanta"_s);
    const WindowRef target = FindWindowA(u"Zuv - Sorvanta"_s);

    const QByteArray largest(64 * 1024, 'a');
    EXPECT_EQ(SendMessageA(target, 1, largest, 0), -1);
    EXPECT_FALSE(SendMessageA(target, 1, largest + 'b', 0)) << "the sender refuses over 64 KiB";
    ASSERT_EQ(w.got.size(), 1u);
    EXPECT_EQ(w.got[0].bytes.size(), largest.size());

    // A record claiming more is dropped by the receiver, which goes on serving.
    QLocalSocket raw;
    raw.connectToServer(target.socketPath);
    ASSERT_TRUE(raw.waitForConnected(1000));
    QByteArray header("ZUV1");
    header += QByteArray("\x01\0\0\0", 4) + QByteArray(8, '\0') + QByteArray("\x00\x00\x02\x00", 4);
    raw.write(header + QByteArray(1000, 'x'));
    raw.flush();
    EXPECT_TRUE(zuvtest::waitFor([&] { return raw.state() == QLocalSocket::UnconnectedState; }));
    // Garbage that is no record at all.
    QLocalSocket junk;
    junk.connectToServer(target.socketPath);
    ASSERT_TRUE(junk.waitForConnected(1000));
    junk.write(QByteArray(40, '\xFF'));
    junk.flush();
    EXPECT_TRUE(zuvtest::waitFor([&] { return junk.state() == QLocalSocket::UnconnectedState; }));
    EXPECT_EQ(w.got.size(), 1u);
    EXPECT_EQ(SendMessageA(target, 1, "still here", 0), -1);
}

TEST(WindowProc, RecordsOfEveryKind)
{
    zuvtest::TempSuite suite;
    BusWindow window;
    window.publish(u"Eva [100001]"_s);
    QStringList commands;
    QList<quint32> unknown;
    SetSubclass(window, true,
                {[&](const QString& c) { commands << c; },
                 [&](quint32 d) {
                     unknown << d;
                 }});
    const WindowRef target = FindWindowA(u"Eva [100001]"_s);

    EXPECT_EQ(SendMessageA(target, 1, CodePage::encode(u"Ahoj, čtenáři"_s), 0), -1);
    EXPECT_EQ(SendMessageA(target, 2, "Fmax", 0), -1);
    EXPECT_EQ(SendMessageA(target, 1, QByteArray(), 0), -1) << "an empty command is ignored";
    EXPECT_EQ(commands, QStringList{u"Ahoj, čtenáři"_s});
    EXPECT_EQ(unknown, QList<quint32>{2});

    // Without the replaced procedure the window answers as a plain one.
    SetSubclass(window, false);
    EXPECT_EQ(SendMessageA(target, 1, "Fmax", 0), 0);
    EXPECT_EQ(commands.size(), 1);
}

TEST(CommandTable, IndependentTestsInOrderAndAThrowingStepIsSkipped)
{
    QStringList ran;
    CommandTable table;
    table.prefix(u"fmax"_s, [&](const QString& rest) { ran << u"fmax:"_s + rest; })
        .prefix(u"remoteplay"_s,
                [&](const QString&) {
                    ran << u"remoteplay"_s;
                    throw std::runtime_error("fewer than four fields");
                })
        .prefix(u"re"_s, [&](const QString& rest) { ran << u"re:"_s + rest; })
        .whole(u"play"_s, [&] { ran << u"play"_s; })
        .otherwise([&](const QString& text) { ran << u"other:"_s + text; });

    struct Row
    {
        QString command;
        QStringList expected;
    };
    const Row rows[] = {
        {u"fmaxXYZ"_s, {u"fmax:XYZ"_s}},
        {u"Fmax"_s, {u"other:Fmax"_s}},
        {u"remoteplay/@/15"_s, {u"remoteplay"_s, u"re:moteplay/@/15"_s}},
        {u"play"_s, {u"play"_s}},
        {u"playing"_s, {u"other:playing"_s}},
    };
    for (const Row& row : rows) {
        ran.clear();
        table.dispatch(row.command);
        EXPECT_EQ(ran, row.expected) << row.command.toStdString();
    }

    // Nothing a handler throws leaves the window procedure.
    WindowProcHooks hooks{[](const QString&) { throw 42; }, {}};
    EXPECT_EQ(WindowProc(hooks, 1, "x"), -1);
}
