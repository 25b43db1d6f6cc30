#include "sendrequest.h"

#include "chatsettings.h"

#include <foundation/messageescape.h>

namespace zuv::chat {
namespace {

std::optional<QString> between(const QString& text, QStringView open, QStringView close)
{
    const qsizetype start = text.indexOf(open);
    if (start < 0)
        return std::nullopt;
    const qsizetype from = start + open.size();
    const qsizetype end = text.indexOf(close, from);
    if (end < 0)
        return std::nullopt;
    return text.mid(from, end - from);
}

} // namespace

QString textForServer(const QString& typed)
{
    QString text = typed;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\n', QStringLiteral("\r\n"));
    return MessageEscape::escape(text + u' ');
}

QString replyFileFor(const ChatSettings& s, const QString& programDir)
{
    return programDir + QStringLiteral("/zuv_add-") + s.OwnId + u'-' + s.ContactId +
           QStringLiteral(".tt");
}

QString sendCommandLine(const ChatSettings& s, const QString& replyFile, const QString& serverText)
{
    return QStringLiteral("load.exe ") + s.ServerBase + QStringLiteral("/zuv/message_add.php?id=") +
           s.OwnId + QStringLiteral("&h=") + s.AuthH + QStringLiteral("&to=") + s.ContactId +
           QStringLiteral("&ver=1&text=") + serverText + QStringLiteral("/@/") + replyFile +
           QStringLiteral("/@/show");
}

std::optional<SentReply> parseSentReply(const QString& reply)
{
    const auto text = between(reply, u"<text>", u"</text>");
    if (!text)
        return std::nullopt;
    return SentReply{*text, between(reply, u"<time>", u"</time>").value_or(QString())};
}

} // namespace zuv::chat
