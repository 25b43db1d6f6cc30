#include "loginreply.h"

namespace zuv::messenger {

LoginReply parseLoginReply(const QStringList& lines)
{
    LoginReply reply;
    for (const QString& line : lines) {
        if (line.startsWith(QStringLiteral("zuvid:")))
            reply.number = line.mid(6);
        else if (line.startsWith(QStringLiteral("zuvok:")))
            reply.welcome = line.mid(6);
        else if (line.startsWith(QStringLiteral("zuvx:")))
            reply.refusals.append(line.mid(5));
    }
    return reply;
}

} // namespace zuv::messenger
