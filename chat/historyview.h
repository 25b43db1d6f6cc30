#pragma once

#include <QTextBrowser>

namespace zuv::chat {

// WebBrowser1: shows a history page. It runs nothing from the page and
// loads only pictures that lie in the program folder; a click on a link is
// handed on (linkActivated) instead of being followed.
class HistoryView : public QTextBrowser
{
    Q_OBJECT
public:
    explicit HistoryView(QWidget* parent = nullptr);

    // The folder pictures may come from.
    void setProgramDir(const QString& dir);

    // Shows a page scrolled to its end marker. Of a long page the last
    // entries come first; earlier ones follow as the view is scrolled to
    // its top.
    void showPage(const QString& page);
    // Puts the next earlier entries above the shown ones; false when all
    // are shown.
    bool showEarlier();
    // Adds an entry at the end of the shown page and scrolls to it; the rest
    // of the page is not rendered again.
    void appendEntry(const QString& entry);
    // A short grey line at the end of the view; the page does not keep it.
    void appendNotice(const QString& text);
    bool showsPage() const { return m_showsPage; }
    void forgetPage() { m_showsPage = false; }

    QVariant loadResource(int type, const QUrl& name) override;

signals:
    void linkActivated(const QString& url);

private:
    void scrollToEnd();
    // Inserts entries at a position; the first paragraph keeps its format.
    void insertEntries(int position, const QString& entries);

    QString m_programDir;
    bool m_showsPage = false;
    QString m_earlier; // entries of the page not shown yet, oldest first
};

} // namespace zuv::chat
