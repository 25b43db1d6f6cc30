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
    QString demoStream = QStringLiteral("http://127.0.0.1:8941/demo.mp3"); // the demo station's
    QString importCatalog; // a catalog file to load instead of serving
    ServerConfig config;
};

struct ParsedOptions
{
    std::optional<Options> options;
    QString error; // why the arguments were refused; empty for --help
};

// The arguments after the program name:
// --db FILE --listen HOST:PORT [--seed demo] [--demo-stream URL] [--build N]
// [--intervals A/P/T] [--import-catalog FILE]
ParsedOptions parseOptions(const QStringList& args);

QString usage();

} // namespace zuv::server
