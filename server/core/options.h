#pragma once

#include "config.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace zuv::server {

struct Options
{
    QString db;
    QString host = QStringLiteral("127.0.0.1");
    int port = 0; // 0: any free port
    bool seedDemo = false;
    ServerConfig config;
};

struct ParsedOptions
{
    std::optional<Options> options;
    QString error; // why the arguments were refused; empty for --help
};

// The arguments after the program name:
// --db FILE --listen HOST:PORT [--seed demo] [--build N] [--intervals A/P/T]
ParsedOptions parseOptions(const QStringList& args);

QString usage();

} // namespace zuv::server
