#include "requests.h"

#include "pages.h"
#include "scripts.h"
#include "search.h"

#include <QHash>
#include <cstdio>

namespace zuv::server {
namespace {

const QHash<QString, Handler>& routes()
{
    static const QHash<QString, Handler> table = {
        {QStringLiteral("/server.tt"), &Scripts::serverSettings},
        {QStringLiteral("/zuv/login.php"), &Scripts::login},
        {QStringLiteral("/zuv/all.php"), &Scripts::refreshAll},
        {QStringLiteral("/zuv/all_msg.php"), &Scripts::refreshMessages},
        {QStringLiteral("/zuv/message_add.php"), &Scripts::messageAdd},
        {QStringLiteral("/zuv/user_add.php"), &Scripts::userAdd},
        {QStringLiteral("/zuv/user_del.php"), &Scripts::userDel},
        {QStringLiteral("/zuv/search.php"), &Scripts::search},
        {QStringLiteral("/zuv/sv_all.php"), &Scripts::listening},
        {QStringLiteral("/zuv/whois.php"), &Pages::whois},
        {QStringLiteral("/zuv/inbox.php"), &Pages::inbox},
        {QStringLiteral("/zuv/note.php"), &Pages::note},
        {QStringLiteral("/zuv/sendfile.php"), &Pages::sendFile},
        {QStringLiteral("/zuv/birthday.php"), &Pages::birthdays},
        {QStringLiteral("/zuv/edit.php"), &Pages::editProfile},
        {QStringLiteral("/zuv/hist.php"), &Pages::history},
        {QStringLiteral("/zuv/autotext.php"), &Pages::awayText},
        {QStringLiteral("/zuv/add_user.php"), &Pages::registration},
        {QStringLiteral("/zuv/newver.php"), &Pages::newVersion},
        {QStringLiteral("/zuv/freemusic.php"), &Pages::freeMusic},
        {QStringLiteral("/zuv/diskuze.php"), &Pages::discussion},
        {QStringLiteral("/sorvanta.trolvik/user_sv_add.php"), &Pages::addStation},
        {QStringLiteral("/sorvanta.trolvik/sv_list.php"), &Scripts::stationList},
        {QStringLiteral("/sorvanta.trolvik/reklama.html"), &Pages::advert},
        {QStringLiteral("/faq"), &Pages::help},
        {QStringLiteral("/faq/7"), &Pages::recordingHelp},
    };
    return table;
}

} // namespace

QString normalisedPath(const QString& path)
{
    QString out;
    out.reserve(path.size() + 1);
    for (const QChar c : path) {
        const QChar slash = c == u'\\' ? QChar(u'/') : c;
        if (slash == u'/' && out.endsWith(u'/'))
            continue;
        out += slash;
    }
    if (!out.startsWith(u'/'))
        out.prepend(u'/');
    return out;
}

std::optional<LoginLinkPath> loginLinkPath(const QString& path)
{
    if (!normalisedPath(path).startsWith(QStringLiteral("/login/")))
        return std::nullopt;
    QString rest = path;
    rest.replace(u'\\', u'/');
    while (rest.startsWith(u'/'))
        rest.remove(0, 1);
    // "login/" and then the number: a run of slashes may come between.
    rest.remove(0, 5);
    while (rest.startsWith(u'/'))
        rest.remove(0, 1);
    const QStringList parts = rest.split(u'/');
    return LoginLinkPath{parts.value(0), parts.value(1)};
}

Reply handleRequest(Database& db, const QString& path, const Query& query, const Context& ctx)
{
    const auto link = loginLinkPath(path);
    const Handler handler = routes().value(normalisedPath(path));
    if (!handler && !link)
        return Reply::notFound();
    try {
        auto session = db.session();
        if (link)
            return Pages::loginLink(session.sql(), link->number, link->code, ctx);
        return handler(session.sql(), query, ctx);
    } catch (const SqlError& e) {
        std::fprintf(stderr, "zuvd: %s: %s\n", qPrintable(path), e.what());
        return Reply::serverError();
    }
}

} // namespace zuv::server
