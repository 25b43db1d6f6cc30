#include "messages.h"

#include <algorithm>

namespace zuv::server::Messages {

Message queue(Sql& db, int sender, int recipient, const QString& text, qint64 now)
{
    auto st = db.prepare(
        "INSERT INTO messages(sender, recipient, sent, text) VALUES(?, ?, ?, ?) RETURNING id");
    st.bind(1, qint64(sender)).bind(2, qint64(recipient)).bind(3, now).bind(4, text);
    if (!st.step())
        throw SqlError("a queued message got no id");
    Message m;
    m.id = st.integer(0);
    m.sender = sender;
    m.recipient = recipient;
    m.sent = now;
    m.text = text;
    return m;
}

Unread countQueued(Sql& db, int recipient)
{
    auto st = db.prepare("SELECT count(*), count(DISTINCT sender) FROM messages "
                         "WHERE recipient = ? AND delivered IS NULL");
    st.bind(1, qint64(recipient));
    Unread unread;
    if (st.step()) {
        unread.messages = int(st.integer(0));
        unread.senders = int(st.integer(1));
    }
    return unread;
}

QList<Message> takeQueued(Sql& db, int recipient, qint64 now)
{
    // One statement both takes and marks them, so two refreshes at once (on
    // two servers, say) never both deliver a message.
    auto st = db.prepare("UPDATE messages SET delivered = ? "
                         "WHERE recipient = ? AND delivered IS NULL "
                         "RETURNING id, sender, (SELECT nickname FROM members "
                         "WHERE number = messages.sender), sent, text");
    st.bind(1, now).bind(2, qint64(recipient));
    QList<Message> messages;
    while (st.step()) {
        Message m;
        m.id = st.integer(0);
        m.sender = int(st.integer(1));
        m.senderNick = st.text(2);
        m.recipient = recipient;
        m.sent = st.integer(3);
        m.text = st.text(4);
        messages.append(m);
    }
    std::sort(messages.begin(), messages.end(),
              [](const Message& a, const Message& b) { return a.id < b.id; });
    return messages;
}

QList<Message> history(Sql& db, int member, int limit)
{
    auto st = db.prepare("SELECT q.id, q.sender, m.nickname, q.recipient, q.sent, q.text "
                         "FROM messages q JOIN members m ON m.number = q.sender "
                         "WHERE q.sender = ?1 OR q.recipient = ?1 ORDER BY q.id DESC LIMIT ?2");
    st.bind(1, qint64(member)).bind(2, qint64(limit));
    QList<Message> messages;
    while (st.step()) {
        Message m;
        m.id = st.integer(0);
        m.sender = int(st.integer(1));
        m.senderNick = st.text(2);
        m.recipient = int(st.integer(3));
        m.sent = st.integer(4);
        m.text = st.text(5);
        messages.append(m);
    }
    return messages;
}

} // namespace zuv::server::Messages
