#include "requests.h"

namespace zuv::messenger {

QString refreshUrl(const QString& serverBase, const QString& what, const RefreshQuery& query)
{
    QString script = what;
    if (what == u"all")
        script = QStringLiteral("all.php");
    else if (what == u"msg")
        script = QStringLiteral("all_msg.php");
    QString url = serverBase + QStringLiteral("/zuv/") + script + QStringLiteral("?id=") +
                  query.id + QStringLiteral("&h=") + query.password +
                  QStringLiteral("&aktualizace=") + QStringLiteral("&radio=") + query.radioState +
                  QStringLiteral("&nalada=") + query.mood + QStringLiteral("&zuvrezim=") +
                  query.downloadMode + QStringLiteral("&ws=") +
                  (query.startWithSystem == u"off" ? QStringLiteral("0") : QStringLiteral("1"));
    if (query.sendBuild)
        url += QStringLiteral("&build=") + buildNumber();
    return url;
}

QString loginUrl(const QString& serverBase, const QString& idText, const QString& password)
{
    return serverBase + QStringLiteral("/zuv/login.php?id=") + idText + QStringLiteral("&h=") +
           password;
}

QString downloaderCommand(const QString& program, const QString& url, const QString& replyFile,
                          bool show)
{
    QString command = program + u' ' + url + QStringLiteral("/@/") + replyFile;
    if (show)
        command += QStringLiteral("/@/show");
    return command;
}

} // namespace zuv::messenger
