#include "browserwindow.h"

#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QVBoxLayout>
#include <foundation/breakablewords.h>
#include <foundation/gui/desktop.h>
#include <foundation/shell.h>

using namespace Qt::StringLiterals;

namespace zuv::browser {
namespace {

// A page is a page, not a download; anything larger is cut off.
constexpr qint64 kMaxPageBytes = 8 * 1024 * 1024;
constexpr int kTransferTimeoutMs = 30000;
constexpr int kMaxRedirects = 10;

const QString kFailureHeading = u"Stránku se nepodařilo načíst."_s;

bool isShownAsHtml(const QByteArray& contentType)
{
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type.isEmpty() || type.contains("html") || type.contains("xml");
}

} // namespace

QVariant PageView::loadResource(int type, const QUrl&)
{
    // Never nothing: given nothing, or no picture, the document reads the
    // named file from the local disk itself (and a FIFO there hangs it).
    if (type != QTextDocument::ImageResource)
        return QByteArray();
    QImage blank(1, 1, QImage::Format_ARGB32);
    blank.fill(Qt::transparent);
    return blank;
}

BrowserWindow::BrowserWindow(BrowserArgs args, QWidget* parent)
    : QWidget(parent), m_args(std::move(args))
{
    setWindowTitle(m_args.title);
    m_page = new PageView(this);
    m_page->setOpenLinks(false);
    m_page->setOpenExternalLinks(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_page);
    connect(m_page, &QTextBrowser::anchorClicked, this, &BrowserWindow::Page_AnchorClicked);

    m_network = new QNetworkAccessManager(this);
    m_bus.attach(this);
    BusWindow::setMainWindow(&m_bus);
}

void BrowserWindow::start(int showStyle)
{
    resize(m_args.size);
    if (m_args.state == WindowState::Maximised)
        setWindowState(windowState() | Qt::WindowMaximized);
    // The callers rely on a window of this caption and size appearing; the
    // minimised start they ask for would leave it unseen without a task bar.
    showInStyle(this, showStyle == SW_SHOWMINIMIZED ? SW_SHOWNORMAL : showStyle);

    if (!m_args.ok()) {
        finish(messagePageHtml(u"Stránku nelze zobrazit: chybný parametr programu."_s, m_args.error,
                               m_args.address));
        return;
    }
    m_page->setHtml(messagePageHtml(u"Načítám stránku…"_s, {}, m_args.address));

    QNetworkRequest request(m_args.url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);
    request.setTransferTimeout(kTransferTimeoutMs);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("ZuvBrowser/1.0"));
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this,
            [this](qint64 received, qint64) { Reply_DownloadProgress(received); });
    connect(m_reply, &QNetworkReply::finished, this, &BrowserWindow::Reply_Finished);
}

void BrowserWindow::Reply_DownloadProgress(qint64 received)
{
    if (received > kMaxPageBytes && m_reply) {
        m_tooLarge = true;
        m_reply->abort();
    }
}

void BrowserWindow::Reply_Finished()
{
    QNetworkReply* reply = m_reply;
    if (!reply)
        return;
    reply->deleteLater();
    m_reply = nullptr;

    if (m_tooLarge) {
        showFailure(u"Stránka je příliš velká."_s);
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status >= 400) {
        showFailure(
            failureReason(reply->error(), status,
                          reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(),
                          reply->errorString()));
        return;
    }

    const QByteArray body = reply->readAll();
    const QByteArray contentType = reply->rawHeader("Content-Type");
    m_pageUrl = reply->url();
    const QString text = decodePage(body, contentType);
    const QString shownAddress = m_pageUrl.toString();
    const bool closes = closesAfterLoad(m_args.endFlag, body, text);

    if (isEmptyReply(body)) {
        finish(messagePageHtml(u"Stránka je prázdná."_s, u"Server neposlal žádný obsah."_s,
                               shownAddress));
    } else if (contentType.trimmed().toLower().startsWith("text/plain")) {
        finish(text, true);
    } else if (!isShownAsHtml(contentType)) {
        finish(messagePageHtml(u"Tento obsah ZuvBrowser nezobrazí."_s,
                               u"Typ obsahu: "_s + QString::fromLatin1(contentType), shownAddress));
    } else {
        finish(text);
        if (m_pageUrl.hasFragment())
            m_page->scrollToAnchor(m_pageUrl.fragment());
    }

    if (closes) {
        // After this handler, so that whoever waits for the page sees it first.
        m_closedByPage = true;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void BrowserWindow::showFailure(const QString& reason)
{
    finish(messagePageHtml(kFailureHeading, reason, m_args.url.toString()));
}

void BrowserWindow::finish(const QString& html, bool plainText)
{
    // A word of a million characters would hold the window for minutes.
    if (plainText)
        m_page->setPlainText(breakableText(html));
    else
        m_page->setHtml(breakableHtml(html));
    m_done = true;
    emit pageShown();
}

void BrowserWindow::Page_AnchorClicked(const QUrl& link)
{
    if (link.isEmpty())
        return;
    const bool onlyFragment =
        link.isRelative() && link.path().isEmpty() && !link.hasQuery() && link.hasFragment();
    if (onlyFragment) {
        m_page->scrollToAnchor(link.fragment());
        return;
    }
    const QUrl target = m_pageUrl.isValid() ? m_pageUrl.resolved(link) : link;
    // No script runs here, nor in a browser on the page's behalf, and no
    // local file opens by its type.
    const QString address = target.toString(QUrl::FullyEncoded);
    if (isWebLink(address))
        OpenURLInShell(address);
}

} // namespace zuv::browser
