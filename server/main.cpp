// zuvd: the reference server of the suite.
#include "core/catalog.h"
#include "core/database.h"
#include "core/httpfront.h"
#include "core/options.h"
#include "core/seed.h"

#include <QStringList>
#include <csignal>
#include <cstdio>
#include <pthread.h>
#include <thread>

using namespace zuv::server;

namespace {

// --import-catalog: the exit code of zuvd.
int importCatalog(Sql& db, const QString& path)
{
    const Catalog::Import result = Catalog::importFile(db, path);
    if (!result.badLines.isEmpty()) {
        QStringList numbers;
        for (const int line : result.badLines.mid(0, 20))
            numbers.append(QString::number(line));
        if (result.badLines.size() > 20)
            numbers.append(QStringLiteral("..."));
        const int count = int(result.badLines.size());
        std::fprintf(stderr, "zuvd: %s: %d bad line%s skipped (line %s)\n", qPrintable(path), count,
                     count == 1 ? "" : "s", qPrintable(numbers.join(QStringLiteral(", "))));
    }
    if (!result.ok) {
        std::fprintf(stderr, "zuvd: %s; the catalog stays as it was\n", qPrintable(result.error));
        return 1;
    }
    std::printf("zuvd: catalog of %d categories, %d stations and %d panel lines imported from %s\n",
                result.categories, result.stations, result.panels, qPrintable(path));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    // Block the stop signals in every thread; the main thread waits for them
    // with sigwait and then stops the server in an orderly way.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const ParsedOptions parsed = parseOptions(args);
    if (!parsed.options) {
        if (!parsed.error.isEmpty())
            std::fprintf(stderr, "zuvd: %s\n", qPrintable(parsed.error));
        std::fputs(qPrintable(usage()), parsed.error.isEmpty() ? stdout : stderr);
        return parsed.error.isEmpty() ? 0 : 2;
    }
    const Options& options = *parsed.options;

    std::unique_ptr<Database> db;
    try {
        db = std::make_unique<Database>(options.db);
        if (options.seedDemo) {
            auto session = db->session();
            seedDemo(session.sql());
            seedDemoCatalog(session.sql(), options.demoStream);
        }
        if (!options.importCatalog.isEmpty()) {
            auto session = db->session();
            return importCatalog(session.sql(), options.importCatalog);
        }
    } catch (const SqlError& e) {
        std::fprintf(stderr, "zuvd: %s: %s\n", qPrintable(options.db), e.what());
        return 1;
    }

    HttpFront front(*db, options.config);
    const int port = front.bind(options.host, options.port);
    if (port < 0) {
        if (addressInUse(options.host, options.port)) {
            std::fprintf(stderr, "zuvd: %s:%d is in use\n", qPrintable(options.host), options.port);
            return 2;
        }
        std::fprintf(stderr, "zuvd: cannot listen on %s:%d\n", qPrintable(options.host),
                     options.port);
        return 1;
    }
    const QString shownHost =
        options.host.contains(u':') ? u'[' + options.host + u']' : options.host;
    std::printf("zuvd listening on http://%s:%d\n", qPrintable(shownHost), port);
    std::fflush(stdout);

    bool served = true;
    std::thread serving([&] { served = front.run(); });
    int signal = 0;
    sigwait(&stopSignals, &signal);
    front.stop();
    serving.join();
    return served ? 0 : 1;
}
