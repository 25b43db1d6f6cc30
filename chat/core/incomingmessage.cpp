#include "incomingmessage.h"

#include <foundation/fieldlist.h>

namespace zuv::chat {

IncomingMessage parseIncomingMessage(const QString& data)
{
    FieldReader fields(data);
    fields.next(); // marker and sender id: the window knows its contact
    IncomingMessage m;
    m.nick = fields.next();
    m.time = fields.next();
    m.text = fields.rest();
    return m;
}

QString formatMessageTime(const QString& time)
{
    const QString value = time.trimmed();
    QDateTime when;
    bool allDigits = !value.isEmpty() && value.size() <= 12;
    for (QChar c : value)
        allDigits = allDigits && c.isDigit();
    if (allDigits) {
        when = QDateTime::fromSecsSinceEpoch(value.toLongLong());
    } else {
        for (const char* format : {"yyyy-MM-dd HH:mm:ss", "yyyy-M-d H:mm:ss", "d.M.yyyy H:mm:ss",
                                   "dd.MM.yyyy HH:mm:ss"}) {
            when = QDateTime::fromString(value, QString::fromLatin1(format));
            if (when.isValid())
                break;
        }
    }
    if (!when.isValid())
        return time;
    return when.toString(QStringLiteral("HH:mm:ss (dd.MM.yy)"));
}

} // namespace zuv::chat
