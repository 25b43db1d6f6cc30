#pragma once

#include "sql.h"

#include <QList>
#include <QString>

namespace zuv::server {

// A chat message. The text stays in the escaped form the chat window sent
// ("*.and" for "&" and so on); the server never undoes it.
struct Message
{
    qint64 id = 0;
    int sender = 0;
    QString senderNick;
    int recipient = 0;
    qint64 sent = 0; // ms since the epoch
    QString text;
};

namespace Messages {

// Queues a message for its recipient and returns it as stored.
Message queue(Sql& db, int sender, int recipient, const QString& text, qint64 now);

// The recipient's queued messages, oldest first, marked delivered so that no
// later call returns them again. Run it inside the refresh's transaction.
QList<Message> takeQueued(Sql& db, int recipient, qint64 now);

// How many messages wait for the recipient, and from how many senders.
struct Unread
{
    int messages = 0;
    int senders = 0;
};
Unread countQueued(Sql& db, int recipient);

// The newest messages the member sent or received, newest first.
QList<Message> history(Sql& db, int member, int limit);

} // namespace Messages
} // namespace zuv::server
