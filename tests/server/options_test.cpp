#include <gtest/gtest.h>
#include <server/core/options.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv::server;

namespace {

TEST(ServerOptionsTest, ReadsEveryOption)
{
    const auto parsed = parseOptions(
        {u"--db"_s, u"/tmp/z.db"_s, u"--listen"_s, u"0.0.0.0:8080"_s, u"--seed"_s, u"demo"_s,
         u"--build"_s, u"100020"_s, u"--intervals"_s, u"3000/60000/1500"_s, u"--demo-stream"_s,
         u"http://127.0.0.1:9001/demo.mp3"_s, u"--import-catalog"_s, u"/tmp/katalog.txt"_s});
    ASSERT_TRUE(parsed.options) << parsed.error.toStdString();
    const Options& o = *parsed.options;
    EXPECT_EQ(o.db, u"/tmp/z.db"_s);
    EXPECT_EQ(o.host, u"0.0.0.0"_s);
    EXPECT_EQ(o.port, 8080);
    EXPECT_TRUE(o.seedDemo);
    EXPECT_EQ(o.config.build, 100020);
    EXPECT_EQ(o.config.intervals.active, 3000);
    EXPECT_EQ(o.config.intervals.passive, 60000);
    EXPECT_EQ(o.config.intervals.threshold, 1500);
    EXPECT_EQ(o.demoStream, u"http://127.0.0.1:9001/demo.mp3"_s);
    EXPECT_EQ(o.importCatalog, u"/tmp/katalog.txt"_s);
}

TEST(ServerOptionsTest, DefaultsToLoopbackAnyPortNoBuildAndStandardIntervals)
{
    const auto parsed = parseOptions({u"--db"_s, u"z.db"_s});
    ASSERT_TRUE(parsed.options);
    EXPECT_EQ(parsed.options->host, u"127.0.0.1"_s);
    EXPECT_EQ(parsed.options->port, 0);
    EXPECT_FALSE(parsed.options->seedDemo);
    EXPECT_EQ(parsed.options->config.build, 0);
    EXPECT_EQ(parsed.options->config.intervals.active, 10000);
    EXPECT_EQ(parsed.options->config.intervals.passive, 30000);
    EXPECT_EQ(parsed.options->config.intervals.threshold, 2000);
    EXPECT_EQ(parsed.options->demoStream, u"http://127.0.0.1:8941/demo.mp3"_s);
    EXPECT_TRUE(parsed.options->importCatalog.isEmpty());

    const auto v6 = parseOptions({u"--db"_s, u"z.db"_s, u"--listen"_s, u"[::1]:0"_s});
    ASSERT_TRUE(v6.options);
    EXPECT_EQ(v6.options->host, u"::1"_s);
}

TEST(ServerOptionsTest, RefusesWhatItCannotUse)
{
    const QStringList bad[] = {
        {},
        {u"--listen"_s, u"127.0.0.1:0"_s},
        {u"--db"_s},
        {u"--db"_s, u"z.db"_s, u"--listen"_s, u"127.0.0.1"_s},
        {u"--db"_s, u"z.db"_s, u"--listen"_s, u"127.0.0.1:70000"_s},
        {u"--db"_s, u"z.db"_s, u"--listen"_s, u":80"_s},
        {u"--db"_s, u"z.db"_s, u"--seed"_s, u"all"_s},
        {u"--db"_s, u"z.db"_s, u"--build"_s, u"new"_s},
        {u"--db"_s, u"z.db"_s, u"--intervals"_s, u"1000/2000"_s},
        {u"--db"_s, u"z.db"_s, u"--intervals"_s, u"1000/0/5"_s},
        {u"--db"_s, u"z.db"_s, u"--port"_s, u"1"_s},
        {u"--db"_s, u"z.db"_s, u"--demo-stream"_s, u"/demo.mp3"_s},
        {u"--db"_s, u"z.db"_s, u"--demo-stream"_s, u"http://h/a/@/b"_s},
        {u"--db"_s, u"z.db"_s, u"--import-catalog"_s},
        {u"--db"_s, u"z.db"_s, u"--import-catalog"_s, u""_s},
    };
    for (const QStringList& args : bad) {
        const auto parsed = parseOptions(args);
        EXPECT_FALSE(parsed.options) << args.join(u' ').toStdString();
        EXPECT_FALSE(parsed.error.isEmpty()) << args.join(u' ').toStdString();
    }
    const auto help = parseOptions({u"--help"_s});
    EXPECT_FALSE(help.options);
    EXPECT_TRUE(help.error.isEmpty());
}

} // namespace
