// The main window hands every record of a refresh reply to the program that
// shows it: chat windows, the web view, the radio player, shared files.
#include "core/records.h"
#include "form1.h"

#include <foundation/bus/sendmessage.h>
#include <foundation/gui/messagebox.h>
#include <foundation/gui/pause.h>
#include <foundation/paths.h>
#include <foundation/shell.h>

namespace zuv::messenger {
namespace {

const QString kSharedFilesCaption = QStringLiteral("Zuv - sdílené soubory");

} // namespace

void Form1::dispatchMessage(const QString& line, const QString& afterMarker)
{
    const auto sender = parseMessageSender(afterMarker);
    if (!sender || !isMemberNumber(sender->number))
        return;
    const ChatContext own{m_settings.Zuvid, m_settings.Zuvpass, m_server.serverBase,
                          m_settings.Zuvnick, m_settings.Zuvset};
    // The pause gives a chat window that was just started time to come up;
    // a window that was there already needs none, and 500 ms per message
    // would hold a reply of many messages for minutes.
    if (SendMessageToClient(line, chatWindowTitle(sender->nick, sender->number),
                            chatArguments(own, sender->nick, sender->number)))
        Pause(500);
    MSGoteviram();
}

void Form1::SendMessageZuv(const QString& nick, const QString& number)
{
    if (!isMemberNumber(number))
        return;
    const ChatContext own{m_settings.Zuvid, m_settings.Zuvpass, m_server.serverBase,
                          m_settings.Zuvnick, m_settings.Zuvset};
    SendMessageToClient(QStringLiteral("Fmax"), chatWindowTitle(nick, number),
                        chatArguments(own, nick, number));
    MSGoteviram();
}

void Form1::dispatchWebWindow(const QString& afterMarker)
{
    const auto argument = webWindowArgument(afterMarker, m_settings.Zuvid, m_settings.Zuvpass);
    if (argument)
        Shell(programDir() + QStringLiteral("\\ZuvBrowser.exe ") + *argument, SW_SHOWMINIMIZED);
}

void Form1::dispatchRemotePlay(const QString& line)
{
    if (const auto command = remotePlayCommand(line))
        SendMessageToClient(*command, QStringLiteral("Sorvanta"), QString());
}

void Form1::dispatchSharedFile(const QString& line)
{
    // The shared-files program is not part of the suite: when it cannot be
    // started there is nobody to wait for, and the notice is dropped.
    if (!FindWindowA(kSharedFilesCaption) && !Shell(QStringLiteral("Pelsh.exe"), SW_SHOWNORMAL))
        return;
    SendMessageToClient(QStringLiteral("dw:") + line, kSharedFilesCaption, QString());
}

bool Form1::SendMessageToClient(const QString& text, const QString& title,
                                const QString& chatArguments)
{
    bool started = false;
    m_guards.reset(3);
    for (int attempt = 1; attempt < 1000; ++attempt) {
        if (!m_guards.CONTerrors(3))
            MsgBox(QStringLiteral("Chyba #3"));
        DoEvents();
        const WindowRef window = FindWindowA(title);
        if (!window && title == u"Sorvanta")
            return false; // the radio player is never started from here
        if (window) {
            SendCopyData(window, text);
            return started;
        }
        if (!chatArguments.isEmpty()) {
            // A chat window that cannot be started never shows up: no point
            // waiting minutes for it.
            if (!Shell(QStringLiteral("msg.exe ") + chatArguments, SW_SHOWNORMAL))
                return false;
            started = true;
            DoEvents();
        }
        Pause(500);
        DoEvents();
    }
    return false;
}

} // namespace zuv::messenger
