// zuvd's station catalog of 50 000 stations, fetched over loopback HTTP as
// the downloader fetches it: the list from the kept rendering, and the probe
// and list that follow a change of the catalog, which render it anew.
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <httplib.h>
#include <random>
#include <server/core/catalog.h>
#include <server/core/database.h>
#include <server/core/httpfront.h>
#include <server/core/members.h>
#include <thread>

using namespace Qt::StringLiterals;
using namespace zuv::server;

namespace {

constexpr int kStations = 50000;
constexpr int kRoots = 40;
constexpr int kChildren = 5;

// Stations spread over kRoots categories of kChildren sub-categories each,
// with one to five quality levels, Czech names and a description.
StationCatalog generatedCatalog()
{
    std::mt19937 random(11);
    const auto pick = [&](int n) {
        return int(random() % unsigned(n));
    };
    const QStringList words = {u"Rádio"_s, u"Český"_s,  u"Žďár"_s,   u"Hity"_s,   u"Klasika"_s,
                               u"Jazz"_s,  u"Morava"_s, u"Šumava"_s, u"Zprávy"_s, u"Ústí"_s};
    const QStringList countries = {u"Česko"_s, u"Slovensko"_s, u"Polsko"_s, u"Rakousko"_s};
    const QStringList rates = {u"24"_s, u"32"_s, u"64"_s, u"128"_s, u"192"_s};
    StationCatalog c;
    for (int r = 0; r < kRoots; ++r) {
        const QString root = QString::number(100100 + r * 100);
        c.categories.append({root, u"Žánr %1"_s.arg(r)});
        for (int k = 1; k <= kChildren; ++k)
            c.categories.append({root + QString::number(k), u"Podžánr %1/%2"_s.arg(r).arg(k)});
    }
    for (int i = 0; i < kStations; ++i) {
        using namespace StationField;
        CatalogStation s;
        s.fields[Id] = u"%1"_s.arg(i, 6, 36, QChar(u'0'));
        s.fields[Name] = words[pick(10)] + u' ' + words[pick(10)] + u' ' + QString::number(i);
        s.fields[Mark] = i % 50 == 0 ? u"tip: doporučujeme"_s : QString();
        s.fields[Country] = countries[pick(4)];
        s.fields[Category] = QString::number(100100 + pick(kRoots) * 100) +
                             (pick(3) ? QString::number(1 + pick(kChildren)) : QString());
        const int levels = 1 + pick(5);
        for (int level = 0; level < levels; ++level) {
            s.fields[Url1 + level] =
                u"http://stream%1.radia.example:8000/live-%2k.mp3"_s.arg(i).arg(rates[level]);
            s.fields[Rate1 + level] = rates[level];
        }
        s.fields[Web] = u"http://www.radio%1.example/"_s.arg(i);
        s.fields[Description] = u"Hudba a slovo pro celou rodinu, vysíláme každý den od rána."_s;
        c.stations.append(std::move(s));
    }
    c.infos.append(u"1/@/255/@/60/@/Vítejte!/@/Informace/@/openurl/@/faq"_s);
    return c;
}

// A server in this process with the generated catalog and one member.
class CatalogServer
{
public:
    static CatalogServer& instance()
    {
        static CatalogServer server;
        return server;
    }

    int port() const { return m_port; }
    std::string target(bool probe) const
    {
        return std::string("/sorvanta.trolvik/sv_list.php?") + (probe ? "size=1&" : "") +
               "idh=" + std::to_string(m_member);
    }
    // What an import does to the server: the kept rendering is stale.
    void touchCatalog()
    {
        auto session = m_db.session();
        session.sql().exec("UPDATE catalog_meta SET generation = generation + 1");
    }

private:
    CatalogServer() : m_db(m_dir.path() + u"/zuv.db"_s), m_front(m_db, ServerConfig{})
    {
        {
            auto session = m_db.session();
            m_member = *Members::create(session.sql(), {u"posluchač"_s, {}, {}, {}, {}, {}, {}},
                                        u"heslo"_s);
            Catalog::replace(session.sql(), generatedCatalog(), CatalogOrigin::Imported);
        }
        m_port = m_front.bind(u"127.0.0.1"_s, 0);
        m_thread = std::thread([this] { m_front.run(); });
    }
    ~CatalogServer()
    {
        m_front.stop();
        m_thread.join();
    }

    QTemporaryDir m_dir;
    Database m_db;
    HttpFront m_front;
    int m_member = 0;
    int m_port = 0;
    std::thread m_thread;
};

void fetch(benchmark::State& state, bool changed)
{
    CatalogServer& server = CatalogServer::instance();
    httplib::Client client("127.0.0.1", server.port());
    client.set_keep_alive(true);
    client.set_read_timeout(30, 0);
    std::size_t bytes = 0;
    // The first fetch renders, so the warm case starts warm.
    client.Get(server.target(false));
    for (auto _ : state) {
        if (changed)
            server.touchCatalog();
        const auto start = std::chrono::steady_clock::now();
        if (changed) {
            const auto probe = client.Get(server.target(true));
            if (!probe || probe->body.rfind("size:", 0) != 0) {
                state.SkipWithError("probe failed");
                break;
            }
        }
        const auto list = client.Get(server.target(false));
        const auto end = std::chrono::steady_clock::now();
        if (!list || list->status != 200 || list->body.size() < 1000) {
            state.SkipWithError("list failed");
            break;
        }
        bytes = list->body.size();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    state.counters["list_bytes"] = double(bytes);
}

void CatalogList50000Stations(benchmark::State& state)
{
    fetch(state, false);
}

void CatalogProbeAndListAfterAChange50000Stations(benchmark::State& state)
{
    fetch(state, true);
}

} // namespace

BENCHMARK(CatalogList50000Stations)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(CatalogProbeAndListAfterAChange50000Stations)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
