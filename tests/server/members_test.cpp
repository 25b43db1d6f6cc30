#include <QCryptographicHash>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <server/core/contacts.h>
#include <server/core/database.h>
#include <server/core/members.h>
#include <server/core/messages.h>
#include <server/core/password.h>
#include <server/core/seed.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv::server;

namespace {

TEST(ServerMemberRulesTest, NumbersAreSixDigitsInRange)
{
    const std::pair<QString, std::optional<int>> cases[] = {
        {u"100000"_s, 100000}, {u"999999"_s, 999999}, {u"100001"_s, 100001}, {u"099999"_s, {}},
        {u"12345"_s, {}},      {u"1000000"_s, {}},    {u"10000a"_s, {}},     {u" 100001"_s, {}},
        {u"+10000"_s, {}},     {u""_s, {}},
    };
    for (const auto& [text, number] : cases)
        EXPECT_EQ(parseNumber(text), number) << text.toStdString();
}

TEST(ServerMemberRulesTest, AgeCountsWholeYears)
{
    const QDate today(2024, 5, 17);
    EXPECT_EQ(ageOn(u"1990-05-17"_s, today), 34);
    EXPECT_EQ(ageOn(u"1990-05-18"_s, today), 33);
    EXPECT_EQ(ageOn(u"2024-05-17"_s, today), 0);
    EXPECT_EQ(ageOn(u"2024-05-18"_s, today), std::nullopt);
    EXPECT_EQ(ageOn(u""_s, today), std::nullopt);
    EXPECT_EQ(ageOn(u"17.5.1990"_s, today), std::nullopt);
}

TEST(ServerMemberRulesTest, NicknamesAndMoods)
{
    EXPECT_TRUE(nicknameProblem(u"Šárka"_s).isEmpty());
    EXPECT_TRUE(nicknameProblem(u"Zuv robot"_s).isEmpty());
    for (const QString& bad :
         {u""_s, u"  "_s, u" Eva"_s, u"123456"_s, u"a/@/b"_s, u"x"_s.repeated(33)})
        EXPECT_FALSE(nicknameProblem(bad).isEmpty()) << bad.toStdString();
    EXPECT_EQ(nicknameKey(u"ŠÁRKA"_s), nicknameKey(u"šárka"_s));

    for (const QString& mood : {u"(:)"_s, u":))"_s, u":)"_s, u":|"_s, u":("_s, u"off"_s})
        EXPECT_EQ(normalisedMood(mood), mood);
    EXPECT_EQ(normalisedMood(u""_s), u":)"_s);
    EXPECT_EQ(normalisedMood(u"on"_s), u":)"_s);
}

TEST(ServerPasswordTest, SlowSaltedHashVerifiesOnlyTheSamePassword)
{
    const PasswordHash a = hashPassword(u"žluťoučký"_s);
    const PasswordHash b = hashPassword(u"žluťoučký"_s);
    EXPECT_TRUE(a.hash.startsWith("$y$")) << a.hash.toStdString(); // yescrypt
    EXPECT_NE(a.hash, b.hash);
    EXPECT_FALSE(needsRehash(a));
    EXPECT_TRUE(verifyPassword(u"žluťoučký"_s, a));
    EXPECT_FALSE(verifyPassword(u"zlutoucky"_s, a));
    EXPECT_FALSE(verifyPassword(u""_s, a));

    // A hash of the old kind (salt + SHA-256) still verifies, and wants
    // replacing; nothing broken ever does.
    const QByteArray salt = "0123456789abcdef";
    const PasswordHash old{
        salt, QCryptographicHash::hash(salt + u"heslo"_s.toUtf8(), QCryptographicHash::Sha256)};
    EXPECT_TRUE(verifyPassword(u"heslo"_s, old));
    EXPECT_FALSE(verifyPassword(u"Heslo"_s, old));
    EXPECT_TRUE(needsRehash(old));
    for (const PasswordHash& broken :
         {PasswordHash{}, PasswordHash{{}, "$y$"}, PasswordHash{{}, "*"}, PasswordHash{salt, {}}})
        EXPECT_FALSE(verifyPassword(u""_s, broken));
}

class ServerStoreTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    Database db{dir.path() + u"/zuv.db"_s};
    Database::Session session = db.session();
    Sql& sql = session.sql();

    int add(const QString& nick, int preferred = 0)
    {
        return Members::create(sql, {nick, {}, {}, {}, {}, {}, {}}, u"pw"_s, preferred).value();
    }
};

TEST_F(ServerStoreTest, CreateUsesThePreferredNumberWhenFreeAndRefusesTakenNicknames)
{
    EXPECT_EQ(add(u"first"_s), 100000);
    EXPECT_EQ(add(u"second"_s, 100005), 100005);
    EXPECT_EQ(add(u"third"_s, 100005), 100006);
    EXPECT_FALSE(Members::create(sql, {u"FIRST"_s, {}, {}, {}, {}, {}, {}}, u"pw"_s));
    const auto m = Members::byNickname(sql, u"First"_s);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->number, 100000);
    EXPECT_EQ(m->profile.nickname, u"first"_s);
    EXPECT_TRUE(verifyPassword(u"pw"_s, m->password));
}

TEST_F(ServerStoreTest, QueuedMessagesAreTakenOnceInOrder)
{
    const int eva = add(u"Eva"_s);
    const int dan = add(u"Dan"_s);
    Messages::queue(sql, eva, dan, u"one"_s, 1000);
    Messages::queue(sql, eva, dan, u"two"_s, 2000);
    Messages::queue(sql, dan, eva, u"for Eva"_s, 3000);

    const QList<Message> first = Messages::takeQueued(sql, dan, 5000);
    ASSERT_EQ(first.size(), 2);
    EXPECT_EQ(first[0].text, u"one"_s);
    EXPECT_EQ(first[0].senderNick, u"Eva"_s);
    EXPECT_EQ(first[0].sent, 1000);
    EXPECT_EQ(first[1].text, u"two"_s);
    EXPECT_TRUE(Messages::takeQueued(sql, dan, 6000).isEmpty());

    Messages::queue(sql, eva, dan, u"three"_s, 7000);
    const QList<Message> later = Messages::takeQueued(sql, dan, 8000);
    ASSERT_EQ(later.size(), 1);
    EXPECT_EQ(later[0].text, u"three"_s);
    EXPECT_EQ(Messages::takeQueued(sql, eva, 9000).size(), 1);
    EXPECT_EQ(Messages::history(sql, dan, 10).size(), 4);
}

TEST_F(ServerStoreTest, ContactsAddOnceAndRemove)
{
    const int eva = add(u"Eva"_s);
    const int dan = add(u"Dan"_s);
    EXPECT_TRUE(Contacts::add(sql, dan, eva));
    EXPECT_FALSE(Contacts::add(sql, dan, eva));
    EXPECT_EQ(Members::contactsOf(sql, dan).size(), 1);
    EXPECT_TRUE(Members::contactsOf(sql, eva).isEmpty());
    EXPECT_TRUE(Contacts::remove(sql, dan, eva));
    EXPECT_FALSE(Contacts::remove(sql, dan, eva));
}

TEST_F(ServerStoreTest, DemoSeedIsIdempotent)
{
    seedDemo(sql);
    seedDemo(sql);
    const QList<Member> all = Members::all(sql);
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all[0].number, 100000);
    EXPECT_EQ(all[0].profile.nickname, u"Zuv robot"_s);
    EXPECT_TRUE(all[0].robot);
    EXPECT_EQ(all[1].number, 100001);
    EXPECT_EQ(all[1].profile.nickname, u"demo"_s);
    EXPECT_TRUE(verifyPassword(u"demo"_s, all[1].password));
    EXPECT_EQ(all[2].number, 100002);
    EXPECT_TRUE(verifyPassword(u"eva"_s, all[2].password));
    for (const Member& m : all)
        EXPECT_EQ(Members::contactsOf(sql, m.number).size(), 2) << m.number;
}

TEST(ServerDatabaseTest, SchemaSurvivesReopening)
{
    QTemporaryDir dir;
    const QString path = dir.path() + u"/zuv.db"_s;
    {
        Database db(path);
        auto session = db.session();
        seedDemo(session.sql());
    }
    Database again(path);
    auto session = again.session();
    EXPECT_EQ(Members::all(session.sql()).size(), 3);
}

TEST(ServerDatabaseTest, UnusableFileThrows)
{
    QTemporaryDir dir;
    EXPECT_THROW(Database(dir.path() + u"/missing/folder/zuv.db"_s), SqlError);
}

} // namespace
