#pragma once

#include <QString>

namespace zuv::messenger {

// The build this program reports to the server.
inline QString buildNumber()
{
    return QStringLiteral("100018");
}

// What the refresh request carries besides the script.
struct RefreshQuery
{
    QString id;
    QString password;
    QString radioState; // "on" when a window "Sorvanta" exists
    QString mood;
    QString downloadMode;    // Zuvrezim
    QString startWithSystem; // "#018:Zuv:" value; "off" sends ws=0
    bool sendBuild = false;
};

// The address of a refresh: "all" asks all.php, "msg" all_msg.php, any other
// text is taken as the script name itself. Values go in unencoded.
QString refreshUrl(const QString& serverBase, const QString& what, const RefreshQuery& query);

// The login request's address, with name and password as typed.
QString loginUrl(const QString& serverBase, const QString& idText, const QString& password);

// "load.exe <url>/@/<reply file>" and the like.
QString downloaderCommand(const QString& program, const QString& url, const QString& replyFile,
                          bool show = false);

} // namespace zuv::messenger
