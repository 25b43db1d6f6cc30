#pragma once

#include "core/browserargs.h"

#include <QPointer>
#include <QTextBrowser>
#include <QWidget>
#include <foundation/bus/buswindow.h>

class QNetworkAccessManager;
class QNetworkReply;

namespace zuv::browser {

// Shows the HTML it is given and nothing else: no style sheets, no images,
// and above all no local file a page names, so a page cannot pull anything
// in on its own.
class PageView : public QTextBrowser
{
    Q_OBJECT
public:
    using QTextBrowser::QTextBrowser;
    QVariant loadResource(int type, const QUrl& name) override;
};

// The one window of ZuvBrowser: a page view with the caption and size the
// argument names, published on the window bus.
class BrowserWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BrowserWindow(BrowserArgs args, QWidget* parent = nullptr);

    // Sizes the window, applies "max" and the launcher's show style (but
    // never minimised), then fetches the page (or shows why the argument
    // cannot be used).
    void start(int showStyle);

    PageView* page() const { return m_page; }
    const BrowserArgs& args() const { return m_args; }
    // The page or an error page is shown; nothing is fetched any more.
    bool isDone() const { return m_done; }
    // The page's end test closed the window.
    bool closedByPage() const { return m_closedByPage; }

signals:
    void pageShown();

private:
    void Reply_Finished();
    void Reply_DownloadProgress(qint64 received);
    void Page_AnchorClicked(const QUrl& link);

    void finish(const QString& html, bool plainText = false);
    void showFailure(const QString& reason);

    BrowserArgs m_args;
    PageView* m_page = nullptr;
    QNetworkAccessManager* m_network = nullptr;
    QPointer<QNetworkReply> m_reply;
    BusWindow m_bus;
    QUrl m_pageUrl; // where the page came from after redirects; links resolve against it
    bool m_tooLarge = false;
    bool m_done = false;
    bool m_closedByPage = false;
};

} // namespace zuv::browser
