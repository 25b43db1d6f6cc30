// zuvd's answer to a full refresh, measured over loopback HTTP the way the
// downloader asks for it.
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <httplib.h>
#include <server/core/contacts.h>
#include <server/core/database.h>
#include <server/core/httpfront.h>
#include <server/core/members.h>
#include <server/core/messages.h>
#include <thread>

using namespace Qt::StringLiterals;
using namespace zuv::server;

namespace {

constexpr int kContacts = 200;
constexpr int kQueued = 50;

// A server in this process with one member who has kContacts contacts.
class BenchServer
{
public:
    BenchServer() : m_db(m_dir.path() + u"/zuv.db"_s), m_front(m_db, ServerConfig{})
    {
        auto session = m_db.session();
        Sqlite& sql = session.sql();
        Transaction tx(sql);
        m_member = *Members::create(sql, {u"bench"_s, {}, {}, {}, {}, {}, {}}, u"heslo"_s);
        for (int i = 0; i < kContacts; ++i) {
            const int contact = *Members::create(sql,
                                                 {u"přítel %1"_s.arg(i),
                                                  u"Jméno"_s,
                                                  u"Příjmení"_s,
                                                  u"z"_s,
                                                  u"1990-01-01"_s,
                                                  u"Praha"_s,
                                                  {}},
                                                 u"x"_s);
            Contacts::add(sql, m_member, contact);
            m_contacts.push_back(contact);
        }
        tx.commit();
        m_port = m_front.bind(u"127.0.0.1"_s, 0);
        m_thread = std::thread([this] { m_front.run(); });
    }

    ~BenchServer()
    {
        m_front.stop();
        m_thread.join();
    }

    int port() const { return m_port; }
    int member() const { return m_member; }

    void queueMessages(int count)
    {
        auto session = m_db.session();
        Sqlite& sql = session.sql();
        Transaction tx(sql);
        for (int i = 0; i < count; ++i) {
            Messages::queue(sql, m_contacts[std::size_t(i) % m_contacts.size()], m_member,
                            u"Ahoj, jak se máš? Zpráva číslo %1 "_s.arg(i), 0);
        }
        tx.commit();
    }

private:
    QTemporaryDir m_dir;
    Database m_db;
    HttpFront m_front;
    int m_member = 0;
    std::vector<int> m_contacts;
    int m_port = 0;
    std::thread m_thread;
};

void refresh(benchmark::State& state, const char* script, int queued)
{
    BenchServer server;
    httplib::Client client("127.0.0.1", server.port());
    client.set_keep_alive(true);
    client.set_tcp_nodelay(true);
    const std::string target = std::string("/zuv/") + script +
                               "?id=" + std::to_string(server.member()) +
                               "&h=heslo&aktualizace=&radio=off&nalada=%3A%29&zuvrezim=0&ws=1";
    std::size_t bytes = 0;
    for (auto _ : state) {
        server.queueMessages(queued);
        const auto start = std::chrono::steady_clock::now();
        const auto result = client.Get(target);
        const auto end = std::chrono::steady_clock::now();
        if (!result || result->status != 200) {
            state.SkipWithError("refresh failed");
            break;
        }
        bytes += result->body.size();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["reply_bytes"] = benchmark::Counter(double(bytes) / double(state.iterations()));
}

void FullRefresh200Contacts50Messages(benchmark::State& state)
{
    refresh(state, "all.php", kQueued);
}

void MessageRefreshNothingQueued(benchmark::State& state)
{
    refresh(state, "all_msg.php", 0);
}

} // namespace

BENCHMARK(FullRefresh200Contacts50Messages)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(MessageRefreshNothingQueued)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
