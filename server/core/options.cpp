#include "options.h"

namespace zuv::server {
namespace {

bool parseListen(const QString& text, Options& options)
{
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);
    bool ok = false;
    const int port = text.mid(colon + 1).toInt(&ok);
    if (host.isEmpty() || !ok || port < 0 || port > 65535)
        return false;
    options.host = host;
    options.port = port;
    return true;
}

bool parseIntervals(const QString& text, Intervals& intervals)
{
    const QStringList parts = text.split(u'/');
    if (parts.size() != 3)
        return false;
    int values[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        values[i] = parts[i].toInt(&ok);
        if (!ok || values[i] <= 0)
            return false;
    }
    intervals = {values[0], values[1], values[2]};
    return true;
}

} // namespace

ParsedOptions parseOptions(const QStringList& args)
{
    Options options;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& name = args[i];
        if (name == QStringLiteral("--help") || name == QStringLiteral("-h"))
            return {};
        if (i + 1 >= args.size())
            return {std::nullopt, QStringLiteral("%1 needs a value").arg(name)};
        const QString value = args[++i];
        if (name == QStringLiteral("--db")) {
            options.db = value;
        } else if (name == QStringLiteral("--listen")) {
            if (!parseListen(value, options))
                return {std::nullopt,
                        QStringLiteral("--listen wants HOST:PORT, not %1").arg(value)};
        } else if (name == QStringLiteral("--seed")) {
            if (value != QStringLiteral("demo"))
                return {std::nullopt, QStringLiteral("--seed knows only \"demo\"")};
            options.seedDemo = true;
        } else if (name == QStringLiteral("--demo-stream")) {
            // It goes into a record whose fields "/@/" separates.
            if ((!value.startsWith(QStringLiteral("http://")) &&
                 !value.startsWith(QStringLiteral("https://"))) ||
                value.contains(QStringLiteral("/@/")))
                return {
                    std::nullopt,
                    QStringLiteral("--demo-stream wants an http:// address, not %1").arg(value)};
            options.demoStream = value;
        } else if (name == QStringLiteral("--import-catalog")) {
            if (value.isEmpty())
                return {std::nullopt, QStringLiteral("--import-catalog wants a file")};
            options.importCatalog = value;
        } else if (name == QStringLiteral("--build")) {
            bool ok = false;
            options.config.build = value.toLongLong(&ok);
            if (!ok || options.config.build < 0)
                return {std::nullopt, QStringLiteral("--build wants a number, not %1").arg(value)};
        } else if (name == QStringLiteral("--intervals")) {
            if (!parseIntervals(value, options.config.intervals))
                return {std::nullopt,
                        QStringLiteral("--intervals wants ACTIVE/PASSIVE/THRESHOLD in ms")};
        } else {
            return {std::nullopt, QStringLiteral("unknown option %1").arg(name)};
        }
    }
    if (options.db.isEmpty())
        return {std::nullopt, QStringLiteral("--db FILE or --db postgresql://... is required")};
    return {options, {}};
}

QString usage()
{
    return QStringLiteral(
        "usage: zuvd --db FILE|URL [--listen HOST:PORT] [--seed demo] [--demo-stream URL]\n"
        "            [--build N] [--intervals ACTIVE/PASSIVE/THRESHOLD]\n"
        "       zuvd --db FILE|URL --import-catalog FILE\n"
        "  --db FILE          SQLite database, created on first start\n"
        "  --db postgresql://USER@HOST/NAME  a PostgreSQL database instead, which\n"
        "                     several zuvd may share\n"
        "  --listen HOST:PORT address to listen on (default 127.0.0.1:0, 0 = any free port)\n"
        "  --seed demo        add the demo members when they are missing, and the demo\n"
        "                     station catalog unless one was imported\n"
        "  --demo-stream URL  the demo station's stream\n"
        "                     (default http://127.0.0.1:8941/demo.mp3)\n"
        "  --build N          refreshes naming a lower build are told of a new version\n"
        "  --intervals A/P/T  refresh intervals in ms for the server settings file\n"
        "                     (default 10000/30000/2000)\n"
        "  --import-catalog FILE  replace the station catalog with a Windows-1250 file of\n"
        "                     the list's lines, then end\n");
}

} // namespace zuv::server
