#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace zuv::recorder {

// The playlist the library hands to the player: "ZuvplayList.wpl" in the
// program folder.
QString playlistPath();

// How a file is named in the playlist: its path without the program folder
// and the separator after it ("Music\Album\a.mp3"), with "\" separators.
// A path outside the program folder stays whole.
QString playlistEntry(const QString& path, const QString& programFolder);

// The playlist file of these entries in order: Windows-1250, CR LF lines.
// A name holding &, <, > or " is written as XML wants it; a character
// without a Windows-1250 byte as a character reference.
QByteArray playlistBytes(const QStringList& entries);

// Rewrites the playlist of these entries (playlistEntry()) at
// `playlistFile` whole, so that the player never reads half a list. False
// when it cannot.
bool writePlaylistEntries(const QString& playlistFile, const QStringList& entries);
// The same for these files (full paths).
bool writePlaylist(const QString& playlistFile, const QStringList& paths,
                   const QString& programFolder);

} // namespace zuv::recorder
