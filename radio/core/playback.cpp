#include "playback.h"

namespace zuv::radio {

QString titleCaption(const QString& mediaTitle)
{
    constexpr qsizetype kShown = 15;
    QString caption = mediaTitle.left(kShown);
    if (mediaTitle.size() >= kShown)
        caption += QStringLiteral("...");
    return caption;
}

QString chooseMediaTitle(const QString& stationName, const QString& itemTitle,
                         const QString& remoteTitle)
{
    if (!stationName.isEmpty())
        return stationName;
    return itemTitle.isEmpty() ? remoteTitle : itemTitle;
}

QString listeningReportUrl(const QString& serverBase, const QString& ownId, const QString& authH,
                           const QString& stationId, bool messengerOff)
{
    return serverBase + QStringLiteral("/zuv/sv_all.php?idh=") + ownId + QStringLiteral("&h=") +
           authH +
           (messengerOff ? QStringLiteral("&zuvw=off&sv=on&stanice=")
                         : QStringLiteral("&zuvw=on&sv=on&stanice=")) +
           stationId;
}

std::optional<int> volumeFromText(const QString& text)
{
    const QString trimmed = text.trimmed();
    qsizetype digits = 0;
    while (digits < trimmed.size() && trimmed[digits].isDigit() && trimmed[digits].unicode() < 128)
        ++digits;
    if (digits == 0)
        return std::nullopt;
    // More digits than a volume has are simply the most.
    if (digits > 3)
        return 100;
    return qBound(0, trimmed.left(digits).toInt(), 100);
}

ConsoleCommand parseConsole(QString text)
{
    ConsoleCommand command;
    if (text.endsWith(u'.')) {
        text.chop(1);
        command.openAgain = true;
    }
    if (text == u"help")
        command.kind = ConsoleCommand::Help;
    else if (text.startsWith(u"vol="))
        command.kind = ConsoleCommand::Volume;
    else if (text.startsWith(u"url="))
        command.kind = ConsoleCommand::Url;
    if (command.kind == ConsoleCommand::Volume || command.kind == ConsoleCommand::Url)
        command.value = text.mid(4);
    return command;
}

RemotePlay parseRemotePlay(const QString& command)
{
    const QStringList fields = command.split(QStringLiteral("/@/"));
    RemotePlay play;
    std::optional<QString>* order[] = {&play.stationId, &play.quality, &play.address, &play.title};
    for (qsizetype i = 1; i < fields.size() && i <= 4; ++i)
        *order[i - 1] = fields[i];
    return play;
}

QStringList unreadMessageQuestions(const QStringList& lines)
{
    QStringList questions;
    QString unread;
    for (const QString& line : lines) {
        if (line.startsWith(u"new:"))
            unread = line.mid(4);
        else if (line.startsWith(u"inf:"))
            questions << unread + QStringLiteral("\r\n") + line.mid(4) +
                             QStringLiteral("\r\n\r\nChcete zapnout Zuv klienta?");
    }
    return questions;
}

} // namespace zuv::radio
