// What the storage promises: servers sharing one PostgreSQL database serve
// one network, and a killed server loses no message it acknowledged.
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <set>
#include <support/qtprint.h>
#include <support/zuvdprocess.h>
#include <thread>

using namespace Qt::StringLiterals;
using namespace zuvtest;

namespace {

std::string sendTarget(const std::string& id, const std::string& password, const std::string& to,
                       const std::string& text)
{
    return "/zuv/message_add.php?id=" + id + "&h=" + password + "&to=" + to + "&ver=1&text=" + text;
}

// The texts of the messages a refresh delivers.
QStringList delivered(const Zuvd& server, const std::string& id, const std::string& password)
{
    QStringList texts;
    for (const QString& line :
         replyLines(server.get(refreshTarget("all_msg.php", id, password)).body)) {
        if (line.startsWith(u">MsG>"_s))
            texts.append(line.section(u"/@/"_s, 3));
    }
    return texts;
}

class ZuvdStorageTest : public StorageTest
{};
class ZuvdSharedPostgresTest : public StorageTest
{};

TEST_P(ZuvdStorageTest, KillLosesNoAcknowledgedMessage)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    // Senders keep going while zuvd is killed under them; a send counts as
    // acknowledged only when its answer came.
    std::atomic<bool> go = true;
    std::vector<std::set<int>> acknowledged(4);
    std::vector<std::thread> senders;
    for (std::size_t s = 0; s < acknowledged.size(); ++s) {
        senders.emplace_back([&, s] {
            for (int n = 0; go; ++n) {
                const int number = int(s) * 1000000 + n;
                const Answer answer = server.get(
                    sendTarget("100002", "eva", "100001", "m" + std::to_string(number) + "+"));
                if (answer.status == 200 && answer.body.startsWith("<text>"))
                    acknowledged[s].insert(number);
                else if (answer.status == 0)
                    break;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    server.kill();
    go = false;
    for (std::thread& t : senders)
        t.join();
    ASSERT_TRUE(server.restart());

    std::set<int> arrived;
    for (const QString& text : delivered(server, "100001", "demo"))
        arrived.insert(text.mid(1).trimmed().toInt());
    std::size_t total = 0;
    for (const std::set<int>& sent : acknowledged) {
        total += sent.size();
        for (const int number : sent)
            EXPECT_TRUE(arrived.count(number)) << "message " << number << " was lost";
    }
    EXPECT_GT(total, 20u) << "too few sends before the kill to tell anything";
}

TEST_P(ZuvdSharedPostgresTest, TwoServersServeOneNetwork)
{
    Zuvd first;
    ASSERT_TRUE(first.started());
    Zuvd second({}, first.database());
    ASSERT_TRUE(second.started());

    // A message sent through one is delivered by a refresh through the other,
    // once.
    ASSERT_EQ(first.get(sendTarget("100002", "eva", "100001", enc(u"přes dva "_s))).status, 200);
    EXPECT_EQ(delivered(second, "100001", "demo"), QStringList{u"přes dva "_s});
    EXPECT_TRUE(delivered(first, "100001", "demo").isEmpty());

    // A member registered through one adds a contact there; the other lists it.
    const int karel = registerMember(second, u"Karel"_s, u"k"_s);
    ASSERT_GT(karel, 0);
    EXPECT_EQ(first.get("/zuv/user_add.php?id=100001&h=demo&user=" + std::to_string(karel)).body,
              "nick// Karel\r\n");
    const QStringList contacts =
        replyLines(second.get(refreshTarget("all.php", "100001", "demo")).body);
    EXPECT_TRUE(std::any_of(contacts.begin(), contacts.end(), [&](const QString& line) {
        return line.contains(u"Karel"_s);
    })) << contacts.join(u'\n').toStdString();
}

ZUV_STORAGE_SUITE(ZuvdStorageTest);
// Sharing one database between servers is what PostgreSQL is for; an
// SQLite file belongs to one server.
INSTANTIATE_TEST_SUITE_P(Storage, ZuvdSharedPostgresTest,
                         ::testing::Values(::zuvtest::Storage::Postgres), ::zuvtest::storageName);

} // namespace
