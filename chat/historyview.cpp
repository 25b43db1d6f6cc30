#include "historyview.h"

#include "core/historypage.h"
#include "core/safehtml.h"

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
// Entries shown at a time of a long page: a few screens full.
constexpr int kEntriesAtOnce = 200;

} // namespace

HistoryView::HistoryView(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this,
            [this](const QUrl& url) { emit linkActivated(url.toString()); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value == verticalScrollBar()->minimum() && !m_earlier.isEmpty())
            showEarlier();
    });
}

void HistoryView::setProgramDir(const QString& dir)
{
    m_programDir = QFileInfo(dir).canonicalFilePath();
}

void HistoryView::showPage(const QString& page)
{
    // The layout of a rich text grows with the whole document on every
    // change; a long conversation would make each new entry slow.
    PageTail tail = pageTail(page, kEntriesAtOnce);
    m_earlier = std::move(tail.older);
    // Entries added later are parsed on their own and need the page's rules.
    document()->setDefaultStyleSheet(pageStyleSheet(page));
    // The head is the page's own; what follows its style sheet is entries.
    constexpr QStringView styleClose = u"</STYLE>";
    const qsizetype styleEnd = tail.shown.indexOf(styleClose, 0, Qt::CaseInsensitive);
    const qsizetype entries = styleEnd < 0 ? 0 : styleEnd + styleClose.size();
    setHtml(tail.shown.left(entries) + viewableEntries(QStringView(tail.shown).sliced(entries)));
    m_showsPage = true;
    scrollToAnchor(QStringLiteral("zuv_end"));
}

bool HistoryView::showEarlier()
{
    if (m_earlier.isEmpty())
        return false;
    QScrollBar* bar = verticalScrollBar();
    const int fromBottom = bar->maximum() - bar->value();
    insertEntries(0, viewableEntries(takeLastEntries(m_earlier, kEntriesAtOnce)));
    bar->setValue(bar->maximum() - fromBottom); // what was seen stays in place
    return true;
}

void HistoryView::appendEntry(const QString& entry)
{
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    insertEntries(end.position(), viewableEntries(entry));
    scrollToEnd();
}

void HistoryView::appendNotice(const QString& text)
{
    appendEntry(QStringLiteral("<P style=\"color:#999999; font-size:11px\">") +
                text.toHtmlEscaped() + QStringLiteral("</P>"));
}

void HistoryView::insertEntries(int position, const QString& entries)
{
    QTextDocument parsed;
    parsed.setDefaultStyleSheet(document()->defaultStyleSheet());
    parsed.setHtml(entries);
    QTextCursor cursor(document());
    // Inside an edit block the cursor does not ask the layout where it is,
    // which would lay out the whole document first.
    cursor.beginEditBlock();
    cursor.setPosition(position);
    const QTextBlock next = cursor.block();
    const bool before = position == next.position() && next.length() > 1;
    // At the end the entries start a block of their own instead of running
    // on in the last one.
    if (!before && (!next.text().isEmpty() || next.previous().isValid()))
        cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
    const int start = cursor.position();
    const QTextBlockFormat nextFormat = next.blockFormat();
    const QTextCharFormat nextChars = next.charFormat();
    cursor.insertHtml(entries);
    if (before) {
        // Their last paragraph ran into the block they were put before.
        cursor.setPosition(start + parsed.characterCount() - 1);
        cursor.insertBlock(nextFormat, nextChars);
        cursor.movePosition(QTextCursor::PreviousBlock);
        cursor.setBlockFormat(parsed.lastBlock().blockFormat());
    }
    // Their first paragraph ran into the block at the cursor and kept that
    // block's format: a header would lose its colours.
    QTextCursor(document()->findBlock(start)).setBlockFormat(parsed.begin().blockFormat());
    cursor.endEditBlock();
}

void HistoryView::scrollToEnd()
{
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->maximum());
}

QVariant HistoryView::loadResource(int type, const QUrl& name)
{
    // Whatever is refused comes back as some value rather than none: given
    // none, or an empty picture, the document reads the file itself.
    if (type != QTextDocument::ImageResource)
        return QVariant(QByteArray());
    QImage refused(1, 1, QImage::Format_ARGB32);
    refused.fill(Qt::transparent);
    if (m_programDir.isEmpty())
        return QVariant(refused);
    QString path = name.isLocalFile()
                       ? name.toLocalFile()
                       : QUrl::fromPercentEncoding(name.toString(QUrl::FullyEncoded).toLatin1());
    const QFileInfo file(resolvePath(path));
    const QString real = file.canonicalFilePath();
    if (!real.startsWith(m_programDir + u'/') || !file.isFile() || file.size() > kMaxPictureBytes)
        return QVariant(refused);
    const QImage picture(real);
    return QVariant(picture.isNull() ? refused : picture);
}

} // namespace zuv::chat
