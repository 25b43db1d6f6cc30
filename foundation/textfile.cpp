#include "textfile.h"

#include "codepage.h"
#include "paths.h"

#include <QFile>
#include <QSaveFile>

namespace zuv::TextFile {

QStringList splitLines(const QString& text)
{
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast(); // the ending of the last line opens no new one
    for (QString& line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
    }
    return lines;
}

QStringList withoutEmptyLines(const QStringList& lines)
{
    QStringList kept;
    kept.reserve(lines.size());
    for (const QString& line : lines) {
        if (!line.isEmpty())
            kept.append(line);
    }
    return kept;
}

std::optional<QByteArray> readBytes(const QString& path)
{
    QFile file(resolvePath(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QStringList> readLines(const QString& path)
{
    const auto bytes = readBytes(path);
    if (!bytes)
        return std::nullopt;
    return splitLines(CodePage::decode(*bytes));
}

namespace {

// A member's files hold passwords, conversations and replies: one the suite
// creates is readable by its owner alone. An existing file keeps its mode.
constexpr QFile::Permissions kPrivate = QFile::ReadOwner | QFile::WriteOwner;

} // namespace

bool writeBytesAtomic(const QString& path, const QByteArray& bytes)
{
    const QString resolved = resolvePath(path);
    const bool isNew = !QFile::exists(resolved);
    QSaveFile file(resolved);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (isNew)
        file.setPermissions(kPrivate);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool writeLinesAtomic(const QString& path, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += CodePage::encode(line) + "\r\n";
    return writeBytesAtomic(path, bytes);
}

bool appendLine(const QString& path, const QString& line)
{
    QFile file(resolvePath(path));
    const bool isNew = !file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    if (isNew)
        file.setPermissions(kPrivate);
    // One write call, so lines of concurrent writers never interleave.
    const QByteArray bytes = CodePage::encode(line) + "\r\n";
    return file.write(bytes) == bytes.size();
}

} // namespace zuv::TextFile
