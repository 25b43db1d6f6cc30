#include "historyfile.h"

#include "historypage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <foundation/codepage.h>
#include <foundation/paths.h>
#include <foundation/textfile.h>

namespace zuv::chat {

QString HistoryFile::pathFor(const QString& programDir, const QString& ownId,
                             const QString& contactId)
{
    return programDir + QStringLiteral("\\Cache\\") + ownId + u'-' + contactId +
           QStringLiteral(".htm");
}

bool HistoryFile::TestHTMLex(const QString& fontSize) const
{
    const QString file = resolvePath(m_path);
    if (QFileInfo::exists(file))
        return true;
    QDir().mkpath(QFileInfo(file).absolutePath());
    return TextFile::writeBytesAtomic(file, CodePage::encode(emptyHistoryPage(fontSize)) + "\r\n");
}

std::optional<QString> HistoryFile::read() const
{
    const auto bytes = TextFile::readBytes(m_path);
    if (!bytes)
        return std::nullopt;
    return CodePage::decode(*bytes);
}

HistoryFile::Added HistoryFile::add(const QString& entry, const QString& programDir) const
{
    // A page that cannot be read is not replaced: that would lose it.
    const auto stored = read();
    if (!stored)
        return {};
    const MergedPage merged = mergeEntry(*stored, entry, programDir);
    Added added;
    added.entry = merged.entry;
    added.written = TextFile::writeBytesAtomic(m_path, CodePage::encode(merged.page) + "\r\n");
    return added;
}

bool HistoryFile::remove() const
{
    return QFile::remove(resolvePath(m_path));
}

} // namespace zuv::chat
