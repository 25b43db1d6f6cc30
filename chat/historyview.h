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

    // Shows a whole page, scrolled to its end marker.
    void showPage(const QString& page);
    // Adds an entry at the end of the shown page and scrolls to it; the rest
    // of the page is not rendered again.
    void appendEntry(const QString& entry);
    bool showsPage() const { return m_showsPage; }
    void forgetPage() { m_showsPage = false; }

    QVariant loadResource(int type, const QUrl& name) override;

signals:
    void linkActivated(const QString& url);

private:
    void scrollToEnd();

    QString m_programDir;
    bool m_showsPage = false;
};

} // namespace zuv::chat
