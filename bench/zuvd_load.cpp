// zuvd under the traffic of many members at once. Starts its own zuvd on
// loopback for each database given, registers the members, and for a bounded
// time has every member refresh, fetch messages and send one as the
// messenger does, on a new connection a request like the downloader. Prints
// requests/s, latency percentiles, zuvd's CPU per request and what the
// kernel counted of dropped connections.
#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <netinet/in.h>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <support/postgresprocess.h>
#include <support/zuvdprocess.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kMaxClients = 256;
constexpr int kMaxSeconds = 60;
constexpr auto kSlow = 100ms;
// yescrypt takes 16 MiB a registration; a few at a time are enough.
constexpr int kRegisteringThreads = 4;

struct Settings
{
    QString zuvd;
    QStringList dbs;
    int clients = 64;
    int seconds = 15;
    double scale = 100;
    int contacts = 8;
};

const char* const kUsage =
    "usage: zuvd_load [--db sqlite|<zuvd --db argument>]... [--clients N] [--seconds S]\n"
    "                 [--scale K] [--contacts C] [--zuvd PATH]\n"
    "  --db        a database for zuvd, once per run; \"sqlite\" (the default) is a\n"
    "              fresh file in a temporary directory, \"postgresql\" a fresh database\n"
    "              in a PostgreSQL cluster of the loader's own\n"
    "  --clients   members refreshing at once, 1 to 256 (default 64)\n"
    "  --seconds   length of each run, 1 to 60 (default 15)\n"
    "  --scale     how many times faster than a member's messenger each client\n"
    "              goes: a full refresh every 10 s, a message refresh every 2 s and\n"
    "              one message sent a minute, divided by K (default 100)\n"
    "  --contacts  contacts each member has (default 8)\n"
    "  --zuvd      the server program (default: zuvd of this build's suite)\n";

std::optional<Settings> parseArgs(const QStringList& args, QString& error)
{
    Settings s;
    s.zuvd = QCoreApplication::applicationDirPath() + QStringLiteral("/../suite/zuvd");
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            return std::nullopt;
        if (i + 1 >= args.size()) {
            error = a + QStringLiteral(" needs a value");
            return std::nullopt;
        }
        const QString v = args[++i];
        bool ok = true;
        if (a == QLatin1String("--db"))
            s.dbs.append(v);
        else if (a == QLatin1String("--zuvd"))
            s.zuvd = v;
        else if (a == QLatin1String("--clients"))
            s.clients = v.toInt(&ok);
        else if (a == QLatin1String("--seconds"))
            s.seconds = v.toInt(&ok);
        else if (a == QLatin1String("--scale"))
            s.scale = v.toDouble(&ok);
        else if (a == QLatin1String("--contacts"))
            s.contacts = v.toInt(&ok);
        else {
            error = QStringLiteral("unknown option ") + a;
            return std::nullopt;
        }
        if (!ok) {
            error = QStringLiteral("bad value for ") + a;
            return std::nullopt;
        }
    }
    if (s.clients < 1 || s.clients > kMaxClients || s.seconds < 1 || s.seconds > kMaxSeconds ||
        !(s.scale >= 1 && s.scale <= 1000) || s.contacts < 0 || s.contacts >= s.clients) {
        error = QStringLiteral("a value is out of its bounds");
        return std::nullopt;
    }
    if (s.dbs.isEmpty())
        s.dbs.append(QStringLiteral("sqlite"));
    return s;
}

// --- one request ----------------------------------------------------------

struct Response
{
    int status = 0; // 0: no answer
    std::string body;
};

// A GET on a connection of its own, closed after the answer, as each run of
// the downloader does.
Response get(int port, const std::string& target)
{
    Response out;
    const int sock = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return out;
    timeval timeout = {10, 0};
    ::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(uint16_t(port));
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(sock, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
        ::close(sock);
        return out;
    }
    const std::string request = "GET " + target +
                                " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                                "\r\nConnection: close\r\n\r\n";
    if (::send(sock, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size())) {
        ::close(sock);
        return out;
    }
    std::string raw;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
        if (n <= 0) {
            if (n < 0)
                raw.clear();
            break;
        }
        raw.append(buffer, std::size_t(n));
    }
    ::close(sock);
    const std::size_t headEnd = raw.find("\r\n\r\n");
    if (raw.compare(0, 9, "HTTP/1.1 ") != 0 || headEnd == std::string::npos)
        return out;
    out.status = std::atoi(raw.c_str() + 9);
    out.body = raw.substr(headEnd + 4);
    return out;
}

bool answered(const Response& r)
{
    return r.status == 200 && r.body.compare(0, 3, "er:") != 0;
}

// --- what is measured -----------------------------------------------------

enum Kind
{
    Full,
    Messages,
    Send,
    kKinds
};
const char* const kKindNames[kKinds] = {"full refresh", "message refresh", "message sent"};

struct Sample
{
    uint32_t micros;
    uint8_t kind;
};

struct ClientLog
{
    std::vector<Sample> samples;
    int errors[kKinds] = {};
    int lateStarts = 0; // began over kSlow after their time: the loader fell behind
    int missed = 0;     // due over kSlow before the end but not begun by then
};

// CPU seconds (user + system) of a process from /proc/<pid>/stat.
double cpuSeconds(long long pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name may hold spaces; fields are counted after its ")".
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        else if (i == 15)
            stime = std::stoull(field);
    }
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

double ownCpuSeconds()
{
    rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto secs = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return secs(usage.ru_utime) + secs(usage.ru_stime);
}

// The kernel's TCP counters by name, from pairs of a header line and a value
// line (/proc/net/netstat, /proc/net/snmp).
std::map<std::string, long long> tcpCounters()
{
    std::map<std::string, long long> out;
    for (const char* file : {"/proc/net/netstat", "/proc/net/snmp"}) {
        std::ifstream in(file);
        std::string names, values;
        while (std::getline(in, names) && std::getline(in, values)) {
            std::istringstream n(names), v(values);
            std::string prefix, name, value;
            n >> prefix;
            v >> value;
            if (prefix != "TcpExt:" && prefix != "Tcp:")
                continue;
            while (n >> name && v >> value)
                out[prefix + name] = std::atoll(value.c_str());
        }
    }
    return out;
}

const char* const kCounters[][2] = {
    {"TcpExt:ListenOverflows", "listen overflows"},
    {"TcpExt:ListenDrops", "listen drops"},
    {"TcpExt:TCPSynRetrans", "SYN retransmits"},
    {"Tcp:RetransSegs", "retransmitted segments"},
};

struct KindFigures
{
    std::size_t count = 0;
    int errors = 0;
    double p50 = 0, p90 = 0, p99 = 0, p999 = 0, max = 0; // ms
    std::size_t slow = 0;
};

KindFigures figures(std::vector<uint32_t> micros, int errors)
{
    KindFigures f;
    f.count = micros.size();
    f.errors = errors;
    if (micros.empty())
        return f;
    std::sort(micros.begin(), micros.end());
    const auto at = [&](double q) {
        const std::size_t i = std::min(micros.size() - 1, std::size_t(q * double(micros.size())));
        return double(micros[i]) / 1000.0;
    };
    f.p50 = at(0.5);
    f.p90 = at(0.9);
    f.p99 = at(0.99);
    f.p999 = at(0.999);
    f.max = double(micros.back()) / 1000.0;
    const auto slowMicros = uint32_t(std::chrono::microseconds(kSlow).count());
    f.slow = std::size_t(micros.end() - std::upper_bound(micros.begin(), micros.end(), slowMicros));
    return f;
}

struct RunResult
{
    QString db;
    bool ran = false;
    double seconds = 0;
    KindFigures kinds[kKinds];
    KindFigures all;
    double serverCpu = 0, loaderCpu = 0;
    int lateStarts = 0;
    int missed = 0;
    std::map<std::string, long long> counters;
};

// --- a run ----------------------------------------------------------------

struct Member
{
    int number = 0;
    std::string password;
};

// zuvd on a free loopback port; port() is 0 when it did not come up.
class Server
{
public:
    Server(const QString& program, const QString& db)
    {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(program, {QStringLiteral("--db"), db, QStringLiteral("--listen"),
                                  QStringLiteral("127.0.0.1:0")});
        if (!m_process.waitForStarted(10000))
            return;
        const auto until = Clock::now() + 30s;
        while (!m_process.canReadLine() && Clock::now() < until &&
               m_process.state() == QProcess::Running)
            m_process.waitForReadyRead(100);
        const QByteArray line = m_process.readLine().trimmed();
        const QByteArray prefix = "zuvd listening on http://127.0.0.1:";
        if (line.startsWith(prefix))
            m_port = line.mid(prefix.size()).toInt();
    }
    ~Server()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(10000)) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    int port() const { return m_port; }
    long long pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    int m_port = 0;
};

// Runs work(i) for i in [0, count) on `threads` threads.
template <typename Work> void inParallel(int count, int threads, const Work& work)
{
    std::atomic<int> next{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < std::min(count, threads); ++t)
        pool.emplace_back([&] {
            for (int i = next++; i < count; i = next++)
                work(i);
        });
    for (std::thread& t : pool)
        t.join();
}

// Registers the members and gives each the contacts that follow it; empty
// when the server would not register them.
std::vector<Member> prepareMembers(int port, const Settings& s)
{
    const std::string tag =
        std::to_string(::getpid()) + "x" +
        std::to_string(std::chrono::system_clock::now().time_since_epoch() / 1s % 100000);
    std::vector<Member> members(std::size_t(s.clients));
    std::atomic<bool> failed{false};
    inParallel(s.clients, kRegisteringThreads, [&](int i) {
        Member& m = members[std::size_t(i)];
        m.password = "pw" + std::to_string(i);
        const std::string nick = "load" + tag + "n" + std::to_string(i);
        const Response r = get(port, "/zuv/add_user.php?nick=" + nick + "&heslo=" + m.password +
                                         "&heslo2=" + m.password);
        // "... číslo je NNNNNN, nick ..."
        const std::size_t at = r.body.find("slo je ");
        if (r.status == 200 && at != std::string::npos)
            m.number = std::atoi(r.body.c_str() + at + 7);
        if (m.number <= 0)
            failed = true;
    });
    if (failed)
        return {};
    inParallel(s.clients, s.clients, [&](int i) {
        const Member& m = members[std::size_t(i)];
        for (int c = 1; c <= s.contacts; ++c) {
            const Member& other = members[std::size_t((i + c) % s.clients)];
            get(port, "/zuv/user_add.php?id=" + std::to_string(m.number) + "&h=" + m.password +
                          "&user=" + std::to_string(other.number));
        }
    });
    return members;
}

// One member's messenger, sped up by s.scale, until `end`.
void runClient(int port, const Settings& s, const std::vector<Member>& members, int index,
               Clock::time_point start, Clock::time_point end, ClientLog& log)
{
    const Member& me = members[std::size_t(index)];
    const Member& to = members[std::size_t((index + 1) % members.size())];
    const auto period = [&](double seconds) {
        return std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(seconds / s.scale));
    };
    const Clock::duration periods[kKinds] = {period(10), period(2), period(60)};
    // Members started their messengers at different moments.
    std::mt19937 random(unsigned(index) * 7919u + 17u);
    Clock::time_point due[kKinds];
    for (int k = 0; k < kKinds; ++k)
        due[k] = start + Clock::duration(std::uniform_int_distribution<long long>(
                             0, periods[k].count() - 1)(random));
    const std::string full =
        zuvtest::refreshTarget("all.php", std::to_string(me.number), me.password);
    const std::string messages =
        zuvtest::refreshTarget("all_msg.php", std::to_string(me.number), me.password);
    int sent = 0;
    for (;;) {
        const int k = int(std::min_element(due, due + kKinds) - due);
        if (due[k] >= end)
            break;
        std::this_thread::sleep_until(due[k]);
        const Clock::time_point begin = Clock::now();
        // A run ends on time even when the server has fallen behind.
        if (begin >= end) {
            // Those due in the last moments count as on time.
            for (int j = 0; j < kKinds; ++j)
                for (; due[j] < end - kSlow; due[j] += periods[j])
                    ++log.missed;
            break;
        }
        if (begin - due[k] > kSlow)
            ++log.lateStarts;
        std::string target;
        if (k == Full)
            target = full;
        else if (k == Messages)
            target = messages;
        else
            target = "/zuv/message_add.php?id=" + std::to_string(me.number) + "&h=" + me.password +
                     "&to=" + std::to_string(to.number) + "&ver=1&text=ahoj" +
                     std::to_string(++sent);
        const Response r = get(port, target);
        const auto took =
            std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - begin);
        if (answered(r))
            log.samples.push_back({uint32_t(took.count()), uint8_t(k)});
        else
            ++log.errors[k];
        due[k] += periods[k];
    }
}

RunResult runOnce(const Settings& s, const QString& db)
{
    RunResult result;
    result.db = db;
    QTemporaryDir dir;
    QString dbArg = db;
    if (db == QLatin1String("sqlite")) {
        dbArg = dir.path() + QStringLiteral("/zuv.db");
    } else if (db == QLatin1String("postgresql")) {
        zuvtest::PostgresCluster& cluster = zuvtest::PostgresCluster::shared();
        if (cluster.started())
            dbArg = cluster.createDatabase();
        if (dbArg == db || dbArg.isEmpty()) {
            std::fprintf(stderr, "zuvd_load: no PostgreSQL of its own: %s\n",
                         qPrintable(cluster.reason()));
            return result;
        }
    }
    Server server(s.zuvd, dbArg);
    if (server.port() <= 0) {
        std::fprintf(stderr, "zuvd_load: %s did not start with --db %s\n", qPrintable(s.zuvd),
                     qPrintable(dbArg));
        return result;
    }
    const std::vector<Member> members = prepareMembers(server.port(), s);
    if (members.empty()) {
        std::fprintf(stderr, "zuvd_load: zuvd did not register the members\n");
        return result;
    }

    std::vector<ClientLog> logs(std::size_t(s.clients));
    const auto countersBefore = tcpCounters();
    const double serverBefore = cpuSeconds(server.pid());
    const double loaderBefore = ownCpuSeconds();
    const Clock::time_point start = Clock::now() + 50ms;
    const Clock::time_point end = start + std::chrono::seconds(s.seconds);
    std::vector<std::thread> clients;
    for (int i = 0; i < s.clients; ++i)
        clients.emplace_back(runClient, server.port(), std::cref(s), std::cref(members), i, start,
                             end, std::ref(logs[std::size_t(i)]));
    for (std::thread& t : clients)
        t.join();
    // The last requests may finish a little after `end`.
    result.seconds = std::chrono::duration<double>(std::max(Clock::now(), end) - start).count();
    result.serverCpu = cpuSeconds(server.pid()) - serverBefore;
    result.loaderCpu = ownCpuSeconds() - loaderBefore;
    const auto countersAfter = tcpCounters();
    for (const auto& [name, label] : kCounters) {
        (void)label;
        const auto before = countersBefore.find(name), after = countersAfter.find(name);
        if (before != countersBefore.end() && after != countersAfter.end())
            result.counters[name] = after->second - before->second;
    }

    std::vector<uint32_t> byKind[kKinds], all;
    int errors[kKinds] = {}, allErrors = 0;
    for (const ClientLog& log : logs) {
        for (const Sample& sample : log.samples) {
            byKind[sample.kind].push_back(sample.micros);
            all.push_back(sample.micros);
        }
        for (int k = 0; k < kKinds; ++k) {
            errors[k] += log.errors[k];
            allErrors += log.errors[k];
        }
        result.lateStarts += log.lateStarts;
        result.missed += log.missed;
    }
    for (int k = 0; k < kKinds; ++k)
        result.kinds[k] = figures(std::move(byKind[k]), errors[k]);
    result.all = figures(std::move(all), allErrors);
    result.ran = true;
    return result;
}

QString shownDb(const QString& db)
{
    // A connection string may carry a password.
    const qsizetype at = db.indexOf(u'@');
    const qsizetype scheme = db.indexOf(QStringLiteral("://"));
    if (at > 0 && scheme > 0 && at > scheme)
        return db.left(scheme + 3) + QStringLiteral("…") + db.mid(at);
    return db;
}

void printRow(const char* db, const char* kind, const KindFigures& f, double seconds)
{
    std::printf("| %-10s | %-15s | %8zu | %7.0f | %6.2f | %6.2f | %6.2f | %7.2f | %7.2f | %7zu | "
                "%6d |\n",
                db, kind, f.count, double(f.count) / seconds, f.p50, f.p90, f.p99, f.p999, f.max,
                f.slow, f.errors);
}

void printResults(const Settings& s, const std::vector<RunResult>& runs)
{
    const auto ms = [&](double seconds) {
        return seconds / s.scale * 1000.0;
    };
    std::printf("\n%d clients for %d s, each a full refresh every %.0f ms, a message refresh "
                "every %.0f ms and a message sent every %.0f ms (the messenger x%g); a new "
                "connection a request; %u CPUs\n\n",
                s.clients, s.seconds, ms(10), ms(2), ms(60), s.scale,
                std::thread::hardware_concurrency());
    std::printf("| db         | request         | count    | req/s   | p50 ms | p90 ms | p99 ms | "
                "p99.9 ms | max ms  | >100 ms | errors |\n");
    std::printf("|------------|-----------------|----------|---------|--------|--------|--------|"
                "----------|---------|---------|--------|\n");
    for (const RunResult& r : runs) {
        if (!r.ran)
            continue;
        const QByteArray db =
            (r.db == QLatin1String("sqlite")              ? QStringLiteral("SQLite")
             : r.db.startsWith(QLatin1String("postgres")) ? QStringLiteral("PostgreSQL")
                                                          : QFileInfo(r.db).fileName())
                .toUtf8();
        for (int k = 0; k < kKinds; ++k)
            printRow(db.constData(), kKindNames[k], r.kinds[k], r.seconds);
        printRow(db.constData(), "all", r.all, r.seconds);
    }
    std::printf("\n");
    for (const RunResult& r : runs) {
        if (!r.ran) {
            std::printf("%s: did not run\n", qPrintable(shownDb(r.db)));
            continue;
        }
        const double perRequest = r.all.count ? r.serverCpu / double(r.all.count) * 1e6 : 0.0;
        std::printf("%s: zuvd used %.2f CPU s (%.2f cores), %.0f us a request; the loader %.2f "
                    "CPU s; %d requests began over 100 ms late, %d due by the end not begun\n",
                    qPrintable(shownDb(r.db)), r.serverCpu, r.serverCpu / r.seconds, perRequest,
                    r.loaderCpu, r.lateStarts, r.missed);
        std::printf("  kernel, whole machine:");
        for (const auto& [name, label] : kCounters) {
            const auto c = r.counters.find(name);
            if (c != r.counters.end())
                std::printf(" %s %lld,", label, c->second);
        }
        std::printf("\n");
        const bool met = r.all.slow == 0 && r.all.p99 < 20.0 && r.all.errors == 0 && r.missed == 0;
        std::printf("  none over 100 ms, p99 under 20 ms, none failed or missed: %s\n",
                    met ? "yes" : "NO");
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString error;
    const auto settings = parseArgs(app.arguments().mid(1), error);
    if (!settings) {
        if (!error.isEmpty())
            std::fprintf(stderr, "zuvd_load: %s\n", qPrintable(error));
        std::fputs(kUsage, error.isEmpty() ? stdout : stderr);
        return error.isEmpty() ? 0 : 2;
    }
    std::vector<RunResult> runs;
    for (const QString& db : settings->dbs) {
        std::fprintf(stderr, "zuvd_load: %s ...\n", qPrintable(shownDb(db)));
        runs.push_back(runOnce(*settings, db));
    }
    printResults(*settings, runs);
    const bool allRan =
        std::all_of(runs.begin(), runs.end(), [](const RunResult& r) { return r.ran; });
    return allRan ? 0 : 1;
}
