// What zuvd does against those who would guess passwords or hold it up.
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <foundation/loginlink.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <server/core/database.h>
#include <server/core/members.h>
#include <support/qtprint.h>
#include <support/zuvdprocess.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;
using namespace zuvtest;

namespace {

// A GET from a loopback address of our choice (127.0.0.x).
Answer getFrom(const Zuvd& server, const char* address, const std::string& target)
{
    httplib::Client client("127.0.0.1", server.port());
    client.set_url_encode(false);
    client.set_read_timeout(60, 0);
    client.set_socket_options([address](socket_t sock) {
        sockaddr_in from = {};
        from.sin_family = AF_INET;
        ::inet_pton(AF_INET, address, &from.sin_addr);
        ::bind(sock, reinterpret_cast<sockaddr*>(&from), sizeof from);
    });
    const auto result = client.Get(target);
    if (!result)
        return {};
    return {result->status, {}, QByteArray::fromStdString(result->body)};
}

class ZuvdGuardTest : public zuvtest::StorageTest
{};

TEST_P(ZuvdGuardTest, AnOldPasswordHashIsReplacedAtTheNextGoodLogin)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const QByteArray salt = "0123456789abcdef";
    {
        zuv::server::Database db(server.database());
        auto session = db.session();
        zuv::server::Members::setPassword(
            session.sql(), kEva,
            {salt, QCryptographicHash::hash(salt + QByteArray("eva"), QCryptographicHash::Sha256)});
    }
    EXPECT_EQ(replyLines(server.get("/zuv/login.php?id=Eva&h=eva").body).value(0),
              u"zuvid:100002"_s);
    zuv::server::Database db(server.database());
    auto session = db.session();
    const auto eva = zuv::server::Members::byNumber(session.sql(), kEva);
    ASSERT_TRUE(eva);
    EXPECT_TRUE(eva->password.hash.startsWith("$y$")) << eva->password.hash.toStdString();
    EXPECT_TRUE(eva->password.salt.isEmpty());
    EXPECT_TRUE(zuv::server::verifyPassword(u"eva"_s, eva->password));
}

TEST_P(ZuvdGuardTest, GuessingSlowsThatNumberFromThatAddressOnly)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    const std::string wrong = "/zuv/login.php?id=100001&h=hadam";
    const std::string right = "/zuv/login.php?id=100001&h=demo";
    const auto timed = [&](const char* address, const std::string& target) {
        QElapsedTimer clock;
        clock.start();
        const Answer answer = getFrom(server, address, target);
        return std::pair(clock.elapsed(), answer.body);
    };
    for (int i = 0; i < 10; ++i)
        EXPECT_LT(timed("127.0.0.1", wrong).first, 500) << "attempt " << i + 1;
    // From now on this address waits, longer each time.
    const auto eleventh = timed("127.0.0.1", wrong);
    const auto twelfth = timed("127.0.0.1", wrong);
    EXPECT_GE(eleventh.first, 900);
    EXPECT_GE(twelfth.first, 1900);
    EXPECT_TRUE(eleventh.second.startsWith("zuvx:"));
    // The member from elsewhere, and another number from here, never wait.
    const auto elsewhere = timed("127.0.0.2", right);
    EXPECT_LT(elsewhere.first, 500);
    EXPECT_TRUE(elsewhere.second.startsWith("zuvid:100001")) << elsewhere.second.toStdString();
    EXPECT_LT(timed("127.0.0.1", "/zuv/login.php?id=100002&h=eva").first, 500);
    // The right password here is answered too, late, and ends the waiting.
    const auto late = timed("127.0.0.1", right);
    EXPECT_GE(late.first, 900);
    EXPECT_TRUE(late.second.startsWith("zuvid:100001"));
    EXPECT_LT(timed("127.0.0.1", right).first, 500);
    // The search and the pages count and wait alike: their member is "idh".
    const std::string search = "/zuv/search.php?idh=100002&h=hadam&id=&nick=Eva";
    for (int i = 0; i < 10; ++i)
        timed("127.0.0.1", search);
    EXPECT_GE(timed("127.0.0.1", search).first, 900);
    // So does the web login link, whose member is in its path.
    const std::string link =
        "/login/100001/" + zuv::LoginLink::Heslo(u"hadam"_s).toStdString() + "//1";
    for (int i = 0; i < 10; ++i)
        timed("127.0.0.3", link);
    EXPECT_GE(timed("127.0.0.3", link).first, 900);
    std::printf("[ figures  ] wrong logins 11 and 12 waited %lld and %lld ms\n",
                static_cast<long long>(eleventh.first), static_cast<long long>(twelfth.first));
}

TEST_P(ZuvdGuardTest, ClientsThatTrickleTheirRequestInDoNotHoldTheOthers)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    // Sixteen clients each sending one byte of a request every 3 s, and
    // coming back whenever the server ends their connection.
    std::atomic<bool> stop{false};
    std::vector<std::thread> slow;
    for (int i = 0; i < 16; ++i) {
        slow.emplace_back([&] {
            const std::string request = "GET /zuv/all.php?id=100001&h=demo HTTP/1.1\r\nHost: x\r\n";
            while (!stop) {
                const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
                sockaddr_in to = {};
                to.sin_family = AF_INET;
                to.sin_port = htons(quint16(server.port()));
                ::inet_pton(AF_INET, "127.0.0.1", &to.sin_addr);
                if (::connect(sock, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) {
                    for (std::size_t at = 0; !stop && at < request.size(); ++at) {
                        if (::send(sock, request.data() + at, 1, MSG_NOSIGNAL) != 1)
                            break;
                        for (int t = 0; t < 300 && !stop; ++t)
                            std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    }
                }
                ::close(sock);
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::vector<qint64> times;
    QElapsedTimer span;
    span.start();
    while (span.elapsed() < 7000) {
        QElapsedTimer clock;
        clock.start();
        const Answer answer = server.get(refreshTarget("all.php", "100001", "demo"));
        times.push_back(clock.elapsed());
        EXPECT_EQ(answer.status, 200);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    stop = true;
    for (std::thread& t : slow)
        t.join();
    std::sort(times.begin(), times.end());
    EXPECT_LT(times.back(), 200) << "the slowest refresh";
    std::printf(
        "[ figures  ] %zu refreshes beside 16 slow clients: median %lld ms, slowest %lld ms\n",
        times.size(), static_cast<long long>(times[times.size() / 2]),
        static_cast<long long>(times.back()));
}

ZUV_STORAGE_SUITE(ZuvdGuardTest);

} // namespace
