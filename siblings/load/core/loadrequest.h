#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace zuv::load {

// What the downloader was asked for: "<url>/@/<reply file>[/@/show]".
struct LoadRequest
{
    QString url;
    QString replyFile; // separators as given; "\" counts as "/"
    bool show = false;
};

// The reply file is the field after the last "/@/" once a trailing
// "/@/show" is taken off; everything before it is the address. Nothing when
// the argument has no address or no reply file.
std::optional<LoadRequest> parseLoadArgument(const QString& argument);

// The address as it goes on the wire: its Windows-1250 bytes with spaces,
// control characters, bytes outside ASCII, "#" and any "?" after the first
// percent-encoded, nothing else changed.
QByteArray wireUrl(const QString& url);

// The address as a message may show it: scheme, host and path, never the
// query (it carries the password) or a user name.
QString shownAddress(const QByteArray& wireUrl);

} // namespace zuv::load
