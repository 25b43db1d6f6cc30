#include "records.h"

#include <foundation/fieldlist.h>

namespace zuv::messenger {

bool isMemberNumber(const QString& text)
{
    if (text.size() != 6 || text[0] == u'0')
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

std::optional<ContactRecord> parseContactRecord(const QString& afterMarker)
{
    FieldReader fields(afterMarker);
    ContactRecord r;
    QString* order[] = {&r.state, &r.nick, &r.number, &r.age};
    for (QString* field : order) {
        if (!fields.hasSeparator())
            return std::nullopt; // truncated record
        *field = fields.next();
    }
    if (fields.hasSeparator())
        r.mood = fields.next();
    return r;
}

QString moodImageKey(const QString& mood)
{
    if (mood == u"(:)")
        return QStringLiteral("s0");
    if (mood == u":))")
        return QStringLiteral("s1");
    if (mood == u":)")
        return QStringLiteral("s2");
    if (mood == u":|")
        return QStringLiteral("s3");
    if (mood == u":(")
        return QStringLiteral("s4");
    return {};
}

QString contactInfoText(const QString& nick, const QString& age)
{
    if (age.isEmpty() || age == u"0")
        return nick;
    return nick + QStringLiteral(" (") + age + QStringLiteral(" let)");
}

std::optional<MessageSender> parseMessageSender(const QString& afterMarker)
{
    FieldReader fields(afterMarker);
    if (!fields.hasSeparator())
        return std::nullopt;
    MessageSender sender;
    sender.number = fields.next();
    if (!fields.hasSeparator())
        return std::nullopt;
    sender.nick = fields.next();
    return sender;
}

QString chatWindowTitle(const QString& nick, const QString& number)
{
    return nick + QStringLiteral(" [") + number + u']';
}

QString chatArguments(const ChatContext& own, const QString& nick, const QString& number)
{
    return joinFields({chatWindowTitle(nick, number), own.ownId, own.password, own.serverBase, nick,
                       own.ownNick, number, own.zuvset});
}

std::optional<QString> webWindowArgument(const QString& afterMarker, const QString& ownId,
                                         const QString& password)
{
    FieldReader fields(afterMarker);
    QStringList values;
    for (int i = 0; i < 7; ++i) {
        if (!fields.hasSeparator())
            return std::nullopt;
        values.append(fields.next());
    }
    QString address = values[0];
    if (values[2] == u"1")
        address += QStringLiteral("&idh=") + ownId + QStringLiteral("&h=") + password;
    const QString closeTest =
        values[3] == u"1" ? QStringLiteral("endtest") : QStringLiteral("noendtest");
    return joinFields({address, values[5], values[6], values[1], values[4], closeTest}) +
           QStringLiteral("/@/");
}

std::optional<QString> remotePlayCommand(const QString& line)
{
    const QStringList elements = splitFields(line);
    if (elements.size() < 5)
        return std::nullopt;
    return QStringLiteral("remoteplay/@/") +
           joinFields({elements[1], elements[2], elements[3], elements[4]});
}

} // namespace zuv::messenger
