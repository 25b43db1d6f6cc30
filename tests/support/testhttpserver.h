#pragma once

#include <chrono>
#include <httplib.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zuvtest {

// A small real HTTP server on loopback for tests of the programs that fetch:
// answers the routes a test sets up and records every request line's target.
class TestHttpServer
{
public:
    TestHttpServer() = default;
    ~TestHttpServer() { stop(); }

    httplib::Server& routes() { return m_server; }

    // Starts on a free port; the routes must be set before.
    void start()
    {
        m_server.set_logger([this](const httplib::Request& req, const httplib::Response&) {
            std::lock_guard lock(m_mutex);
            m_targets.push_back(req.target);
        });
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void stop()
    {
        if (m_thread.joinable()) {
            m_server.stop();
            m_thread.join();
        }
    }
    int port() const { return m_port; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(m_port); }
    std::vector<std::string> targets()
    {
        std::lock_guard lock(m_mutex);
        return m_targets;
    }

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    std::mutex m_mutex;
    std::vector<std::string> m_targets;
};

} // namespace zuvtest
