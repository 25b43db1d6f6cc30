#pragma once

#include <QString>

namespace zuv::chat {

// Who talks to whom, as the messenger passes it on the command line:
// <WindowTitle>/@/<OwnId>/@/<AuthH>/@/<ServerBase>/@/<ContactNick>/@/<OwnNick>/@/<ContactId>/@/<FontSize>@<SoundFlag>
struct ChatSettings
{
    QString WindowTitle;
    QString OwnId;
    QString AuthH;
    QString ServerBase;
    QString ContactNick;
    QString OwnNick;
    QString ContactId;
    QString FontSize = QStringLiteral("11");
    QString SoundFlag = QStringLiteral("1");
};

// Missing fields are empty; a tail without "@" counts as missing, which
// gives font size "11" and no sound.
ChatSettings parseChatCommandLine(const QString& commandLine);

// Why an id may not become part of a file name; empty when it may.
QString fileIdProblem(const QString& id);

} // namespace zuv::chat
