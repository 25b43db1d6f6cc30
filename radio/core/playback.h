#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace zuv::radio {

// The station line of the display: the first 15 characters, and "..." when
// the title has 15 or more.
QString titleCaption(const QString& mediaTitle);

// What the display names: the station, else the stream's own title, else
// the title a remote play brought.
QString chooseMediaTitle(const QString& stationName, const QString& itemTitle,
                         const QString& remoteTitle);

// The report of the station listened to, without the reply file. While the
// messenger runs with the desktop session ("zuvw=on") the server counts the
// member as on line.
QString listeningReportUrl(const QString& serverBase, const QString& ownId, const QString& authH,
                           const QString& stationId, bool messengerOff);

// A volume as the console and the options file give it: the leading
// digits, kept within 0 to 100; nothing when there are none.
std::optional<int> volumeFromText(const QString& text);

// A line typed into the console.
struct ConsoleCommand
{
    enum Kind
    {
        Help,
        Volume,
        Url,
        None,
    };
    Kind kind = None;
    QString value;
    bool openAgain = false; // the text ended with "."
};
ConsoleCommand parseConsole(QString text);

// "remoteplay/@/<id>/@/<quality>/@/<address>/@/<title>": the fields that
// are there.
struct RemotePlay
{
    std::optional<QString> stationId;
    std::optional<QString> quality;
    std::optional<QString> address;
    std::optional<QString> title;
};
RemotePlay parseRemotePlay(const QString& command);

// The server's answer to a listening report: each "inf:" line is a
// question about unread messages, with the last "new:" text before it.
QStringList unreadMessageQuestions(const QStringList& lines);

} // namespace zuv::radio
