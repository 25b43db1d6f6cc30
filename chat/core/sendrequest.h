#pragma once

#include <QString>
#include <optional>

namespace zuv::chat {

struct ChatSettings;

// The text box's text as it goes to the server: one space appended, line
// breaks and the characters the server cannot take escaped. Line breaks
// may come as LF alone (as a Qt text box gives them) or as CR LF.
QString textForServer(const QString& typed);

// The file the downloader writes the answer to this window's sends into:
// "<dir>/zuv_add-<own id>-<contact id>.tt", one per conversation, so that two
// windows sending at once never take each other's answer.
QString replyFileFor(const ChatSettings& settings, const QString& programDir);

// The downloader's start for sending a text already made fit for the server.
QString sendCommandLine(const ChatSettings& settings, const QString& replyFile,
                        const QString& serverText);

// The server's answer to a send: the stored text and its time stamp.
struct SentReply
{
    QString text;
    QString time;
};
// Nothing when the reply has no "<text>" … "</text>".
std::optional<SentReply> parseSentReply(const QString& reply);

} // namespace zuv::chat
