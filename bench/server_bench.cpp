// zuvd's answer to a full refresh, measured over loopback HTTP the way the
// downloader asks for it, and its user search over 100 000 members.
#include <QDateTime>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <httplib.h>
#include <random>
#include <server/core/contacts.h>
#include <server/core/database.h>
#include <server/core/httpfront.h>
#include <server/core/members.h>
#include <server/core/messages.h>
#include <server/core/requests.h>
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
        Sql& sql = session.sql();
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
        Sql& sql = session.sql();
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

constexpr int kSearchMembers = 100000;

// A database of kSearchMembers members with profiles, stations and refresh
// times spread as on a busy server: 2 % on line, a quarter with a station,
// four in five with a birth date, a third with notes, one in 200 suspended.
// Made once for all search benchmarks, in one transaction of plain inserts:
// a slow password hash for each would take half an hour.
class SearchData
{
public:
    static SearchData& instance()
    {
        static SearchData data;
        return data;
    }

    QStringList search(const QHash<QString, QString>& keys)
    {
        QHash<QString, QString> all = keys;
        all.insert(u"idh"_s, QString::number(m_asker));
        all.insert(u"h"_s, u"heslo"_s);
        const Context ctx{m_config, u"http://zuv.test"_s, m_now, nullptr, {}};
        const Reply reply = handleRequest(m_db, u"/zuv/search.php"_s, Query::fromText(all), ctx);
        return QString::fromLatin1(reply.body).split(u"\r\n"_s);
    }

private:
    SearchData() : m_db(m_dir.path() + u"/zuv.db"_s), m_now(QDateTime::currentMSecsSinceEpoch())
    {
        const QStringList first = {u"Jan"_s,    u"Petr"_s,  u"Šárka"_s,    u"Eva"_s,
                                   u"Jiří"_s,   u"Marie"_s, u"Tomáš"_s,    u"Lucie"_s,
                                   u"Martin"_s, u"Žofie"_s, u"Kateřina"_s, u"Řehoř"_s};
        const QStringList surnames = {u"Novák"_s, u"Svobodová"_s, u"Novotný"_s, u"Dvořák"_s,
                                      u"Černá"_s, u"Procházka"_s, u"Kučera"_s,  u"Veselá"_s,
                                      u"Horák"_s, u"Němec"_s};
        QStringList towns = {
            u"Praha"_s,          u"Brno"_s,    u"Ostrava"_s,        u"Plzeň"_s,
            u"Liberec"_s,        u"Olomouc"_s, u"Ústí nad Labem"_s, u"České Budějovice"_s,
            u"Hradec Králové"_s, u"Zlín"_s};
        for (int i = 0; i < 490; ++i)
            towns.append(u"Lhota %1"_s.arg(i));
        std::mt19937 random(7);
        const auto pick = [&](int n) {
            return int(random() % unsigned(n));
        };

        auto session = m_db.session();
        Sql& sql = session.sql();
        Transaction tx(sql);
        m_asker = *Members::create(sql, {u"hledač"_s, {}, {}, {}, {}, {}, {}}, u"heslo"_s);
        const QByteArray hash = hashPassword(u"x"_s).hash;
        for (int i = 1; i < kSearchMembers; ++i) {
            const QString firstName = first[pick(first.size())];
            const QString surname = surnames[pick(surnames.size())];
            // Half the members in the ten towns, half in the villages.
            const QString town = pick(2) ? towns[pick(10)] : towns[10 + pick(towns.size() - 10)];
            const QString notes = i % 3 ? QString() : u"Rád poslouchám hudbu, číslo %1."_s.arg(i);
            const QString birth = i % 5 != 1 ? u"%1-%2-%3"_s.arg(1940 + pick(70))
                                                   .arg(1 + pick(12), 2, 10, QChar(u'0'))
                                                   .arg(1 + pick(28), 2, 10, QChar(u'0'))
                                             : QString();
            const QString station =
                i % 4 ? QString() : u"st%1"_s.arg(pick(300), 3, 10, QChar(u'0'));
            const qint64 refresh = i % 50 ? m_now - 3600000 - pick(86400000) : m_now - 1000;
            const QString nickname = u"%1_%2"_s.arg(firstName).arg(i);
            sql.prepare("INSERT INTO members(number, nickname, nick_key, salt, hash, first_name, "
                        "surname, sex, birth_date, town, notes, radio, station, last_refresh, "
                        "suspended, first_name_key, surname_key, town_key, notes_key, "
                        "station_key) VALUES(?, ?, ?, '', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                        "?, ?, ?)")
                .bind(1, qint64(kFirstNumber + i))
                .bind(2, nickname)
                .bind(3, nicknameKey(nickname))
                .bind(4, hash)
                .bind(5, firstName)
                .bind(6, surname)
                .bind(7, pick(2) ? u"z"_s : u"m"_s)
                .bind(8, birth)
                .bind(9, town)
                .bind(10, notes)
                .bind(11, station.isEmpty() || pick(2) ? u"off"_s : u"on"_s)
                .bind(12, station)
                .bind(13, refresh)
                .bind(14, qint64(i % 200 == 0))
                .bind(15, searchKey(firstName))
                .bind(16, searchKey(surname))
                .bind(17, searchKey(town))
                .bind(18, searchKey(notes))
                .bind(19, searchKey(station))
                .run();
        }
        tx.commit();
    }

    QTemporaryDir m_dir;
    Database m_db;
    ServerConfig m_config;
    qint64 m_now;
    int m_asker = 0;
};

void search(benchmark::State& state, const QHash<QString, QString>& keys)
{
    SearchData& data = SearchData::instance();
    QString count;
    for (auto _ : state) {
        const QStringList lines = data.search(keys);
        if (!lines.value(0).startsWith(u"num//"_s)) {
            state.SkipWithError("search failed");
            break;
        }
        count = lines[0].mid(5);
    }
    state.counters["found"] = count.toDouble();
}

void SearchNicknamePart(benchmark::State& state)
{
    search(state, {{u"nick"_s, u"ŠÁRKA_12"_s}});
}

void SearchTown(benchmark::State& state)
{
    search(state, {{u"mesto"_s, u"brno"_s}});
}

void SearchNotesPart(benchmark::State& state)
{
    search(state, {{u"poznamky"_s, u"číslo 777"_s}});
}

void SearchStationListeners(benchmark::State& state)
{
    search(state, {{u"radio"_s, u"ST042"_s}});
}

void SearchOnlineOnly(benchmark::State& state)
{
    search(state, {{u"line"_s, u"online"_s}});
}

void SearchAgeRange(benchmark::State& state)
{
    search(state, {{u"agefrom"_s, u"20"_s}, {u"ageto"_s, u"30"_s}});
}

void SearchSex(benchmark::State& state)
{
    search(state, {{u"zm"_s, u"z"_s}});
}

void SearchCombined(benchmark::State& state)
{
    search(state, {{u"zm"_s, u"z"_s},
                   {u"mesto"_s, u"praha"_s},
                   {u"jmeno"_s, u"šárka"_s},
                   {u"agefrom"_s, u"20"_s},
                   {u"ageto"_s, u"40"_s}});
}

// The search window sends ages 0 to 100 when only one bound is filled in.
void SearchWideAgeAndSex(benchmark::State& state)
{
    search(state, {{u"zm"_s, u"m"_s}, {u"agefrom"_s, u"0"_s}, {u"ageto"_s, u"100"_s}});
}

void SearchOnlineInTown(benchmark::State& state)
{
    search(state, {{u"line"_s, u"online"_s},
                   {u"mesto"_s, u"praha"_s},
                   {u"agefrom"_s, u"0"_s},
                   {u"ageto"_s, u"100"_s}});
}

void SearchEveryone(benchmark::State& state)
{
    search(state, {});
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

BENCHMARK(SearchNicknamePart)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(SearchTown)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(SearchNotesPart)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(SearchStationListeners)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(SearchOnlineOnly)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(SearchAgeRange)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(SearchSex)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(SearchCombined)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(SearchWideAgeAndSex)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(SearchOnlineInTown)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(SearchEveryone)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
