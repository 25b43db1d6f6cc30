// Handlers called directly with a fixed clock, where the HTTP tests cannot
// pin time down.
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <server/core/members.h>
#include <server/core/requests.h>
#include <server/core/seed.h>
#include <support/qtprint.h>

using namespace Qt::StringLiterals;
using namespace zuv::server;

namespace {

class ServerHandlersTest : public ::testing::Test
{
protected:
    ServerHandlersTest()
    {
        auto session = db.session();
        seedDemo(session.sql());
    }

    QStringList call(const QString& path, const QHash<QString, QString>& keys, qint64 now)
    {
        const Context ctx{config, u"http://zuv.test"_s, now, nullptr, {}};
        const Reply reply = handleRequest(db, path, Query::fromText(keys), ctx);
        EXPECT_EQ(reply.status, 200);
        QString text = QString::fromLatin1(reply.body);
        text.chop(2);
        return text.split(u"\r\n"_s);
    }

    QStringList refresh(const QString& id, const QString& password, const QString& mood, qint64 now)
    {
        return call(
            u"/zuv/all.php"_s,
            {{u"id"_s, id}, {u"h"_s, password}, {u"nalada"_s, mood}, {u"radio"_s, u"off"_s}}, now);
    }

    QString evaRecord(const QStringList& lines)
    {
        for (const QString& line : lines) {
            if (line.startsWith(u">Zuv>"_s) && line.contains(u"/@/100002/@/"_s))
                return line;
        }
        return {};
    }

    QTemporaryDir dir;
    Database db{dir.path() + u"/zuv.db"_s};
    ServerConfig config{0, {1000, 30000, 200}};
};

TEST_F(ServerHandlersTest, ContactIsOnLineForLessThanThreeActiveIntervals)
{
    const qint64 t0 = 1'700'000'000'000;
    refresh(u"100002"_s, u"eva"_s, u":))"_s, t0);

    EXPECT_TRUE(evaRecord(refresh(u"100001"_s, u"demo"_s, u":)"_s, t0 + 2999))
                    .startsWith(u">Zuv>online/@/Eva/@/"_s));
    EXPECT_TRUE(evaRecord(refresh(u"100001"_s, u"demo"_s, u":)"_s, t0 + 3000))
                    .startsWith(u">Zuv>offline/@/Eva/@/"_s));

    // Mood "off" hides a fresh refresh.
    refresh(u"100002"_s, u"eva"_s, u"off"_s, t0 + 4000);
    EXPECT_TRUE(evaRecord(refresh(u"100001"_s, u"demo"_s, u":)"_s, t0 + 4001))
                    .startsWith(u">Zuv>offline/@/Eva/@/"_s));
}

TEST_F(ServerHandlersTest, OnlineCountFollowsTheSameRule)
{
    const qint64 t0 = 1'700'000'000'000;
    refresh(u"100002"_s, u"eva"_s, u":)"_s, t0);
    // The robot, Eva and demo himself.
    EXPECT_EQ(refresh(u"100001"_s, u"demo"_s, u":)"_s, t0 + 10).first(), u"online:3"_s);
    EXPECT_EQ(refresh(u"100001"_s, u"demo"_s, u"off"_s, t0 + 3000).first(), u"online:1"_s);
}

TEST_F(ServerHandlersTest, UnknownPathIsNotFound)
{
    const Context ctx{config, u"http://zuv.test"_s, 0, nullptr, {}};
    EXPECT_EQ(handleRequest(db, u"/zuv/none.php"_s, {}, ctx).status, 404);
    EXPECT_EQ(handleRequest(db, u"/zuv/all.php/x"_s, {}, ctx).status, 404);
}

} // namespace
