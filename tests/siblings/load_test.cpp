// The downloader as the suite uses it: the real program against a real HTTP
// server on loopback.
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <atomic>
#include <core/loadrequest.h>
#include <csignal>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/sendmessage.h>
#include <foundation/bus/windowproc.h>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <support/processes.h>
#include <support/tempsuite.h>
#include <support/testhttpserver.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace zuv;

namespace {

QString base(zuvtest::TestHttpServer& server)
{
    return QString::fromStdString(server.base());
}

// Runs load (or load2) with the argument as the suite does and waits for it.
struct LoadRun
{
    int exitCode = -1;
    QString error;
};
LoadRun runLoad(const QString& argument, const QString& name = u"load"_s)
{
    QProcess p;
    p.start(zuvtest::suitePath(name), {argument});
    p.waitForFinished(70000);
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
}

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& c : bytes)
        c = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

} // namespace

TEST(LoadArgument, ReplyFileAddressAndShow)
{
    struct Row
    {
        QString argument;
        QString url, replyFile;
        bool show;
    };
    const Row rows[] = {
        {u"http://h/zuv/all.php?id=1&h=x/@/C:\\Zuv\\zuv.tt"_s, u"http://h/zuv/all.php?id=1&h=x"_s,
         u"C:\\Zuv\\zuv.tt"_s, false},
        {u"http://h/a/@//d/zuv_add.tt/@/show"_s, u"http://h/a"_s, u"/d/zuv_add.tt"_s, true},
        {u"http://h/a?t=x/@/y/@//d\\zuv_add.tt/@/show"_s, u"http://h/a?t=x/@/y"_s,
         u"/d\\zuv_add.tt"_s, true},
        {u"http://h/a/@//d/showme.tt"_s, u"http://h/a"_s, u"/d/showme.tt"_s, false},
    };
    for (const Row& row : rows) {
        const auto parsed = load::parseLoadArgument(row.argument);
        ASSERT_TRUE(parsed) << row.argument.toStdString();
        EXPECT_EQ(parsed->url, row.url);
        EXPECT_EQ(parsed->replyFile, row.replyFile);
        EXPECT_EQ(parsed->show, row.show);
    }
    for (const QString& bad :
         {u""_s, u"http://h/a"_s, u"/@/file"_s, u"http://h/@/"_s, u"/@/show"_s})
        EXPECT_FALSE(load::parseLoadArgument(bad)) << bad.toStdString();
}

TEST(Load, AddressGoesAsBuiltWithSpacesAndCzechLettersEncoded)
{
    zuvtest::TempSuite suite;
    zuvtest::TestHttpServer server;
    server.routes().Get(".*", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok", "text/plain");
    });
    server.start();
    const QString url =
        base(server) +
        u"/zuv/message_add.php?id=100001&h=a#b&text=Ahoj ěščřžýáíé \\ *.and 50%/x?#&to=1"_s;
    ASSERT_EQ(runLoad(url + u"/@/"_s + suite.dir() + u"\\zuv_add.tt/@/show"_s).exitCode, 0);
    ASSERT_EQ(server.targets().size(), 1u);
    EXPECT_EQ(server.targets()[0],
              "/zuv/message_add.php?id=100001&h=a%23b&text=Ahoj%20%EC%9A%E8%F8%9E%FD%E1"
              "%ED%E9%20\\%20*.and%2050%/x%3F%23&to=1");
    EXPECT_EQ(suite.read(u"zuv_add.tt"_s), "ok");
    EXPECT_FALSE(QFileInfo::exists(suite.path(u"zuv_add.tt/@/show"_s)));
}

TEST(Load, BodyArrivesByteForByteAndNeverPartially)
{
    zuvtest::TempSuite suite;
    const QByteArray body = randomBytes(5 * 1024 * 1024);
    zuvtest::TestHttpServer server;
    server.routes().Get("/big", [&](const httplib::Request&, httplib::Response& res) {
        // Sent in slices with pauses, so a poller has time to look.
        res.set_chunked_content_provider(
            "application/octet-stream",
            [&, sent = size_t(0)](size_t, httplib::DataSink& sink) mutable {
                const size_t slice = std::min<size_t>(256 * 1024, body.size() - sent);
                sink.write(body.constData() + sent, slice);
                sent += slice;
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                if (sent == size_t(body.size()))
                    sink.done();
                return true;
            });
    });
    server.start();
    suite.write(u"zuv.tt"_s, "old reply");

    std::atomic<bool> done{false};
    std::atomic<int> partial{0}, looks{0};
    std::thread poller([&] {
        while (!done) {
            QFile f(suite.path(u"zuv.tt"_s));
            if (f.open(QIODevice::ReadOnly)) {
                const QByteArray seen = f.readAll();
                if (seen != "old reply" && seen != body)
                    ++partial;
                ++looks;
            }
        }
    });
    QProcess p;
    p.start(zuvtest::suitePath(u"load"_s),
            {base(server) + u"/big/@/"_s + suite.dir() + u"/zuv.tt"_s});
    p.waitForFinished(60000);
    done = true;
    poller.join();
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(partial, 0) << "looks: " << looks;
    EXPECT_GT(looks, 10);
    EXPECT_TRUE(suite.read(u"zuv.tt"_s) == body);
    EXPECT_EQ(QDir(suite.dir()).entryList({u"zuv.tt*"_s}), QStringList{u"zuv.tt"_s});
}

// Slices of `body` with a pause after each; with `failAfter` the connection
// is cut once that many bytes are out, so the reply ends in part.
httplib::ContentProviderWithoutLength slowBody(const QByteArray& body, size_t slice,
                                               size_t failAfter = SIZE_MAX)
{
    return [&body, slice, failAfter, sent = size_t(0)](size_t, httplib::DataSink& sink) mutable {
        if (sent >= failAfter)
            return false;
        const size_t n = std::min<size_t>(slice, size_t(body.size()) - sent);
        sink.write(body.constData() + sent, n);
        sent += n;
        std::this_thread::sleep_for(std::chrono::milliseconds(60));
        if (sent == size_t(body.size()))
            sink.done();
        return true;
    };
}

// What a caller watching the part file saw while a load ran.
struct Watched
{
    QList<qint64> partSizes; // each size of the part file seen, in order, without repeats
    bool replyWithPart = false;
    LoadRun run;
};

Watched watchLoad(const QString& argument, const QString& reply)
{
    const QString part = reply + u".part"_s;
    Watched watched;
    QProcess p;
    p.start(zuvtest::suitePath(u"load"_s), {argument});
    while (!p.waitForFinished(5)) {
        const QFileInfo info(part);
        if (!info.exists())
            continue;
        if (watched.partSizes.isEmpty() || watched.partSizes.last() != info.size())
            watched.partSizes.append(info.size());
        if (QFileInfo::exists(reply))
            watched.replyWithPart = true;
    }
    watched.run = {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardError())};
    return watched;
}

TEST(Load, SlowReplyGrowsItsPartFileAndAFailedOneLeavesNeitherFile)
{
    zuvtest::TempSuite suite;
    const QByteArray body = randomBytes(64 * 1024);
    zuvtest::TestHttpServer server;
    server.routes().Get("/slow", [&](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream", slowBody(body, 8 * 1024));
    });
    server.routes().Get("/cut", [&](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream",
                                         slowBody(body, 8 * 1024, 32 * 1024));
    });
    server.start();
    const QString reply = suite.path(u"seznam.tt"_s);

    const Watched slow = watchLoad(base(server) + u"/slow/@/"_s + reply, reply);
    EXPECT_EQ(slow.run.exitCode, 0) << slow.run.error.toStdString();
    // Sizes between nothing and all of it: the body went out as it came.
    const auto between = std::count_if(slow.partSizes.begin(), slow.partSizes.end(),
                                       [&](qint64 n) { return n > 0 && n < body.size(); });
    EXPECT_GE(between, 3) << "sizes seen: " << slow.partSizes.size();
    EXPECT_TRUE(std::is_sorted(slow.partSizes.begin(), slow.partSizes.end()));
    EXPECT_FALSE(slow.replyWithPart) << "the reply appeared before its part was gone";
    EXPECT_TRUE(suite.read(u"seznam.tt"_s) == body);
    EXPECT_EQ(QDir(suite.dir()).entryList({u"seznam.tt*"_s}), QStringList{u"seznam.tt"_s});

    QFile::remove(reply);
    const Watched cut = watchLoad(base(server) + u"/cut/@/"_s + reply, reply);
    EXPECT_EQ(cut.run.exitCode, 1);
    EXPECT_FALSE(cut.partSizes.isEmpty());
    EXPECT_GT(cut.partSizes.last(), 0) << "the part that came was not written as it came";
    EXPECT_TRUE(QDir(suite.dir()).entryList({u"seznam.tt*"_s}).isEmpty());
}

TEST(Load, TwoLoadsOfOneReplyTakeTurns)
{
    zuvtest::TempSuite suite;
    const QByteArray first = randomBytes(48 * 1024);
    zuvtest::TestHttpServer server;
    server.routes().Get("/first", [&](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream", slowBody(first, 8 * 1024));
    });
    server.routes().Get("/second", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("second reply", "text/plain");
    });
    server.start();
    const QString reply = suite.path(u"zuv.tt"_s);
    QProcess a;
    a.start(zuvtest::suitePath(u"load"_s), {base(server) + u"/first/@/"_s + reply});
    ASSERT_TRUE(zuvtest::waitFor([&] { return QFileInfo(reply + u".part"_s).size() > 0; }));
    // The second waits for the first instead of writing into its part.
    QProcess b;
    b.start(zuvtest::suitePath(u"load"_s), {base(server) + u"/second/@/"_s + reply});
    ASSERT_TRUE(a.waitForFinished(20000));
    EXPECT_EQ(a.exitCode(), 0);
    ASSERT_TRUE(b.waitForFinished(20000));
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
    EXPECT_EQ(suite.read(u"zuv.tt"_s), "second reply");
    EXPECT_EQ(QDir(suite.dir()).entryList({u"zuv.tt*"_s}), QStringList{u"zuv.tt"_s});
}

TEST(Load, FailureWritesNothing)
{
    zuvtest::TempSuite suite;
    zuvtest::TestHttpServer server;
    server.routes().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
        res.status = 404;
        res.set_content("not here", "text/plain");
    });
    server.routes().Get("/error", [](const httplib::Request&, httplib::Response& res) {
        res.status = 500;
        res.set_content("boom", "text/plain");
    });
    server.routes().Get("/loop", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("/loop");
    });
    server.start();
    const QString closedPort = u"http://127.0.0.1:1/x"_s;
    for (const QString& url : {base(server) + u"/missing"_s, base(server) + u"/error"_s,
                               base(server) + u"/loop"_s, closedPort}) {
        // The password never reaches the terminal: scheme, host and path do.
        const QString query = u"?id=100001&h=tajne#heslo"_s;
        const LoadRun run = runLoad(url + query + u"/@/"_s + suite.dir() + u"/zuvlogin.tt"_s);
        EXPECT_EQ(run.exitCode, 1) << url.toStdString();
        EXPECT_TRUE(run.error.startsWith(u"load: "_s + url + u": "_s)) << run.error.toStdString();
        EXPECT_FALSE(run.error.contains(u"tajne"_s)) << run.error.toStdString();
        EXPECT_FALSE(run.error.contains(u"heslo"_s)) << run.error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(suite.path(u"zuvlogin.tt"_s))) << url.toStdString();
    }
    EXPECT_TRUE(QDir(suite.dir()).entryList({u"zuvlogin*"_s}).isEmpty());
    // A reply file that already exists stays as it was.
    suite.write(u"user_del.tt"_s, "nick//");
    EXPECT_EQ(runLoad(closedPort + u"/@/"_s + suite.dir() + u"/user_del.tt"_s).exitCode, 1);
    EXPECT_EQ(suite.read(u"user_del.tt"_s), "nick//");
}

TEST(Load, RedirectsAreFollowedAndMixedSeparatorsWork)
{
    zuvtest::TempSuite suite;
    QDir(suite.dir()).mkpath(u"Cache"_s);
    zuvtest::TestHttpServer server;
    server.routes().Get(
        "/old", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/new"); });
    server.routes().Get("/new", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("moved", "text/plain");
    });
    server.start();
    const QString mixed = QString(suite.dir()).replace(u'/', u'\\') + u"\\cache/reply.tt"_s;
    ASSERT_EQ(runLoad(base(server) + u"/old/@/"_s + mixed + u"/@/show"_s).exitCode, 0);
    EXPECT_EQ(suite.read(u"Cache/reply.tt"_s), "moved");
}

TEST(Load, WindowExistsWhileItRunsAndLoad2SaysDwokOnce)
{
    zuvtest::TempSuite suite;
    zuvtest::TestHttpServer server;
    server.routes().Get("/slow", [](const httplib::Request&, httplib::Response& res) {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        res.set_content("online:3\r\n", "text/plain");
    });
    server.start();

    BusWindow messenger;
    messenger.publish(u"Zuv - Sorvanta"_s);
    QStringList commands;
    bool replyThereAtDwok = false;
    SetSubclass(messenger, true,
                {[&](const QString& c) {
                     commands << c;
                     replyThereAtDwok = QFileInfo::exists(suite.path(u"zuv.tt"_s));
                 },
                 {}});

    QProcess p;
    p.start(zuvtest::suitePath(u"load2"_s),
            {base(server) + u"/slow/@/"_s + suite.dir() + u"/zuv.tt"_s});
    EXPECT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(u"Trolvik Zuv!"_s)); }));
    EXPECT_FALSE(QFileInfo::exists(suite.path(u"zuv.tt"_s)));
    EXPECT_TRUE(zuvtest::waitFor([&] { return p.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_FALSE(FindWindowA(u"Trolvik Zuv!"_s));
    EXPECT_EQ(commands, QStringList{u"dwok"_s});
    EXPECT_TRUE(replyThereAtDwok);
    EXPECT_EQ(suite.read(u"zuv.tt"_s), "online:3\r\n");

    // load itself never says dwok, and a failed load2 does not either.
    commands.clear();
    EXPECT_EQ(runLoad(base(server) + u"/slow/@/"_s + suite.dir() + u"/a.tt"_s).exitCode, 0);
    EXPECT_EQ(runLoad(u"http://127.0.0.1:1/@/"_s + suite.dir() + u"/b.tt"_s, u"load2"_s).exitCode,
              1);
    EXPECT_TRUE(commands.isEmpty());
}

TEST(Load, EndedFromOutsideItWritesNothingAndLeavesNoPart)
{
    zuvtest::TempSuite suite;
    zuvtest::TestHttpServer server;
    std::atomic<bool> sending{false}, ended{false};
    server.routes().Get("/slow", [&](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [&](size_t, httplib::DataSink& sink) {
            sink.write("part", 4);
            sending = true;
            for (int i = 0; i < 500 && !ended; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            sink.done();
            return true;
        });
    });
    server.start();
    QProcess p;
    p.start(zuvtest::suitePath(u"load"_s),
            {base(server) + u"/slow/@/"_s + suite.dir() + u"/zuv.tt"_s});
    ASSERT_TRUE(zuvtest::waitFor([] { return bool(FindWindowA(u"Trolvik Zuv!"_s)); }));
    ASSERT_TRUE(zuvtest::waitFor([&] { return sending.load(); }));
    QElapsedTimer clock;
    clock.start();
    ::kill(pid_t(p.processId()), SIGTERM);
    ASSERT_TRUE(p.waitForFinished(10000));
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_FALSE(FindWindowA(u"Trolvik Zuv!"_s));
    EXPECT_TRUE(QDir(suite.dir()).entryList({u"zuv.tt*"_s}).isEmpty());
    ended = true;
}

TEST(Load, OnlyHttpIsFetchedAndOnlyAPlainReplyFileWritten)
{
    zuvtest::TempSuite suite;
    zuvtest::TestHttpServer server;
    server.routes().Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("file:///etc/hostname");
    });
    server.routes().Get("/ok", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("ok", "text/plain");
    });
    server.routes().Get("/huge", [](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [](size_t offset, httplib::DataSink& sink) {
            static const std::string mebibyte(1024 * 1024, 'x');
            if (offset >= 65 * mebibyte.size())
                sink.done();
            else
                sink.write(mebibyte.data(), mebibyte.size());
            return true;
        });
    });
    server.start();
    const QString reply = suite.path(u"zuv.tt"_s);
    for (const QString& url :
         {u"file:///etc/hostname"_s, u"gopher://127.0.0.1:1/x"_s, u"dict://127.0.0.1:1/x"_s,
          base(server) + u"/to-file"_s, base(server) + u"/huge"_s}) {
        const LoadRun run = runLoad(url + u"/@/"_s + reply);
        EXPECT_EQ(run.exitCode, 1) << url.toStdString();
        EXPECT_TRUE(QDir(suite.dir()).entryList({u"zuv.tt*"_s}).isEmpty()) << url.toStdString();
    }

    // A link at the reply path is not followed, a FIFO not replaced.
    suite.write(u"elsewhere"_s, "keep");
    QFile::link(suite.path(u"elsewhere"_s), reply);
    EXPECT_EQ(runLoad(base(server) + u"/ok/@/"_s + reply).exitCode, 1);
    EXPECT_EQ(suite.read(u"elsewhere"_s), "keep");
    EXPECT_TRUE(QFileInfo(reply).isSymLink());
    QFile::remove(reply);
    ASSERT_EQ(::mkfifo(QFile::encodeName(reply).constData(), 0600), 0);
    EXPECT_EQ(runLoad(base(server) + u"/ok/@/"_s + reply).exitCode, 1);
    QFile::remove(reply);

    // Nor is a link at the part path followed, or a FIFO there opened.
    const QString part = reply + u".part"_s;
    QFile::link(suite.path(u"elsewhere"_s), part);
    EXPECT_EQ(runLoad(base(server) + u"/ok/@/"_s + reply).exitCode, 1);
    EXPECT_EQ(suite.read(u"elsewhere"_s), "keep");
    EXPECT_FALSE(QFileInfo::exists(reply));
    QFile::remove(part);
    ASSERT_EQ(::mkfifo(QFile::encodeName(part).constData(), 0600), 0);
    EXPECT_EQ(runLoad(base(server) + u"/ok/@/"_s + reply).exitCode, 1);
    EXPECT_FALSE(QFileInfo::exists(reply));
    QFile::remove(part);

    // A new reply is its owner's alone, also when it takes over the part
    // file of a load that was killed.
    suite.write(u"zuv.tt.part"_s, "stale part of a load that never ended");
    QFile::setPermissions(part,
                          QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ReadOther);
    EXPECT_EQ(runLoad(base(server) + u"/ok/@/"_s + reply).exitCode, 0);
    EXPECT_EQ(suite.read(u"zuv.tt"_s), "ok");
    EXPECT_FALSE(QFileInfo::exists(part));
    EXPECT_EQ(QFileInfo(reply).permissions() & 0x0777,
              QFileDevice::ReadUser | QFileDevice::WriteUser);
}
