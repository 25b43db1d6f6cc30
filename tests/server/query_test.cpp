#include <gtest/gtest.h>
#include <server/core/query.h>
#include <server/core/requests.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv::server;

namespace {

TEST(ServerQueryTest, AcceptsTextAndRefusesOtherBytes)
{
    struct Case
    {
        std::string bytes;
        bool text;
    };
    const Case cases[] = {
        {"", true},
        {"Ahoj *.and <br>", true},
        {"tab\there", true},
        {"\x8A\xE1rka", true}, // "Šárka"
        {std::string("a\0b", 3), false},
        {"line\r\nbreak", false},
        {"line\nbreak", false},
        {"\x7F", false},
        {"\x81", false}, // no character in Windows-1250
        {"\x98", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isTextBytes(c.bytes), c.text) << c.bytes;
}

TEST(ServerQueryTest, DecodesWindows1250AndKeepsTheFirstValue)
{
    const std::multimap<std::string, std::string> raw = {
        {"nick", "\x8A\xE1rka"}, {"h", "first"}, {"h", "second"}, {"empty", ""}};
    const auto query = Query::fromBytes(raw);
    ASSERT_TRUE(query);
    EXPECT_EQ(query->text(u"nick"_s), u"Šárka"_s);
    EXPECT_EQ(query->text(u"h"_s), u"first"_s);
    EXPECT_TRUE(query->has(u"empty"_s));
    EXPECT_EQ(query->value(u"empty"_s), QString());
    EXPECT_FALSE(query->value(u"missing"_s));
}

TEST(ServerQueryTest, RefusesOverlongOrBinaryKeysAndValues)
{
    const std::string longest(kMaxValueBytes, 'a');
    EXPECT_TRUE(Query::fromBytes({{"text", longest}}));
    EXPECT_FALSE(Query::fromBytes({{"text", longest + 'a'}}));
    EXPECT_FALSE(Query::fromBytes({{longest + 'a', "x"}}));
    EXPECT_FALSE(Query::fromBytes({{"id", "100001"}, {"text", std::string("a\0", 2)}}));
    EXPECT_FALSE(Query::fromBytes({{std::string("k\x01", 2), "x"}}));
}

TEST(ServerRequestPathTest, BackslashesAndRunsOfSlashesCountAsOneSlash)
{
    const std::pair<QString, QString> cases[] = {
        {u"/zuv/whois.php"_s, u"/zuv/whois.php"_s},    {u"\\zuv\\whois.php"_s, u"/zuv/whois.php"_s},
        {u"/\\zuv\\whois.php"_s, u"/zuv/whois.php"_s}, {u"//zuv//login.php"_s, u"/zuv/login.php"_s},
        {u"zuv/all.php"_s, u"/zuv/all.php"_s},         {u"/server.tt"_s, u"/server.tt"_s},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(normalisedPath(path), expected) << path.toStdString();
}

TEST(ServerRequestPathTest, LoginLinkKeepsAnEmptyCode)
{
    const struct
    {
        QString path;
        std::optional<QStringList> link; // number, code
    } cases[] = {
        {u"/login/100001/55-48-//1"_s, QStringList{u"100001"_s, u"55-48-"_s}},
        {u"/login/100001///1"_s, QStringList{u"100001"_s, u""_s}},
        {u"//login//100001/55-//1"_s, QStringList{u"100001"_s, u"55-"_s}},
        {u"\\login\\100001\\55-"_s, QStringList{u"100001"_s, u"55-"_s}},
        {u"/login/100001"_s, QStringList{u"100001"_s, u""_s}},
        {u"/login/"_s, QStringList{u""_s, u""_s}},
        {u"/login"_s, std::nullopt},
        {u"/loginx/100001/55-//1"_s, std::nullopt},
        {u"/zuv/login.php"_s, std::nullopt},
    };
    for (const auto& [path, expected] : cases) {
        const auto link = loginLinkPath(path);
        EXPECT_EQ(link ? std::optional(QStringList{link->number, link->code}) : std::nullopt,
                  expected)
            << path.toStdString();
    }
}

} // namespace
