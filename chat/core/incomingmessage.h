#pragma once

#include <QDateTime>
#include <QString>

namespace zuv::chat {

// What the messenger delivers for one message, the whole refresh line:
// ">MsG>"<sender id>/@/<sender nick>/@/<time>/@/<text>; the text is all that
// follows the third separator, separators included.
struct IncomingMessage
{
    QString nick;
    QString time;
    QString text;
};
IncomingMessage parseIncomingMessage(const QString& data);

// "hh:mm:ss (dd.mm.yy)" of a time a server sends ("yyyy-mm-dd hh:mm:ss",
// "d.m.yyyy h:mm:ss" or Unix seconds, local time); any other text as it is.
QString formatMessageTime(const QString& time);

} // namespace zuv::chat
