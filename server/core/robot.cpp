#include "robot.h"

#include "messagetext.h"

namespace zuv::server {

QString robotAnswer(const QString& senderNick, const QString& escapedText)
{
    // The sender's text is already escaped; only the nickname needs it.
    return MessageText::escape(
               QStringLiteral("Ahoj %1, tady Zuv robot. Tvoje zpráva došla: ").arg(senderNick)) +
           escapedText.trimmed();
}

} // namespace zuv::server
