// The station catalog: its file format, its storage and the two answers of
// sv_list.php, called directly.
#include <QFile>
#include <QTemporaryDir>
#include <foundation/codepage.h>
#include <gtest/gtest.h>
#include <server/core/catalog.h>
#include <server/core/database.h>
#include <server/core/members.h>
#include <server/core/requests.h>
#include <server/core/seed.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv::server;

namespace {

QByteArray crlf(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += zuv::CodePage::encode(line) + "\r\n";
    return bytes;
}

// A station record of 18 fields with the given id, name and category.
QString record(const QString& id, const QString& name, const QString& category,
               const QString& url1 = u"http://s.example/a"_s, const QString& web = {})
{
    QStringList fields(kStationFields);
    fields[StationField::Id] = id;
    fields[StationField::Name] = name;
    fields[StationField::Country] = u"Česko"_s;
    fields[StationField::Category] = category;
    fields[StationField::Url1] = url1;
    fields[StationField::Rate1] = u"128"_s;
    fields[StationField::Web] = web;
    return fields.join(u"/@/"_s);
}

TEST(CatalogFileTest, EachLineIsKeptOrCountedAsBad)
{
    struct Row
    {
        QString line;
        bool good;
    };
    const QString eighteen = record(u"ab0001"_s, u"Rádio"_s, u"100100"_s);
    const Row rows[] = {
        {u"zuv:k:new//100100/@/Pop a rock"_s, true},
        {u"ZUV:K:add//1001001/@/Pop"_s, true},
        {u"zuv:k:new//100200/@/"_s, true}, // a name may be empty
        {u"zuv:k:add//100300/@/Six characters are a top-level code"_s, false},
        {u"zuv:k:new//1003001/@/Longer codes are children"_s, false},
        {u"zuv:k:new//100400"_s, false},
        {u"zuv:k:new//100100/@/The same code again"_s, false},
        {u"zuv:k:old//100500/@/Neither kind"_s, false},
        {eighteen, true},
        {record(u"ab0002"_s, u"More fields"_s, u"100100"_s) + u"/@/x/@/"_s, true},
        {eighteen.section(u"/@/"_s, 0, 16), false},              // 17 fields
        {record(u"ab003"_s, u"Short id"_s, u"100100"_s), false}, // five characters
        {record(u"AB0001"_s, u"Same id in capitals"_s, u"100100"_s), false},
        {u"zuv:r:600/@/6900/@/1/@/http://a.example/"_s, true},
        {u"zuv:r:600/@/6900/@/1"_s, false},
        {u"zuv:i:1/@/255/@/60/@/Text/@/Tip/@/openurl/@/faq"_s, true},
        {u"zuv:i:1/@/255/@/60/@/Text/@/Tip/@/openurl"_s, false},
        {u"zuv:x:an unknown prefix is a station record"_s, false},
        {u""_s, true},
        {u"<end>"_s, true},
        {u"<END>"_s, true},
    };
    QStringList lines;
    QList<int> bad;
    for (const Row& row : rows) {
        lines.append(row.line);
        if (!row.good)
            bad.append(int(lines.size()));
    }
    // Lines end in CR LF as the server writes them, or in LF alone.
    const ParsedCatalog parsed =
        parseCatalog(lines.join(u"\r\n"_s) + u"\nzuv:k:new//100600/@/LF"_s);
    EXPECT_EQ(parsed.badLines, bad);
    EXPECT_EQ(parsed.catalog.categories.size(), 4);
    EXPECT_EQ(parsed.catalog.categories.last().name, u"LF"_s);
    ASSERT_EQ(parsed.catalog.stations.size(), 2);
    EXPECT_EQ(parsed.catalog.stations[1].fields[StationField::Name], u"More fields"_s);
    EXPECT_EQ(parsed.catalog.stations[1].tail, u"/@/x/@/"_s);
    EXPECT_EQ(parsed.catalog.adverts.size(), 1);
    EXPECT_EQ(parsed.catalog.infos.size(), 1);
}

class CatalogStoreTest : public ::testing::Test
{
protected:
    CatalogStoreTest()
    {
        auto session = db.session();
        seedDemo(session.sql());
    }

    void import(const QString& text, CatalogOrigin origin = CatalogOrigin::Imported)
    {
        auto session = db.session();
        Catalog::replace(session.sql(), parseCatalog(text).catalog, origin);
    }

    Reply call(const QHash<QString, QString>& keys, CatalogCache* cache = nullptr)
    {
        const Context ctx{config, u"http://zuv.test:8940"_s, 0, nullptr, {}, cache};
        return handleRequest(db, u"/sorvanta.trolvik/sv_list.php"_s, Query::fromText(keys), ctx);
    }

    QTemporaryDir dir;
    QString path = dir.path() + u"/zuv.db"_s;
    Database db{path};
    ServerConfig config;
};

TEST_F(CatalogStoreTest, ListComesBackInItsOrderWithPathsNamingTheServer)
{
    // Info before advert in the file; the list sends adverts first.
    import(QStringList{
        u"zuv:i:1/@/255/@/60/@/Vítejte!/@/Informace/@/openurl/@/faq"_s,
        u"zuv:k:new//100100/@/Pop a rock"_s,
        record(u"cz0001"_s, u"Žluťoučký kůň"_s, u"1001001"_s, u"/stream"_s, u"/faq"_s),
        u"zuv:k:add//1001001/@/Pop"_s,
        record(u"cz0002"_s, u"Rádio Ústí"_s, u"100100"_s, u"http://s.example/b"_s,
               u"//cdn.example/x"_s) +
            u"/@/carried"_s,
        u"zuv:r:600/@/6900/@/1/@//sorvanta.trolvik/reklama.html"_s,
        u"zuv:r:0/@/0/@/0/@/http://ads.example/"_s,
    }
               .join(u"\r\n"_s));
    auto session = db.session();
    EXPECT_EQ(Catalog::render(session.sql(), u"http://zuv.test:8940"_s),
              crlf({
                  u"zuv:k:new//100100/@/Pop a rock"_s,
                  u"zuv:k:add//1001001/@/Pop"_s,
                  record(u"cz0001"_s, u"Žluťoučký kůň"_s, u"1001001"_s,
                         u"http://zuv.test:8940/stream"_s, u"http://zuv.test:8940/faq"_s),
                  record(u"cz0002"_s, u"Rádio Ústí"_s, u"100100"_s, u"http://s.example/b"_s,
                         u"//cdn.example/x"_s) +
                      u"/@/carried"_s,
                  u"zuv:r:600/@/6900/@/1/@/http://zuv.test:8940/sorvanta.trolvik/reklama.html"_s,
                  u"zuv:r:0/@/0/@/0/@/http://ads.example/"_s,
                  u"zuv:i:1/@/255/@/60/@/Vítejte!/@/Informace/@/openurl/@/faq"_s,
                  u"<end>"_s,
              }));
}

TEST_F(CatalogStoreTest, EveryCharacterGoesOutAsTheCodePageWritesIt)
{
    QByteArray all;
    for (int b = 0x20; b < 0x100; ++b)
        all += char(b);
    // Besides each character of the code page: one it lacks, one beyond
    // the first 65 536 characters, a tab.
    const QString name = zuv::CodePage::decode(all) + u"中😀\t"_s;
    const QString line = record(u"cz0001"_s, name, u"100100"_s);
    import(line);
    auto session = db.session();
    EXPECT_EQ(Catalog::render(session.sql(), u"http://zuv.test"_s), crlf({line, u"<end>"_s}));
}

TEST_F(CatalogStoreTest, ProbeAnnouncesTheByteCountOfTheListItIsFollowedBy)
{
    // Czech letters are one byte each on the wire, two in UTF-8.
    import(
        QStringList{u"zuv:k:new//100100/@/Čeština"_s,
                    record(u"cz0001"_s, u"Příliš žluťoučký kůň úpěl ďábelské ódy"_s, u"100100"_s)}
            .join(u"\n"_s));
    CatalogCache cache;
    for (CatalogCache* c : {static_cast<CatalogCache*>(nullptr), &cache}) {
        const Reply probe = call({{u"size"_s, u"1"_s}, {u"idh"_s, u"100001"_s}}, c);
        const Reply list = call({{u"idh"_s, u"100001"_s}}, c);
        EXPECT_EQ(probe.status, 200);
        EXPECT_EQ(list.status, 200);
        EXPECT_EQ(list.contentType, QByteArray("text/plain; charset=windows-1250"));
        EXPECT_TRUE(list.body.endsWith("<end>\r\n"));
        EXPECT_EQ(probe.body, "size:" + QByteArray::number(list.body.size()) + "\r\n");
    }
}

TEST_F(CatalogStoreTest, OnlyAMemberGetsTheCatalog)
{
    {
        auto session = db.session();
        const int stopped =
            Members::create(session.sql(), {u"Stop"_s, {}, {}, {}, {}, {}, {}}, u"pw"_s, 100050)
                .value();
        Members::setSuspended(session.sql(), stopped, true);
    }
    const QHash<QString, QString> who[] = {
        {},
        {{u"idh"_s, u""_s}},
        {{u"idh"_s, u"demo"_s}},
        {{u"idh"_s, u"100099"_s}},
        {{u"idh"_s, u"100050"_s}},
        {{u"id"_s, u"100001"_s}},
    };
    for (QHash<QString, QString> keys : who) {
        const Reply list = call(keys);
        keys.insert(u"size"_s, u"1"_s);
        const Reply probe = call(keys);
        EXPECT_EQ(probe.body, QByteArray("zuvnet:error\r\n")) << keys.value(u"idh"_s);
        EXPECT_EQ(list.body, QByteArray("zuvnet:error\r\n")) << keys.value(u"idh"_s);
    }
    EXPECT_EQ(QString::fromUtf16(kCatalogError).size(), 12);
}

TEST_F(CatalogStoreTest, CacheKeepsOneRenderingUntilTheCatalogChangesAnywhere)
{
    import(record(u"cz0001"_s, u"První"_s, u"100100"_s, u"/s"_s));
    CatalogCache cache;
    QByteArray first;
    {
        auto session = db.session();
        first = cache.body(session.sql(), u"http://a.test"_s);
        // The same bytes, not a second rendering of them.
        EXPECT_EQ(cache.body(session.sql(), u"http://a.test"_s).constData(), first.constData());
        EXPECT_TRUE(cache.body(session.sql(), u"http://b.test"_s).contains("http://b.test/s"));
    }
    // Another connection to the file, as an import by a second process.
    {
        Database other(path);
        auto session = other.session();
        Catalog::replace(session.sql(),
                         parseCatalog(record(u"cz0002"_s, u"Druhá"_s, u"100100"_s)).catalog,
                         CatalogOrigin::Imported);
    }
    auto session = db.session();
    const QByteArray second = cache.body(session.sql(), u"http://a.test"_s);
    EXPECT_TRUE(first.startsWith("cz0001"));
    EXPECT_TRUE(second.startsWith("cz0002"));
    EXPECT_EQ(second, Catalog::render(session.sql(), u"http://a.test"_s));
}

TEST_F(CatalogStoreTest, DemoSeedFollowsItsStreamButLeavesAnImportedCatalog)
{
    const auto firstStation = [&] {
        auto session = db.session();
        const QString list =
            zuv::CodePage::decode(Catalog::render(session.sql(), u"http://zuv.test"_s));
        for (const QString& line : list.split(u"\r\n"_s)) {
            if (!line.startsWith(u"zuv:"_s))
                return line.split(u"/@/"_s);
        }
        return QStringList();
    };
    const auto seed = [&](const QString& stream) {
        auto session = db.session();
        seedDemoCatalog(session.sql(), stream);
    };
    seed(u"http://127.0.0.1:8941/demo.mp3"_s);
    seed(u"http://127.0.0.1:9001/demo.mp3"_s);
    EXPECT_EQ(firstStation().value(StationField::Id), u"zd0001"_s);
    EXPECT_EQ(firstStation().value(StationField::Url1), u"http://127.0.0.1:9001/demo.mp3"_s);

    import(record(u"cz0001"_s, u"Vlastní"_s, u"100100"_s));
    seed(u"http://127.0.0.1:8941/demo.mp3"_s);
    EXPECT_EQ(firstStation().value(StationField::Id), u"cz0001"_s);
}

TEST_F(CatalogStoreTest, ImportOfAFileThatCannotBeUsedLeavesTheCatalog)
{
    import(record(u"cz0001"_s, u"Zůstane"_s, u"100100"_s));
    const auto list = [&] {
        auto session = db.session();
        return Catalog::render(session.sql(), u"http://zuv.test"_s);
    };
    const QByteArray before = list();
    QFile noStation(dir.path() + u"/nostation.txt"_s);
    ASSERT_TRUE(noStation.open(QIODevice::WriteOnly));
    noStation.write("zuv:k:new//100100/@/Pop\r\nnot a record\r\n<end>\r\n");
    noStation.close();
    for (const QString& file :
         {dir.path() + u"/missing.txt"_s, dir.path(), dir.path() + u"/nostation.txt"_s}) {
        auto session = db.session();
        const Catalog::Import result = Catalog::importFile(session.sql(), file);
        EXPECT_FALSE(result.ok) << file.toStdString();
        EXPECT_FALSE(result.error.isEmpty()) << file.toStdString();
    }
    EXPECT_EQ(list(), before);
}

} // namespace
