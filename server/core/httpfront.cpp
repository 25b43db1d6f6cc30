#include "httpfront.h"

#include "catalog.h"
#include "loginthrottle.h"
#include "requests.h"

#include <QDateTime>
#include <algorithm>
#include <cerrno>
#include <foundation/codepage.h>
#include <httplib.h>
#include <mutex>
#include <netdb.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace zuv::server {
namespace {

constexpr time_t kReadTimeoutSeconds = 2;
// Members reconnect for every refresh, and a burst of them beyond the queue
// of pending connections loses SYNs the kernel resends only after a second.
// The kernel caps this at net.core.somaxconn.
constexpr int kListenBacklog = 4096;

// Handlers block on the database and on a guessing login's wait, so there
// are several workers a core; the floor keeps a crowd of clients that
// trickle their requests in from holding every worker.
int workerCount()
{
    return std::max(64, 8 * int(std::thread::hardware_concurrency()));
}

bool plainHost(const std::string& host)
{
    if (host.empty() || host.size() > 255)
        return false;
    for (const char c : host) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':' || c == '[' ||
                        c == ']';
        if (!ok)
            return false;
    }
    return true;
}

std::string errorLine(int status)
{
    switch (status) {
    case 400:
    case 414:
        return "er:badrequest\r\n";
    case 404:
        return "er:notfound\r\n";
    default:
        return "er:server\r\n";
    }
}

} // namespace

QString requestBase(const std::string& hostHeader, const std::string& localAddress, int localPort)
{
    if (plainHost(hostHeader))
        return QStringLiteral("http://") + QString::fromLatin1(hostHeader);
    const QString address = QString::fromLatin1(localAddress);
    const QString host = address.contains(u':') ? u'[' + address + u']' : address;
    return QStringLiteral("http://%1:%2").arg(host, QString::number(localPort));
}

struct HttpFront::Impl
{
    Database& db;
    ServerConfig config;
    httplib::Server server;
    // The socket httplib made last, which is the bound one once a bind succeeds.
    int lastSocket = -1;
    LoginThrottle throttle;
    CatalogCache catalog;

    enum class State
    {
        Idle,
        Running,
        Done,
    };
    std::mutex stateMutex;
    State state = State::Idle;
    bool stopRequested = false;

    State currentState()
    {
        std::lock_guard lock(stateMutex);
        return state;
    }

    Impl(Database& database, const ServerConfig& cfg) : db(database), config(cfg) {}

    void answer(const httplib::Request& req, httplib::Response& res)
    {
        Reply reply;
        // httplib keeps only what follows the last "=" of a pair; a chat
        // text holds "=" of its own ("#" goes as "*./=/").
        const std::size_t mark = req.target.find('?');
        const auto query = Query::fromBytes(parseQueryString(
            mark == std::string::npos ? std::string_view()
                                      : std::string_view(req.target).substr(mark + 1)));
        if (!query || !isTextBytes(req.path)) {
            reply = Reply::badRequest();
        } else {
            const QString client = QString::fromStdString(req.remote_addr);
            const QString path =
                CodePage::decode(QByteArrayView(req.path.data(), qsizetype(req.path.size())));
            // A login that guesses waits here, before it holds the database.
            // Pages and the search name their member in "idh" (their "id"
            // is whom they are about), the scripts in "id", the login link
            // in its path.
            const auto link = loginLinkPath(path);
            const QString who = link ? link->number
                                : query->has(QStringLiteral("idh"))
                                    ? query->text(QStringLiteral("idh"))
                                    : query->text(QStringLiteral("id"));
            if (!who.isEmpty()) {
                const auto wait = throttle.admit(LoginThrottle::accountKey(who), client);
                if (wait.count() > 0)
                    std::this_thread::sleep_for(wait);
            }
            const Context ctx{
                config,
                requestBase(req.get_header_value("Host"), req.local_addr, req.local_port),
                QDateTime::currentMSecsSinceEpoch(),
                &throttle,
                client,
                &catalog,
            };
            reply = handleRequest(db, path, *query, ctx);
        }
        res.status = reply.status;
        res.set_content(reply.body.constData(), std::size_t(reply.body.size()),
                        reply.contentType.constData());
    }
};

HttpFront::HttpFront(Database& db, const ServerConfig& config)
    : d(std::make_unique<Impl>(db, config))
{
    // Headers and body go out as separate writes; without this the body
    // waits for the client's delayed acknowledgement.
    d->server.set_tcp_nodelay(true);
    // A client that trickles its request in holds a worker while it does:
    // a request of the suite comes in one piece, so a pause of a few
    // seconds ends the connection, and there are workers enough that a
    // crowd of such clients still leaves the rest served.
    d->server.new_task_queue = [] {
        return new httplib::ThreadPool(std::size_t(workerCount()));
    };
    d->server.set_read_timeout(kReadTimeoutSeconds, 0);
    d->server.set_keep_alive_timeout(kReadTimeoutSeconds);
    // httplib's default also sets SO_REUSEPORT, which lets a second server
    // bind a port that one is listening on and take half its requests.
    d->server.set_socket_options([this](socket_t sock) {
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        d->lastSocket = sock;
    });
    // Callers only send GET; a body is never needed, so a big one is refused.
    d->server.set_payload_max_length(kMaxValueBytes);
    d->server.Get(R"([\s\S]*)", [this](const httplib::Request& req, httplib::Response& res) {
        d->answer(req, res);
    });
    // Errors httplib raises itself (a request line it cannot read, an address
    // too long) get a line in the same style as the scripts' own errors.
    const httplib::Server::HandlerWithResponse onError = [](const httplib::Request&,
                                                            httplib::Response& res) {
        if (!res.body.empty())
            return httplib::Server::HandlerResponse::Unhandled;
        res.set_content(errorLine(res.status), "text/plain; charset=windows-1250");
        return httplib::Server::HandlerResponse::Handled;
    };
    d->server.set_error_handler(onError);
}

HttpFront::~HttpFront() = default;

int HttpFront::bind(const QString& host, int port)
{
    const std::string name = host.toStdString();
    const int bound = port == 0 ? d->server.bind_to_any_port(name)
                                : (d->server.bind_to_port(name, port) ? port : -1);
    if (bound < 0)
        return -1;
    // The system's httplib listens with a backlog of 5 whatever we define;
    // Linux takes a second listen() on a listening socket as a new backlog.
    if (::listen(d->lastSocket, kListenBacklog) != 0)
        return -1;
    return bound;
}

bool HttpFront::run()
{
    {
        std::lock_guard lock(d->stateMutex);
        if (d->stopRequested)
            return true;
        d->state = Impl::State::Running;
    }
    const bool served = d->server.listen_after_bind();
    std::lock_guard lock(d->stateMutex);
    d->state = Impl::State::Done;
    return served;
}

void HttpFront::stop()
{
    {
        std::lock_guard lock(d->stateMutex);
        d->stopRequested = true;
        if (d->state != Impl::State::Running)
            return;
    }
    // httplib ignores a stop that comes before its loop has begun, so repeat
    // it until the loop has ended.
    while (d->currentState() == Impl::State::Running) {
        d->server.stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool addressInUse(const QString& host, int port)
{
    addrinfo hints = {};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (::getaddrinfo(host.toStdString().c_str(), service.c_str(), &hints, &found) != 0)
        return false;
    bool inUse = false;
    for (const addrinfo* a = found; a && !inUse; a = a->ai_next) {
        const int sock = ::socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (sock < 0)
            continue;
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        inUse = ::bind(sock, a->ai_addr, a->ai_addrlen) != 0 && errno == EADDRINUSE;
        ::close(sock);
    }
    ::freeaddrinfo(found);
    return inUse;
}

} // namespace zuv::server
