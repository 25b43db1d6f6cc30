#include "form2.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>
#include <foundation/paths.h>
#include <foundation/twips.h>

namespace zuv::mailcheck {

Form2::Form2(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setWindowTitle(QStringLiteral("Zuv Postrel!"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setStyleSheet(QStringLiteral("Form2, QWidget#frame { background: #fffbe6; }"
                                 "QWidget#frame { border: 1px solid #c9a227; }"));
    auto* frame = new QWidget(this);
    frame->setObjectName(QStringLiteral("frame"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);
    auto* layout = new QHBoxLayout(frame);
    Image1.setPixmap(QPixmap(resolvePath(dataPath(QStringLiteral("img\\inbox.gif")))));
    layout->addWidget(&Image1);
    auto* texts = new QVBoxLayout;
    Label2.setText(QStringLiteral("Zuv"));
    Label2.setStyleSheet(QStringLiteral("font-weight: bold; color: #1c5fa8"));
    Label1.setText(QStringLiteral("Nové emaily:"));
    Label1.setStyleSheet(QStringLiteral("font-size: 11pt"));
    texts->addWidget(&Label2);
    texts->addWidget(&Label1);
    layout->addLayout(texts, 1);
    for (QWidget* part : {static_cast<QWidget*>(&Image1), static_cast<QWidget*>(&Label1),
                          static_cast<QWidget*>(&Label2)}) {
        part->installEventFilter(this);
        part->setCursor(Qt::PointingHandCursor);
    }
    resize(twipsToPixels(3000), twipsToPixels(900));
}

void Form2::Form_Load()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    move(area.right() + 1 - width(), area.bottom() + 1 - height() - twipsToPixels(450));
}

void Form2::StartForm()
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void Form2::StopForm()
{
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
}

bool Form2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        (watched == &Image1 || watched == &Label1 || watched == &Label2))
        emit clicked();
    return QWidget::eventFilter(watched, event);
}

} // namespace zuv::mailcheck
