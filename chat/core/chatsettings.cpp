#include "chatsettings.h"

#include <foundation/fieldlist.h>

namespace zuv::chat {

ChatSettings parseChatCommandLine(const QString& commandLine)
{
    ChatSettings s;
    FieldReader fields(commandLine);
    for (QString* field : {&s.WindowTitle, &s.OwnId, &s.AuthH, &s.ServerBase, &s.ContactNick,
                           &s.OwnNick, &s.ContactId})
        *field = fields.next();
    const QString& tail = fields.rest();
    const qsizetype at = tail.indexOf(u'@');
    const QString fontSize = at < 0 ? QString() : tail.left(at);
    const QString sound = at < 0 ? QString() : tail.mid(at + 1).section(u'@', 0, 0);
    s.FontSize = fontSize.isEmpty() ? QStringLiteral("11") : fontSize;
    s.SoundFlag = sound == u"1" ? QStringLiteral("1") : QStringLiteral("0");
    return s;
}

QString fileIdProblem(const QString& id)
{
    if (id.contains(u'/') || id.contains(u'\\') || id.contains(u"..") || id.contains(QChar(0)))
        return QStringLiteral("the id \"%1\" cannot name a history file").arg(id);
    return {};
}

} // namespace zuv::chat
