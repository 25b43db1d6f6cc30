// Start-up, receiving, sending and the history page of the chat window.
#include "form1.h"

#include "core/historypage.h"
#include "core/incomingmessage.h"
#include "core/links.h"
#include "core/safehtml.h"
#include "core/sendrequest.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTextCursor>
#include <cstdio>
#include <foundation/bus/sendmessage.h>
#include <foundation/bus/windowproc.h>
#include <foundation/codepage.h>
#include <foundation/gui/desktop.h>
#include <foundation/gui/notification.h>
#include <foundation/gui/pause.h>
#include <foundation/gui/sound.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <foundation/textfile.h>
#include <utility>

namespace zuv::chat {
namespace {

const QString kMessengerCaption = QStringLiteral("Zuv - Sorvanta");
const QString kNotSent = QStringLiteral("Zprávu se nepodařilo odeslat, server neodpovídá.");

// As fast as the messenger's quickest refresh, so that the sent text is in
// before the answer to it can come.
constexpr int kAnswerPollMs = 100;
// The downloader gives up after 60 s; after that no answer comes.
constexpr qint64 kDownloaderLimitMs = 65000;

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent)
{
    buildWindow();
    Timer1.setInterval(5000);
    Timer2.setInterval(5000);
    WaitForAns.setInterval(kAnswerPollMs);
    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(&WaitForAns, &QTimer::timeout, this, &Form1::WaitForAns_Timer);
}

Form1::~Form1()
{
    Text1.removeEventFilter(this);
}

bool Form1::Form_Load(const QString& commandLine)
{
    LoadOptions();
    m_settings = parseChatCommandLine(commandLine);
    m_soundFlag = m_settings.SoundFlag;
    setPicture(Image1,
               m_soundFlag == u"1" ? QStringLiteral("sound_1.gif") : QStringLiteral("sound_0.gif"));
    for (const QString& id : {m_settings.OwnId, m_settings.ContactId}) {
        if (const QString problem = fileIdProblem(id); !problem.isEmpty()) {
            std::fprintf(stderr, "msg: %s\n", problem.toLocal8Bit().constData());
            return false;
        }
    }
    setWindowTitle(m_settings.WindowTitle);
    m_bus.attach(this);
    BusWindow::setMainWindow(&m_bus);
    SetSubclass(true);
    m_history =
        HistoryFile(HistoryFile::pathFor(programDir(), m_settings.OwnId, m_settings.ContactId));
    m_replyFile = resolvePath(replyFileFor(m_settings, programDir()));
    TestHTMLex();
    showHistory();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Zuv: ") + m_settings.ContactNick);
    Text1.setFocus();
    Timer1.start();
    Timer2.start();
    return true;
}

void Form1::SetSubclass(bool on)
{
    WindowProcHooks hooks;
    hooks.command = [this](const QString& command) {
        handleCommand(command);
    };
    hooks.unknownData = [this](quint32) {
        List1.append(QStringLiteral("CHYBA: Neznámá data"));
    };
    zuv::SetSubclass(m_bus, on, std::move(hooks));
}

void Form1::handleCommand(const QString& command)
{
    if (command == u"Fmax") {
        bringUp();
        return;
    }
    ReceiveMessage(command);
}

void Form1::bringUp()
{
    bringToFront(this);
}

void Form1::ReceiveMessage(const QString& data)
{
    const IncomingMessage message = parseIncomingMessage(data);
    const QString time = formatMessageTime(message.time);
    List1.append(time + QStringLiteral(": ") + message.text);
    // An answer to the text on its way must not stand above that text.
    if (isSending())
        m_held.append({message.nick, time, message.text});
    else
        showReceived(message.nick, time, message.text);
}

void Form1::showReceived(const QString& nick, const QString& time, const QString& text)
{
    MakeHTML(QString(), nick, text, time, QStringLiteral("from"));
    OznamPrijetiZpravy();
    notifyDesktop(nick, text);
}

void Form1::notifyDesktop(const QString& nick, const QString& text)
{
    // Beside the flashing, for a person looking at another window; it
    // follows the sound setting, as both say that a message came.
    if (m_soundFlag != u"1" || isActiveWindow())
        return;
    if (!m_desktopNotice) {
        m_desktopNotice = new DesktopNotification(QStringLiteral("Zuv"), this);
        connect(m_desktopNotice, &DesktopNotification::clicked, this, &Form1::bringUp);
    }
    m_desktopNotice->show(nick, text.section(u'\n', 0, 0).left(200),
                          QStringLiteral("mail-message-new"));
}

void Form1::OznamPrijetiZpravy()
{
    if (m_soundFlag == u"1")
        sndPlaySoundA(programDir() + QStringLiteral("\\Zuv_data\\0001.wav"), SND_ASYNC);
    FlashMe(true);
}

void Form1::FlashMe(bool flash)
{
    // Flashes until the window comes to the front.
    if (flash)
        QApplication::alert(this, 0);
}

void Form1::Command1_Click()
{
    const QString typed = Text1.toPlainText();
    if (typed.isEmpty())
        return;
    // One text at a time goes out, so each answer is known for its text and
    // the texts stay in the order they were written.
    if (isSending())
        m_outbox.append(typed);
    else if (!startSend(typed))
        return; // without a downloader nothing goes out; the text stays to be sent again
    Text1.clear();
}

bool Form1::startSend(const QString& typed)
{
    // A reply left from an earlier send must not pass for this one's.
    QFile::remove(m_replyFile);
    const QString command = sendCommandLine(m_settings, m_replyFile, textForServer(typed));
    if (!Shell(command, SW_SHOWNOACTIVATE, &m_downloaderPid))
        return false;
    m_sending = typed;
    m_sendClock.start();
    WaitForAns.start();
    return true;
}

void Form1::WaitForAns_Timer()
{
    // Whether the downloader still runs is asked first: once it has ended,
    // the reply is there if one ever comes.
    const bool downloaderEnded = !programRunning(m_downloaderPid);
    const QFileInfo reply(m_replyFile);
    if (reply.exists() && reply.size() > 0) {
        WaitForAns.stop();
        PridejText();
        sendFinished();
    } else if (downloaderEnded || m_sendClock.elapsed() > kDownloaderLimitMs) {
        WaitForAns.stop();
        sendFailed();
    }
}

void Form1::sendFinished()
{
    m_sending.clear();
    const QList<Received> held = std::exchange(m_held, {});
    for (const Received& r : held)
        showReceived(r.nick, r.time, r.text);
    if (m_outbox.isEmpty())
        return;
    const QString next = m_outbox.takeFirst();
    if (!startSend(next)) {
        m_sending = next;
        sendFailed();
    }
}

void Form1::sendFailed()
{
    QStringList unsent = {m_sending};
    unsent += std::exchange(m_outbox, {});
    QString text = unsent.join(u'\n');
    // What was typed since stays too, after the texts that did not go.
    const QString typedSince = Text1.toPlainText();
    if (!typedSince.isEmpty())
        text += u'\n' + typedSince;
    Text1.setPlainText(text);
    Text1.moveCursor(QTextCursor::End);
    WebBrowser1.appendNotice(kNotSent);
    sendFinished();
}

void Form1::PridejText()
{
    const auto lines = TextFile::readLines(m_replyFile);
    if (!lines)
        return;
    const auto sent = parseSentReply(lines->join(QString()));
    if (!sent)
        return;
    MakeHTML(m_settings.ContactId, m_settings.OwnNick, sent->text, sent->time,
             QStringLiteral("to"));
}

void Form1::MakeHTML(const QString& IDuser, const QString& Zuvuser, const QString& ZuvText,
                     const QString& ZuvTime, const QString& ZuvTyp)
{
    // The text never becomes markup: the links and smileys the page adds
    // are its only tags.
    const QString text = VytvorURL(escapeMarkup(ZuvText));
    const QString conversation = IDuser.isEmpty() ? m_settings.ContactId : IDuser;
    const QString nick = Zuvuser.isEmpty() ? m_settings.OwnNick : Zuvuser;
    const QString path = HistoryFile::pathFor(programDir(), m_settings.OwnId, conversation);
    if (path != m_history.path()) {
        m_history = HistoryFile(path);
        WebBrowser1.forgetPage();
    }
    TestHTMLex();
    const HistoryFile::Added added =
        m_history.add(historyEntry(ZuvTyp, nick, ZuvTime, text), programDir());
    // The view shows what the file holds: the new entry alone when the rest
    // is shown already, else the whole page.
    if (added.written && WebBrowser1.showsPage())
        WebBrowser1.appendEntry(added.entry);
    else
        showHistory();
    DoEvents();
}

void Form1::TestHTMLex()
{
    m_history.TestHTMLex(m_settings.FontSize);
}

void Form1::showHistory()
{
    if (const auto page = m_history.read())
        WebBrowser1.showPage(*page);
}

QString Form1::VytvorURL(const QString& SourceData)
{
    const QString linked = chat::VytvorURL(SourceData, m_settings.ServerBase);
    ZobrazLastURL(linked);
    return linked;
}

void Form1::ZobrazLastURL(const QString& TextSourceALL)
{
    const auto target = firstLinkTarget(TextSourceALL);
    if (!target)
        return;
    m_lastURL = *target;
    Image20.setToolTip(QStringLiteral("Otevřít poslední přijatou/odeslanou URL"));
    Image20.show();
}

void Form1::OhlasSeZuv()
{
    if (const WindowRef messenger = FindWindowA(kMessengerCaption))
        SendCopyData(messenger, QStringLiteral("msgon"));
}

void Form1::Timer1_Timer()
{
    if (!FindWindowA(kMessengerCaption))
        Form_Unload();
}

void Form1::Timer2_Timer()
{
    OhlasSeZuv();
}

void Form1::Form_Unload()
{
    if (m_ended)
        return;
    m_ended = true;
    Timer1.stop();
    Timer2.stop();
    WaitForAns.stop();
    // The answer file is this window's business with the downloader only.
    if (!m_replyFile.isEmpty())
        QFile::remove(m_replyFile);
    SetSubclass(false);
    DoEvents();
    m_bus.withdraw();
    hide();
    emit ended();
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    Form_Unload();
}

void Form1::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // Whatever was clicked last, typing goes into the text box.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        Text1.setFocus();
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &Text1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ControlModifier)) {
            Command1_Click();
            return true; // the line break is not typed
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zuv::chat
