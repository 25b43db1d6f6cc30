#pragma once

#include "members.h"
#include "messages.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

namespace zuv::server {

// An answer: status, content type and the body bytes as they go on the wire.
struct Reply
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;

    // Lines in Windows-1250, each ended by CR LF.
    static Reply lines(const QStringList& lines, int status = 200);
    // A page in Windows-1250 with CR LF line ends.
    static Reply html(const QString& page, int status = 200);
    // A request the server does not accept.
    static Reply badRequest();
    static Reply notFound();
    static Reply serverError();
};

namespace Line {
inline constexpr char16_t kWrongPassword[] = u"er:pass57302918zuv";
inline constexpr char16_t kSuspended[] = u"er:stopuserzuv";
inline constexpr char16_t kNewVersion[] = u"zuvnewversion";
inline constexpr char16_t kNoSuchMember[] = u"er:nouser";
inline constexpr char16_t kBadRequest[] = u"er:badrequest";
inline constexpr char16_t kNoAdd[] = u"noadd//";
inline constexpr char16_t kExists[] = u"exist//";
} // namespace Line

// Local time as "yyyy-mm-dd hh:mm:ss".
QString formatTime(qint64 msSinceEpoch);

// ">Zuv>" state/@/nickname/@/number/@/age/@/mood/@/. An offline contact's
// mood is "off", so the messenger shows no mood for someone who is away.
QString contactRecord(const Member& contact, bool online, const QDate& today);

// ">MsG>" number/@/nickname/@/time/@/text, the text last since it may itself
// hold "/@/".
QString messageRecord(const Message& message);

// The chat window's copy of a sent message.
QString sentRecord(const Message& message);

// "nick// " + nickname: the messenger shows the line from its 8th character.
QString contactChangedRecord(const QString& nickname);

} // namespace zuv::server
