#include "links.h"

namespace zuv::chat {
namespace {

constexpr auto CI = Qt::CaseInsensitive;

// Marker words that stand in the text only while VytvorURL runs.
const QString kHttp = QStringLiteral("http://");
const QString kWww = QStringLiteral("www.");
const QString kBareLink = QStringLiteral("wnh."); // had "http://", no "www."
const QString kBareDone = QStringLiteral("wxh."); // such a link, linked
const QString kWwwDone = QStringLiteral("wxx.");  // a "www." link, linked

// Replaces the link that starts at `at` (its marker already swapped for the
// handled one) by its anchor. Markers inside the link are part of it: were
// they left, each round would copy them into the anchor twice and the text
// would grow without end.
void linkAt(QString& s, qsizetype at)
{
    qsizetype end = s.indexOf(u' ', at);
    if (end < 0)
        end = s.size();
    QString link = s.mid(at, end - at);
    link.replace(kWww, kWwwDone, CI);
    link.replace(kBareLink, kHttp, CI);
    // The target stands between apostrophes; one in the link would end it.
    link.replace(u'\'', QStringLiteral("%27"));
    const QString url = kHttp + link;
    s.replace(at, end - at,
              QStringLiteral("<a target=_blank href='") + url + QStringLiteral("'>") + url +
                  QStringLiteral("</a>"));
}

} // namespace

QString VytvorURL(const QString& source, const QString& serverBase)
{
    QString s = source + u' ';
    for (qsizetype p = s.indexOf(kHttp, 0, CI); p >= 0; p = s.indexOf(kHttp, 0, CI)) {
        if (s.mid(p + kHttp.size(), kWww.size()).compare(kWww, CI) == 0)
            s.remove(p, kHttp.size());
        else
            s.replace(p, kHttp.size(), kBareLink);
    }
    for (;;) {
        if (const qsizetype p = s.indexOf(kWww, 0, CI); p >= 0) {
            s.replace(p, kWww.size(), kWwwDone);
            linkAt(s, p);
        } else if (const qsizetype q = s.indexOf(kBareLink, 0, CI); q >= 0) {
            s.replace(q, kBareLink.size(), kBareDone);
            linkAt(s, q);
        } else {
            break;
        }
    }
    s.replace(kWwwDone, kWww, CI);
    s.remove(kBareDone, CI);
    s.replace(QStringLiteral("*zuvserver"), serverBase, CI);
    return s;
}

std::optional<QString> firstLinkTarget(const QString& text)
{
    const qsizetype at = text.indexOf(kHttp, 0, CI);
    if (at < 0)
        return std::nullopt;
    const qsizetype end = text.indexOf(u'\'', at);
    return text.mid(at, end < 0 ? -1 : end - at);
}

} // namespace zuv::chat
