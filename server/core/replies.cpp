#include "replies.h"

#include <QDateTime>
#include <foundation/codepage.h>

namespace zuv::server {
namespace {

const QString kSep = QStringLiteral("/@/");

QByteArray crlfBytes(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += CodePage::encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace

Reply Reply::lines(const QStringList& lines, int status)
{
    return {status, QByteArrayLiteral("text/plain; charset=windows-1250"), crlfBytes(lines)};
}

Reply Reply::html(const QString& page, int status)
{
    QString text = page;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.endsWith(u'\n'))
        text.chop(1);
    return {status, QByteArrayLiteral("text/html; charset=windows-1250"),
            crlfBytes(text.split(u'\n'))};
}

Reply Reply::badRequest()
{
    return lines({QString::fromUtf16(Line::kBadRequest)}, 400);
}

Reply Reply::notFound()
{
    return lines({QStringLiteral("er:notfound")}, 404);
}

Reply Reply::serverError()
{
    return lines({QStringLiteral("er:server")}, 500);
}

QString formatTime(qint64 msSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msSinceEpoch)
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString contactRecord(const Member& contact, bool online, const QDate& today)
{
    const auto age = ageOn(contact.profile.birthDate, today);
    return QStringLiteral(">Zuv>") +
           (online ? QStringLiteral("online") : QStringLiteral("offline")) + kSep +
           contact.profile.nickname + kSep + QString::number(contact.number) + kSep +
           (age ? QString::number(*age) : QString()) + kSep +
           (online ? contact.mood : QStringLiteral("off")) + kSep;
}

QString messageRecord(const Message& message)
{
    return QStringLiteral(">MsG>") + QString::number(message.sender) + kSep + message.senderNick +
           kSep + formatTime(message.sent) + kSep + message.text;
}

QString sentRecord(const Message& message)
{
    return QStringLiteral("<text>") + message.text + QStringLiteral("</text><time>") +
           formatTime(message.sent) + QStringLiteral("</time>");
}

QString contactChangedRecord(const QString& nickname)
{
    return QStringLiteral("nick// ") + nickname;
}

} // namespace zuv::server
