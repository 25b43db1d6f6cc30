#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace zuv::messenger {

// A member number: exactly six digits, 100000 to 999999. Numbers reach file
// names and command lines of other programs, so nothing else is accepted.
bool isMemberNumber(const QString& text);

// ">Zuv>" state/@/nickname/@/number/@/age/@/mood/@/ (after the marker).
struct ContactRecord
{
    QString state;
    QString nick;
    QString number;
    QString age;
    QString mood; // empty when the record lacks its last "/@/"
};
std::optional<ContactRecord> parseContactRecord(const QString& afterMarker);

// The image key of a mood ("s0" … "s4"), empty for any other value.
QString moodImageKey(const QString& mood);

// "Eva" or "Eva (25 let)".
QString contactInfoText(const QString& nick, const QString& age);

// ">MsG>" number/@/nickname/@/… : the sender.
struct MessageSender
{
    QString number;
    QString nick;
};
std::optional<MessageSender> parseMessageSender(const QString& afterMarker);

// The chat window of a contact and the arguments that start it.
QString chatWindowTitle(const QString& nick, const QString& number);
struct ChatContext
{
    QString ownId, password, serverBase, ownNick, zuvset;
};
QString chatArguments(const ChatContext& own, const QString& nick, const QString& number);

// ">WWW>" address/@/title/@/auth/@/close test/@/mode/@/width/@/height/@/ →
// the web-view program's argument; nothing when fields are missing.
std::optional<QString> webWindowArgument(const QString& afterMarker, const QString& ownId,
                                         const QString& password);

// ">SVPlay>" line → "remoteplay/@/<station>/@/<quality>/@/<address>/@/<field 4>".
std::optional<QString> remotePlayCommand(const QString& line);

} // namespace zuv::messenger
