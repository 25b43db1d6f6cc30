#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>

namespace zuv::load {

struct DownloadResult
{
    bool ok = false;
    QString error; // why it failed, for standard error
};

// HTTP GET of `url` (already in wire form) with redirects (at most 5), a
// 15 s connect and 60 s transfer limit. The body goes, byte for byte and as
// it arrives, to "<replyFile>.part" (PartFile), which is renamed onto
// `replyFile` only when the transfer is complete with a 2xx status;
// otherwise the part file is removed and nothing is written.
// No reply of the suite comes near this; a larger one is refused whole.
inline constexpr qint64 kMaxReplyBytes = 64 * 1024 * 1024;

// Only http and https are fetched, also on redirects. A new reply file is
// readable by its owner only.
// When `stop` becomes true the transfer ends at once, as a failed one.
DownloadResult download(const QByteArray& url, const QString& replyFile,
                        const std::atomic<bool>* stop = nullptr);

} // namespace zuv::load
