#pragma once

#include <QByteArray>
#include <QNetworkReply>
#include <QSize>
#include <QString>
#include <QStringView>
#include <QUrl>
#include <foundation/pagetext.h>
#include <foundation/twips.h>

// What ZuvBrowser computes without a window: its argument, the address it
// fetches, how a reply is decoded and whether the page ends the window.
namespace zuv::browser {

enum class WindowState
{
    Normal,
    Maximised,
};

// When the window closes by itself after a page has been shown.
enum class EndFlag
{
    EndTest,     // the page carries the end marker
    NoEndTest,   // never
    EndTestNull, // the page carries the end marker, or the reply is empty
};

// Window sizes arrive in twips (foundation/twips.h).
inline constexpr int kMinPixels = 100;
inline constexpr int kMaxPixels = 4000;

// Used when the argument is too broken to name a caption or a size.
inline constexpr QStringView kDefaultCaption = u"ZuvBrowser";
inline constexpr QSize kDefaultSize{640, 480};

// The argument `<url>/@/<width>/@/<height>/@/<title>/@/<state>/@/<end flag>/@/`.
// When something is wrong, `error` says what in Czech; the fields read up to
// that point are kept, so the error window still has the caption it was
// meant to have.
struct BrowserArgs
{
    QString address; // as given
    QUrl url;        // what is fetched
    QSize size = kDefaultSize;
    QString title = kDefaultCaption.toString();
    WindowState state = WindowState::Normal;
    EndFlag endFlag = EndFlag::NoEndTest;
    QString error;

    bool ok() const { return error.isEmpty(); }
};

BrowserArgs parseArguments(const QString& argument);

// The address the window fetches: "\" counts as "/", "http://" is assumed
// when no scheme is given, and spaces, controls and letters outside ASCII are
// percent-encoded from their Windows-1250 bytes, as the suite's server reads
// its query values. Only http and https are fetched; otherwise an empty URL
// and a Czech reason in `error`.
QUrl pageUrl(const QString& address, QString* error);

// Twips to pixels, rounded and kept between kMinPixels and kMaxPixels.
int twipsToPixels(qint64 twips);

// The page's text: decodePage() of the foundation.
using zuv::decodePage;

// The marker a page of the server carries to close the window it is shown
// in: the comment <!-- zuvbrowser:end --> (spaces and case are free).
bool pageAsksToClose(QStringView html);

// No bytes, or only spaces and line breaks.
bool isEmptyReply(const QByteArray& body);

// Whether the window closes after showing this reply.
bool closesAfterLoad(EndFlag flag, const QByteArray& body, QStringView html);

// Why a fetch failed, in Czech, for the error page.
QString failureReason(QNetworkReply::NetworkError error, int httpStatus,
                      const QString& reasonPhrase, const QString& qtText);

// A small page of its own: a heading, a detail line and the address concerned.
QString messagePageHtml(const QString& heading, const QString& detail, const QString& address);

} // namespace zuv::browser
