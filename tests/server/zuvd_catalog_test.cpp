// The station catalog as the radio's browser downloads it, and its import.
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <core/download.h>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <server/core/catalog.h>
#include <server/core/database.h>
#include <server/core/members.h>
#include <support/processes.h>
#include <support/qtprint.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;
using namespace zuvtest;
using namespace zuv::server::StationField;

namespace {

const std::string kList = "/sorvanta.trolvik/sv_list.php?idh=100001";
const std::string kProbe = "/sorvanta.trolvik/sv_list.php?size=1&idh=100001";

// One letter per line of the list: k category, s station, r advert, i info
// panel, e the end mark.
QString kinds(const QStringList& lines)
{
    QString out;
    for (const QString& line : lines) {
        out += line.startsWith(u"zuv:k:"_s)   ? u'k'
               : line.startsWith(u"zuv:r:"_s) ? u'r'
               : line.startsWith(u"zuv:i:"_s) ? u'i'
               : line == u"<end>"_s           ? u'e'
                                              : u's';
    }
    return out;
}

QList<QStringList> stations(const QStringList& lines)
{
    QList<QStringList> out;
    for (const QString& line : lines) {
        if (!line.startsWith(u"zuv:"_s) && line != u"<end>"_s)
            out.append(line.split(u"/@/"_s));
    }
    return out;
}

struct ZuvdRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

ZuvdRun zuvd(const QStringList& args)
{
    QProcess p;
    p.start(suitePath(u"zuvd"_s), args);
    p.waitForFinished(30000);
    return {p.exitCode(), QString::fromLocal8Bit(p.readAllStandardOutput()),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class ZuvdCatalogTest : public zuvtest::StorageTest
{};

TEST_P(ZuvdCatalogTest, DemoCatalogHasWhatTheBrowserShows)
{
    const QString stream = u"http://127.0.0.1:9123/demo.mp3"_s;
    Zuvd server({u"--demo-stream"_s, stream});
    ASSERT_TRUE(server.started());
    const Answer answer = server.get(kList);
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.contentType, QByteArray("text/plain; charset=windows-1250"));
    const QStringList lines = replyLines(answer.body);
    EXPECT_TRUE(QRegularExpression(u"^k+s+r*i+e$"_s).match(kinds(lines)).hasMatch())
        << kinds(lines).toStdString();

    // The tree: roots of six characters, each child after its root.
    QSet<QString> roots, codes;
    for (const QString& line : lines) {
        if (!line.startsWith(u"zuv:k:"_s))
            continue;
        const QString code = line.mid(11).section(u"/@/"_s, 0, 0);
        if (line.startsWith(u"zuv:k:new//"_s)) {
            EXPECT_EQ(code.size(), 6) << line.toStdString();
            roots.insert(code);
        } else {
            EXPECT_TRUE(line.startsWith(u"zuv:k:add//"_s)) << line.toStdString();
            EXPECT_TRUE(roots.contains(code.left(6))) << line.toStdString();
        }
        codes.insert(code);
    }
    EXPECT_EQ(lines.first(), u"zuv:k:new//100000/@/Všechna rádia"_s);
    EXPECT_TRUE(codes.contains(u"100000ab"_s));
    EXPECT_TRUE(lines.contains(u"zuv:k:new//100100/@/Pop a rock"_s));
    EXPECT_TRUE(lines.contains(u"zuv:k:new//100200/@/Mluvené slovo"_s));

    const QList<QStringList> list = stations(lines);
    ASSERT_FALSE(list.isEmpty());
    const QStringList demo = list.first();
    ASSERT_GE(demo.size(), 18);
    EXPECT_EQ(demo[Id], u"zd0001"_s);
    EXPECT_EQ(demo[Name], u"Zuv demo rádio"_s);
    EXPECT_EQ(demo[Category], u"100100"_s);
    EXPECT_EQ(demo[Url1], stream);
    EXPECT_EQ(demo[Rate1], u"128"_s);

    QSet<QString> ids;
    QSet<int> levelCounts;
    int tips = 0, gaps = 0, groupStations = 0, television = 0, helpLinks = 0;
    for (const QStringList& s : list) {
        ASSERT_GE(s.size(), 18) << s.join(u"/@/"_s).toStdString();
        EXPECT_EQ(s[Id].size(), 6);
        EXPECT_FALSE(ids.contains(s[Id])) << s[Id].toStdString();
        ids.insert(s[Id]);
        // Every station sits in a node of the tree.
        EXPECT_TRUE(codes.contains(s[Category]) || codes.contains(s[Category].left(6)))
            << s[Category].toStdString();
        int levels = 0;
        bool emptyBelow = false;
        for (int level = 0; level < 5; ++level) {
            const bool offered = !s[Rate1 + level].isEmpty();
            EXPECT_EQ(offered, !s[Url1 + level].isEmpty()) << s[Id].toStdString() << level;
            levels += offered;
            gaps += offered && emptyBelow;
            emptyBelow = emptyBelow || !offered;
        }
        levelCounts.insert(levels);
        tips += s[Mark].startsWith(u"tip"_s);
        groupStations += s[Category].size() > 6 && s[Category].startsWith(u"100000"_s) &&
                         codes.contains(s[Category]);
        television += s[Category].startsWith(u"100003"_s);
        helpLinks += s[Web] == server.base() + u"/faq"_s && !s[Description].isEmpty();
    }
    EXPECT_EQ(levelCounts, QSet<int>({1, 2, 3, 4, 5}));
    EXPECT_GT(gaps, 0) << "no station leaves a level out";
    EXPECT_EQ(tips, 1);
    EXPECT_GT(groupStations, 0);
    EXPECT_GT(television, 0);
    EXPECT_GT(helpLinks, 0);
    EXPECT_TRUE(answer.body.contains("\x8E\xEF\xE1rsk\xFD")) << "no Czech letters on the wire";
    EXPECT_TRUE(lines.contains(
        u"zuv:i:1/@/255/@/60/@/Vítejte v katalogu rádií Zuv!/@/Informace/@/openurl/@/faq"_s));

    // The pages it links to are this server's.
    EXPECT_EQ(server.get("/faq").status, 200);
    for (const QString& line : lines) {
        if (!line.startsWith(u"zuv:r:"_s))
            continue;
        const QString url = line.mid(6).section(u"/@/"_s, 3, 3);
        ASSERT_TRUE(url.startsWith(server.base() + u"/"_s)) << url.toStdString();
        const Answer advert = server.get(url.mid(server.base().size()).toStdString());
        EXPECT_EQ(advert.status, 200);
        EXPECT_EQ(advert.contentType, QByteArray("text/html; charset=windows-1250"));
        EXPECT_FALSE(advert.body.contains("<script"));
    }
}

TEST_P(ZuvdCatalogTest, ProbeAnnouncesExactlyWhatTheDownloaderThenWrites)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    {
        zuv::server::Database db(server.database());
        auto session = db.session();
        const int number = zuv::server::Members::create(
                               session.sql(), {u"Stop"_s, {}, {}, {}, {}, {}, {}}, u"pw"_s, 100050)
                               .value();
        zuv::server::Members::setSuspended(session.sql(), number, true);
    }
    QTemporaryDir dir;
    const QString probeFile = dir.path() + u"/zuv_test_size.tt"_s;
    const QString listFile = dir.path() + u"/seznam.tt"_s;
    const QByteArray base = server.base().toLatin1();
    ASSERT_TRUE(zuv::load::download(base + kProbe.c_str(), probeFile).ok);
    ASSERT_TRUE(zuv::load::download(base + kList.c_str(), listFile).ok);
    QFile probe(probeFile);
    ASSERT_TRUE(probe.open(QIODevice::ReadOnly));
    const QByteArray announced = probe.readAll();
    EXPECT_EQ(announced, "size:" + QByteArray::number(QFileInfo(listFile).size()) + "\r\n");

    for (const char* who : {"100099", "100050", "", "abc"}) {
        const std::string query = std::string("/sorvanta.trolvik/sv_list.php?size=1&idh=") + who;
        EXPECT_TRUE(server.get(query).body.startsWith("zuvnet:error")) << who;
    }
    EXPECT_TRUE(server.get("/sorvanta.trolvik/sv_list.php?size=1").body.startsWith("zuvnet:error"));
}

TEST_P(ZuvdCatalogTest, ImportReplacesTheServedCatalogAndSkipsBadLines)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const QStringList demoList = replyLines(server.get(kList).body);
    ASSERT_FALSE(demoList.isEmpty());
    const QStringList good = {
        u"zuv:k:new//200100/@/Folk a country"_s,
        u"zuv:k:add//2001001/@/Písničkáři"_s,
        u"ab0001/@/Rádio Říp/@//@//@/Česko/@/2001001/@/http://r.example/a/@//@//@//@//@/64"
        "/@//@//@//@//@//@/Folk z Podřipska."_s,
        u"ab0002/@/Polka/@/tip: nejlepší/@/x/@/Česko/@/200100/@/http://r.example/b/@/"
        "http://r.example/c/@//@//@//@/32/@/128/@//@//@//@//@//@/extra"_s,
        u"zuv:i:0/@//@/80/@/Nové: folk!/@//@//@/"_s,
    };
    QStringList file = good;
    file.insert(2, u"ab0003/@/Too few fields/@/x"_s);
    file.insert(4, u"zuv:k:add//200100/@/Six characters are no child"_s);
    file.append(u"<end>"_s);
    file.append(u""_s);
    QTemporaryDir dir;
    const QString path = dir.path() + u"/katalog.txt"_s;
    writeFile(path, crlf(file));

    const ZuvdRun run = zuvd({u"--db"_s, server.database(), u"--import-catalog"_s, path});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(u"2 bad lines skipped (line 3, 5)"_s)) << run.err.toStdString();
    EXPECT_FALSE(run.out.startsWith(u"zuvd listening"_s));
    // The running server sees the new catalog at once, and both answers agree.
    const QStringList expected = good + QStringList{u"<end>"_s};
    const QByteArray list = server.get(kList).body;
    EXPECT_EQ(replyLines(list), expected);
    EXPECT_EQ(server.get(kProbe).body, "size:" + QByteArray::number(list.size()) + "\r\n");

    // A file that cannot be read, or holds no station, changes nothing; nor
    // does the demo seed overwrite an imported catalog.
    writeFile(dir.path() + u"/empty.txt"_s, "zuv:k:new//100100/@/Pop\r\n<end>\r\n");
    for (const QString& bad : {dir.path() + u"/missing.txt"_s, dir.path() + u"/empty.txt"_s}) {
        const ZuvdRun refused = zuvd(
            {u"--db"_s, server.database(), u"--seed"_s, u"demo"_s, u"--import-catalog"_s, bad});
        EXPECT_EQ(refused.exitCode, 1) << bad.toStdString();
        EXPECT_TRUE(refused.err.contains(u"the catalog stays as it was"_s))
            << refused.err.toStdString();
    }
    EXPECT_EQ(replyLines(server.get(kList).body), expected);
}

ZUV_STORAGE_SUITE(ZuvdCatalogTest);

} // namespace
