#pragma once

#include "core/chatsettings.h"
#include "core/historyfile.h"
#include "historyview.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFrame>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <foundation/bus/buswindow.h>

namespace zuv {
class DesktopNotification;
}

namespace zuv::chat {

// The chat window: one conversation between the member and one contact,
// kept as an HTML page in Cache/ and sent through the downloader.
class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Runs the start-up; false when the command line cannot be used (the
    // reason went to standard error) and the program is to end.
    bool Form_Load(const QString& commandLine);

    // Controls.
    HistoryView WebBrowser1;
    QPlainTextEdit Text1;
    QPushButton Command1; // never shown: Image6 and Ctrl+Enter stand for it
    QStringList List1;    // the receive log
    QToolButton Image1;   // sound on or off
    QToolButton Image2;   // the contact's profile
    QToolButton Image3;   // send a file
    QToolButton Image4;   // the smiley panel
    QToolButton Image5;   // the member's note
    QToolButton Image6;   // send
    QToolButton Image7;   // clear the history
    QFrame SmileS;
    std::array<QToolButton, 12> Smileys; // Image8 … Image19
    QToolButton Image20;                 // the last link
    QMenu MenuURL;
    QAction* OpenURL = nullptr;
    QAction* OpenURLinZuvB = nullptr;
    QTimer Timer1;     // ends the window when the messenger is gone
    QTimer Timer2;     // tells the messenger the window is there
    QTimer WaitForAns; // the answer to a send, and whether it can still come

    // Routines.
    void LoadOptions();
    void SetSubclass(bool on);
    void ReceiveMessage(const QString& data);
    void OznamPrijetiZpravy();
    void FlashMe(bool flash);
    void PridejText();
    void MakeHTML(const QString& IDuser, const QString& Zuvuser, const QString& ZuvText,
                  const QString& ZuvTime, const QString& ZuvTyp);
    void TestHTMLex();
    QString VytvorURL(const QString& SourceData);
    void ZobrazLastURL(const QString& TextSourceALL);
    void AddSMILE(const QString& SmileR);
    void OhlasSeZuv();
    void Form_Unload();

    // Handlers.
    void Command1_Click();
    void Image1_Click();
    void Image2_Click();
    void Image3_Click();
    void Image4_Click();
    void Image5_Click();
    void Image7_Click();
    void Image20_Click();
    void OpenURL_Click();
    void OpenURLinZuvB_Click();
    void Timer1_Timer();
    void Timer2_Timer();
    void WaitForAns_Timer();

    // State others look at (tests among them).
    const ChatSettings& settings() const { return m_settings; }
    const QString& SoundFlag() const { return m_soundFlag; }
    const QString& LastURL() const { return m_lastURL; }
    const HistoryFile& historyFile() const { return m_history; }
    // This window's answer file of the downloader.
    const QString& replyFile() const { return m_replyFile; }
    // A text is on its way to the server; what arrives meanwhile waits.
    bool isSending() const { return !m_sending.isEmpty(); }
    BusWindow& bus() { return m_bus; }

signals:
    // The window has closed down; the program is to end now.
    void ended();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void notifyDesktop(const QString& nick, const QString& text);
    // Restored, in front and with the focus.
    void bringUp();
    void buildWindow();
    void Form_Resize();
    void setPicture(QToolButton& button, const QString& file);
    void showHistory();
    void openWebView(const QString& address, const QString& size, const QString& title,
                     const QString& endFlag);
    void handleCommand(const QString& command);
    // Sends one typed text; false when the downloader cannot be started.
    bool startSend(const QString& typed);
    // The send in flight is over: the next one goes, what waited is shown.
    void sendFinished();
    // No answer came: the texts go back into the box, the view says so.
    void sendFailed();
    void showReceived(const QString& nick, const QString& time, const QString& text);

    ChatSettings m_settings;
    QString m_soundFlag;
    DesktopNotification* m_desktopNotice = nullptr;
    QString m_lastURL;
    HistoryFile m_history;
    BusWindow m_bus;
    QString m_replyFile;
    QString m_sending;    // the typed text in flight
    QStringList m_outbox; // typed texts that go after it, in order
    qint64 m_downloaderPid = 0;
    QElapsedTimer m_sendClock;
    struct Received
    {
        QString nick, time, text;
    };
    QList<Received> m_held; // arrived while a text was on its way
    bool m_ended = false;
};

} // namespace zuv::chat
