#pragma once

#include "config.h"
#include "database.h"

#include <QString>
#include <memory>
#include <string>

namespace zuv::server {

// The HTTP side: turns each GET into a call of handleRequest() and its reply
// into the response.
class HttpFront
{
public:
    HttpFront(Database& db, const ServerConfig& config);
    ~HttpFront();
    HttpFront(const HttpFront&) = delete;
    HttpFront& operator=(const HttpFront&) = delete;

    // Binds host:port, 0 meaning any free port; returns the port, or -1.
    int bind(const QString& host, int port);
    // Serves until stop(); false when the server could not run.
    bool run();
    // Safe from any thread, also before run() has begun; when it returns,
    // run() has returned or will return at once.
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The base address a request reached this server under: its Host header when
// that is a plain host[:port], else the socket's own address.
QString requestBase(const std::string& hostHeader, const std::string& localAddress, int localPort);

// True when another socket is bound to host:port (a second server on it).
bool addressInUse(const QString& host, int port);

} // namespace zuv::server
