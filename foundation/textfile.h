#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace zuv::TextFile {

// All lines of a Windows-1250 file. Lines may end with CR LF or LF; a last
// line without an ending counts. Paths go through resolvePath(). Nothing when
// the file cannot be read.
std::optional<QStringList> readLines(const QString& path);

// The lines that are not empty, in order: positional files count only these.
QStringList withoutEmptyLines(const QStringList& lines);

// Splits decoded text into lines as readLines() does.
QStringList splitLines(const QString& text);

// The whole file as bytes, or nothing when it cannot be read.
std::optional<QByteArray> readBytes(const QString& path);

// Rewrites the file whole: the bytes go to a temporary file in the same
// folder, which is then renamed over the old file. A crash at any moment
// leaves either the old or the new content, never part of one. A file
// made here is readable by its owner alone (0600); an existing one keeps
// its mode.
bool writeBytesAtomic(const QString& path, const QByteArray& bytes);

// Rewrites the file whole with the lines in Windows-1250, each ended by CR LF.
bool writeLinesAtomic(const QString& path, const QStringList& lines);

// Appends one line (Windows-1250, CR LF), creating the file when missing
// (mode 0600).
bool appendLine(const QString& path, const QString& line);

} // namespace zuv::TextFile
