// The chat window's controls: pictures, buttons, the smiley panel, the link
// menu and the layout.
#include "core/chatlayout.h"
#include "form1.h"

#include <QIcon>
#include <QResizeEvent>
#include <QTextCursor>
#include <foundation/gui/messagebox.h>
#include <foundation/paths.h>
#include <foundation/shell.h>
#include <foundation/twips.h>

namespace zuv::chat {
namespace {

// The window's frame around its inside, as the layout's sizes count it.
constexpr int kFrameWidthTwips = 90;
constexpr int kFrameHeightTwips = 450;
constexpr int kStartWidthTwips = 6000;
constexpr int kStartHeightTwips = 5400;
constexpr int kNarrowTwips = 5500;

constexpr int px(int twips)
{
    return twips / kTwipsPerPixel;
}

// Fixed places of the controls the layout does not move, in twips.
constexpr int kButtonStride = 360; // a 24-pixel picture
constexpr int kSmileysLeft = 1880;
constexpr int kSmileyStride = 255;
constexpr int kText1Left = 30;
constexpr int kText1Height = 720;

} // namespace

void Form1::buildWindow()
{
    resize(px(kStartWidthTwips - kFrameWidthTwips), px(kStartHeightTwips - kFrameHeightTwips));
    for (QWidget* w :
         std::initializer_list<QWidget*>{&WebBrowser1, &Text1, &Command1, &Image1, &Image2, &Image3,
                                         &Image4, &Image5, &Image6, &Image7, &SmileS, &Image20})
        w->setParent(this);
    WebBrowser1.setProgramDir(programDir());
    WebBrowser1.move(0, 0);
    connect(&WebBrowser1, &HistoryView::linkActivated, this, [](const QString& url) {
        if (isWebLink(url))
            OpenURLInShell(url);
    });
    Text1.setTabChangesFocus(true);
    Text1.installEventFilter(this);
    Command1.setText(QStringLiteral("Odeslat"));
    Command1.hide();
    connect(&Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    struct Button
    {
        QToolButton* button;
        const char* tip;
        void (Form1::*click)();
    };
    const Button buttons[] = {
        {&Image1, "Zvuk příchozí zprávy", &Form1::Image1_Click},
        {&Image2, "Zobrazit informace o uživateli", &Form1::Image2_Click},
        {&Image3, "Zaslat soubor", &Form1::Image3_Click},
        {&Image4, "", &Form1::Image4_Click},
        {&Image5, "Moje poznámka", &Form1::Image5_Click},
        {&Image6, "Odeslat (Ctrl+Enter)", &Form1::Command1_Click},
        {&Image7, "Vymazat historii zpráv", &Form1::Image7_Click},
        {&Image20, "", &Form1::Image20_Click},
    };
    for (const Button& b : buttons) {
        b.button->setAutoRaise(true);
        b.button->setFocusPolicy(Qt::NoFocus);
        b.button->setCursor(Qt::PointingHandCursor);
        b.button->setToolTip(QString::fromUtf8(b.tip));
        connect(b.button, &QToolButton::clicked, this, b.click);
    }
    for (int i = 0; i < 5; ++i)
        buttons[i].button->move(px(60 + i * kButtonStride), 0);
    Image6.setFixedSize(20, px(kText1Height));
    Image20.hide();

    SmileS.setFrameShape(QFrame::NoFrame);
    SmileS.setGeometry(px(kSmileysLeft), 0, px(12 * kSmileyStride), 19);
    for (int i = 0; i < 12; ++i) {
        QToolButton& smiley = Smileys[i];
        const QString code = QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        smiley.setParent(&SmileS);
        smiley.setAutoRaise(true);
        smiley.setFocusPolicy(Qt::NoFocus);
        smiley.setCursor(Qt::PointingHandCursor);
        smiley.setToolTip(QStringLiteral("**") + code);
        smiley.setGeometry(px(i * kSmileyStride), 0, px(kSmileyStride), 19);
        connect(&smiley, &QToolButton::clicked, this, [this, code] { AddSMILE(code); });
    }
    SmileS.hide();

    OpenURL = MenuURL.addAction(QStringLiteral("Otevřít URL"), this, &Form1::OpenURL_Click);
    OpenURLinZuvB = MenuURL.addAction(QStringLiteral("Otevřít URL v ZuvBrowser"), this,
                                      &Form1::OpenURLinZuvB_Click);
    Form_Resize();
}

void Form1::setPicture(QToolButton& button, const QString& file)
{
    const QPixmap picture(resolvePath(dataPath(QStringLiteral("img/") + file)));
    button.setIcon(QIcon(picture));
    if (!picture.isNull()) {
        button.setIconSize(picture.size());
        button.setFixedSize(picture.size() + QSize(2, 2));
    }
}

void Form1::LoadOptions()
{
    if (m_soundFlag.isEmpty())
        m_soundFlag = QStringLiteral("1");
    setPicture(Image1,
               m_soundFlag == u"1" ? QStringLiteral("sound_1.gif") : QStringLiteral("sound_0.gif"));
    setPicture(Image2, QStringLiteral("info.gif"));
    setPicture(Image3, QStringLiteral("file.gif"));
    setPicture(Image4, QStringLiteral("smile.gif"));
    setPicture(Image5, QStringLiteral("note.gif"));
    setPicture(Image6, QStringLiteral("send.gif"));
    setPicture(Image7, QStringLiteral("nohist.gif"));
    setPicture(Image20, QStringLiteral("msgurl.gif"));
    for (int i = 0; i < 12; ++i) {
        const QPixmap picture(resolvePath(
            dataPath(QStringLiteral("img/sm/%1.gif").arg(i + 1, 2, 10, QLatin1Char('0')))));
        Smileys[i].setIcon(QIcon(picture));
        Smileys[i].setIconSize(QSize(15, 15));
    }
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form1::Form_Resize()
{
    const int outerWidth = width() * kTwipsPerPixel + kFrameWidthTwips;
    const int outerHeight = height() * kTwipsPerPixel + kFrameHeightTwips;
    const ChatLayout l = chat::Form_Resize(outerWidth, outerHeight, !SmileS.isHidden());
    // A window below its smallest size grows, which lays it out again.
    if (l.widenTo || l.heightenTo) {
        resize(l.widenTo ? px(*l.widenTo - kFrameWidthTwips) + 1 : width(),
               l.heightenTo ? px(*l.heightenTo - kFrameHeightTwips) + 1 : height());
    }
    if (!l.widenTo) {
        Text1.resize(px(l.Text1Width), px(kText1Height));
        Image7.move(px(l.Image7Left), Image7.y());
        Image20.move(px(l.Image20Left), Image20.y());
        Image6.move(px(l.Image6Left), Image6.y());
        WebBrowser1.resize(px(l.WebBrowser1Width), WebBrowser1.height());
    }
    if (!l.heightenTo) {
        for (QToolButton* b : {&Image1, &Image2, &Image3, &Image4, &Image5, &Image7, &Image20})
            b->move(b->x(), px(l.buttonsTop));
        SmileS.move(SmileS.x(), px(l.SmileSTop));
        Text1.move(px(kText1Left), px(l.Text1Top));
        Image6.move(Image6.x(), px(l.Text1Top));
        WebBrowser1.resize(WebBrowser1.width(), px(l.WebBrowser1Height));
    }
}

void Form1::AddSMILE(const QString& SmileR)
{
    const int p = Text1.textCursor().position();
    const QString text = Text1.toPlainText();
    Text1.setPlainText(text.left(p) + QStringLiteral("**") + SmileR + text.mid(p));
    QTextCursor cursor = Text1.textCursor();
    cursor.setPosition(p + 4);
    Text1.setTextCursor(cursor);
    Text1.setFocus();
}

void Form1::Image1_Click()
{
    m_soundFlag = m_soundFlag != u"1" ? QStringLiteral("1") : QStringLiteral("0");
    setPicture(Image1,
               m_soundFlag == u"1" ? QStringLiteral("sound_1.gif") : QStringLiteral("sound_0.gif"));
}

void Form1::openWebView(const QString& address, const QString& size, const QString& title,
                        const QString& endFlag)
{
    Shell(programDir() + QStringLiteral("\\ZuvBrowser.exe ") + address + QStringLiteral("/@/") +
              size + QStringLiteral("/@/") + title + QStringLiteral("/@/normal/@/") + endFlag +
              QStringLiteral("/@/"),
          SW_SHOWMINIMIZED);
}

void Form1::Image2_Click()
{
    openWebView(
        m_settings.ServerBase + QStringLiteral("\\zuv\\whois.php?id=") + m_settings.ContactId,
        QStringLiteral("5600/@/6000"),
        QStringLiteral("Zuv - informace o ") + m_settings.ContactNick, QStringLiteral("noendtest"));
}

void Form1::Image3_Click()
{
    openWebView(m_settings.ServerBase + QStringLiteral("\\zuv\\sendfile.php?to=") +
                    m_settings.ContactId + QStringLiteral("&idh=") + m_settings.OwnId +
                    QStringLiteral("&h=") + m_settings.AuthH + QStringLiteral("&end=1"),
                QStringLiteral("6000/@/2700"),
                QStringLiteral("Zuv - odeslat soubor: ") + m_settings.ContactNick,
                QStringLiteral("endtest"));
}

void Form1::Image5_Click()
{
    openWebView(
        m_settings.ServerBase + QStringLiteral("\\zuv\\note.php?user=") + m_settings.ContactId +
            QStringLiteral("&idh=") + m_settings.OwnId + QStringLiteral("&h=") + m_settings.AuthH,
        QStringLiteral("4150/@/2700"), QStringLiteral("Zuv - poznámka: ") + m_settings.ContactNick,
        QStringLiteral("endtest"));
}

void Form1::Image4_Click()
{
    if (!SmileS.isHidden()) {
        SmileS.hide();
        return;
    }
    SmileS.show();
    if (width() * kTwipsPerPixel + kFrameWidthTwips < kNarrowTwips)
        resize(px(5510 - kFrameWidthTwips), height());
    Form_Resize();
}

void Form1::Image7_Click()
{
    const MsgAnswer answer =
        MsgBox(QStringLiteral("Opravdu si přejete vymazat všechny zprávy tohoto okna?"),
               MsgButtons::YesNo, MsgIcon::Question, QStringLiteral("Smazat historii"));
    if (answer != MsgAnswer::Yes)
        return;
    m_history.remove();
    TestHTMLex();
    showHistory();
}

void Form1::Image20_Click()
{
    MenuURL.popup(Image20.mapToGlobal(QPoint(0, Image20.height())));
}

void Form1::OpenURL_Click()
{
    OpenURLInShell(m_lastURL);
}

void Form1::OpenURLinZuvB_Click()
{
    Shell(programDir() + QStringLiteral("\\ZuvBrowser.exe ") + m_lastURL +
              QStringLiteral("/@/14000/@/8000/@/Zuv Browser (Zuvnet)/@/max/@/endtestnull/@/"),
          SW_SHOWMINIMIZED);
}

} // namespace zuv::chat
