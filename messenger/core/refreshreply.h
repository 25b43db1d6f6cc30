#pragma once

#include <QString>

namespace zuv::messenger {

// The kinds of line a refresh reply holds, recognised by their beginning.
enum class ReplyLine
{
    Contact,         // ">Zuv>"
    Message,         // ">MsG>"
    WebWindow,       // ">WWW>"
    RemotePlay,      // ">SVPlay>"
    SharedFile,      // ">FiQ>"
    Online,          // "online:" users on line or "off"
    Inbox,           // "inbox:" waiting inbox messages
    MyNick,          // "mynick:" own nickname
    ActiveInterval,  // "timerakta:"
    PassiveInterval, // "timeraktb:"
    FastInterval,    // "timeraktc:"
    NewVersion,      // "zuvnewversion"
    WrongPassword,   // "er:pass57302918zuv"
    Suspended,       // "er:stopuserzuv"
    Unknown,
};

struct ClassifiedLine
{
    ReplyLine kind = ReplyLine::Unknown;
    QString value; // the text after the marker
};

// Recognises one line of "zuv.tt" by its first characters (exact, case
// counts) in the order the messenger tests them.
ClassifiedLine classifyReplyLine(const QString& line);

} // namespace zuv::messenger
