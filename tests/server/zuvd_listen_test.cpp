// How zuvd listens: the queue of connections the kernel holds for it.
#include <QFile>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <support/zuvdprocess.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace zuvtest;

namespace {

// The backlog of the IPv4 TCP socket listening on `port` (what `ss -ltn`
// shows as Send-Q), asked of the kernel's socket diagnostics; -1 if none.
int listenBacklog(int port)
{
    const int sock = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG);
    if (sock < 0)
        return -1;
    struct
    {
        nlmsghdr header;
        inet_diag_req_v2 body;
    } request = {};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.body.sdiag_family = AF_INET;
    request.body.sdiag_protocol = IPPROTO_TCP;
    request.body.idiag_states = 1u << TCP_LISTEN;
    int backlog = -1;
    if (::send(sock, &request, sizeof request, 0) == ssize_t(sizeof request)) {
        alignas(nlmsghdr) char buffer[32768];
        for (bool done = false; !done;) {
            const ssize_t n = ::recv(sock, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            int left = int(n);
            for (auto* m = reinterpret_cast<nlmsghdr*>(buffer); NLMSG_OK(m, left);
                 m = NLMSG_NEXT(m, left)) {
                if (m->nlmsg_type == NLMSG_DONE || m->nlmsg_type == NLMSG_ERROR) {
                    done = true;
                    break;
                }
                const auto* diag = static_cast<const inet_diag_msg*>(NLMSG_DATA(m));
                if (ntohs(diag->id.idiag_sport) == port)
                    backlog = int(diag->idiag_wqueue);
            }
        }
    }
    ::close(sock);
    return backlog;
}

TEST(ZuvdListenTest, KeepsAThousandConnectionsWaitingForAccept)
{
    Zuvd server;
    ASSERT_TRUE(server.started());
    QFile limitFile(QStringLiteral("/proc/sys/net/core/somaxconn"));
    ASSERT_TRUE(limitFile.open(QIODevice::ReadOnly));
    const int somaxconn = limitFile.readAll().trimmed().toInt();
    const int backlog = listenBacklog(server.port());
    // The kernel lowers any backlog to its limit.
    EXPECT_GE(backlog, std::min(1024, somaxconn));
    std::printf("[ figures  ] listen backlog %d (net.core.somaxconn %d)\n", backlog, somaxconn);
    // Still answering after the second listen().
    EXPECT_EQ(server.get("/server.tt?/").status, 200);
}

} // namespace
