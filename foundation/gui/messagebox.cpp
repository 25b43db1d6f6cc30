#include "messagebox.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPushButton>

namespace zuv {
namespace {

QString iconName(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return QStringLiteral("information");
    case MsgIcon::Exclamation:
        return QStringLiteral("exclamation");
    case MsgIcon::Critical:
        return QStringLiteral("critical");
    case MsgIcon::Question:
        return QStringLiteral("question");
    case MsgIcon::None:
        break;
    }
    return QStringLiteral("none");
}

QString answerName(MsgAnswer answer)
{
    switch (answer) {
    case MsgAnswer::Yes:
        return QStringLiteral("yes");
    case MsgAnswer::No:
        return QStringLiteral("no");
    case MsgAnswer::Cancel:
        return QStringLiteral("cancel");
    case MsgAnswer::Ok:
        break;
    }
    return QStringLiteral("ok");
}

QString programName()
{
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', -1);
}

// The scripted answer: the next unused word of $ZUV_MSGBOX_ANSWERS.
MsgAnswer scriptedAnswer(MsgButtons buttons)
{
    static int used = 0;
    const QStringList words =
        qEnvironmentVariable("ZUV_MSGBOX_ANSWERS").split(u',', Qt::SkipEmptyParts);
    const QString word = used < words.size() ? words[used++].trimmed().toLower() : QString();
    if (buttons == MsgButtons::YesNo)
        return word == u"yes" ? MsgAnswer::Yes : MsgAnswer::No;
    return word == u"cancel" ? MsgAnswer::Cancel : MsgAnswer::Ok;
}

MsgAnswer shownAnswer(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    QMessageBox box;
    box.setWindowTitle(title);
    // Texts carry names and replies from the server: never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    switch (icon) {
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MsgIcon::None:
        break;
    }
    if (buttons == MsgButtons::YesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("Ano"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("Ne"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return MsgAnswer::Ok;
}

} // namespace

MsgAnswer MsgBox(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title)
{
    const QString shownTitle = title.isEmpty() ? QCoreApplication::applicationName() : title;
    const QString logPath = qEnvironmentVariable("ZUV_MSGBOX_LOG");
    if (logPath.isEmpty())
        return shownAnswer(text, buttons, icon, shownTitle);

    const MsgAnswer answer = scriptedAnswer(buttons);
    const QJsonObject record{
        {QStringLiteral("program"), programName()},
        {QStringLiteral("icon"), iconName(icon)},
        {QStringLiteral("buttons"),
         buttons == MsgButtons::YesNo ? QStringLiteral("yesno") : QStringLiteral("ok")},
        {QStringLiteral("title"), shownTitle},
        {QStringLiteral("text"), text},
        {QStringLiteral("answer"), answerName(answer)},
    };
    QFile log(logPath);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        log.write(QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n');
    return answer;
}

} // namespace zuv
