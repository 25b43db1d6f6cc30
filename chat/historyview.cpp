#include "historyview.h"

#include "core/historypage.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <foundation/paths.h>

namespace zuv::chat {
namespace {

// A smiley is a few hundred bytes; nothing in a page needs more.
constexpr qint64 kMaxPictureBytes = 4 * 1024 * 1024;

} // namespace

HistoryView::HistoryView(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& url) { emit linkActivated(url.toString()); });
}

void HistoryView::setProgramDir(const QString& dir)
{
    m_programDir = QFileInfo(dir).canonicalFilePath();
}

void HistoryView::showPage(const QString& page)
{
    // Entries added later are parsed on their own and need the page's rules.
    document()->setDefaultStyleSheet(pageStyleSheet(page));
    setHtml(page);
    m_showsPage = true;
    scrollToAnchor(QStringLiteral("zuv_end"));
}

void HistoryView::appendEntry(const QString& entry)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    // The entry's paragraphs start a block of their own instead of running
    // on in the last one.
    if (!cursor.block().text().isEmpty() || cursor.block().previous().isValid())
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    const int start = cursor.position();
    cursor.insertHtml(entry);
    // Inserted HTML runs its first paragraph into the block at the cursor,
    // which keeps that block's format: the header would lose its colours.
    QTextDocument parsed;
    parsed.setDefaultStyleSheet(document()->defaultStyleSheet());
    parsed.setHtml(entry);
    QTextCursor(document()->findBlock(start)).setBlockFormat(parsed.begin().blockFormat());
    scrollToEnd();
}

void HistoryView::scrollToEnd()
{
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

QVariant HistoryView::loadResource(int type, const QUrl& name)
{
    // Whatever is refused comes back as an empty value rather than none:
    // given none, the document would read the file itself.
    if (type != QTextDocument::ImageResource || m_programDir.isEmpty())
        return QVariant(QByteArray());
    QString path = name.isLocalFile()
                       ? name.toLocalFile()
                       : QUrl::fromPercentEncoding(name.toString(QUrl::FullyEncoded).toLatin1());
    const QFileInfo file(resolvePath(path));
    const QString real = file.canonicalFilePath();
    if (!real.startsWith(m_programDir + u'/') || !file.isFile() || file.size() > kMaxPictureBytes)
        return QVariant(QImage());
    return QVariant(QImage(real));
}

} // namespace zuv::chat
