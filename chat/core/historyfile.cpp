#include "historyfile.h"

#include "historypage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <foundation/codepage.h>
#include <foundation/paths.h>
#include <foundation/textfile.h>

namespace zuv::chat {
namespace {

// Where the last end marker of the page's bytes begins, in any case; -1
// when it has none.
qsizetype lastEndMarker(QByteArrayView page)
{
    const QByteArray marker = kEndMarker.toLatin1();
    for (qsizetype at = page.size() - marker.size(); at >= 0; --at) {
        if (qstrnicmp(page.data() + at, marker.size(), marker.constData(), marker.size()) == 0)
            return at;
    }
    return -1;
}

} // namespace

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
    // The folder of the member's conversations is theirs alone.
    const QString folder = QFileInfo(file).absolutePath();
    if (!QFileInfo::exists(folder))
        QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
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
    const auto bytes = TextFile::readBytes(m_path);
    if (!bytes)
        return {};
    Added added;
    // A page as this program writes it is one line whose head, up to the
    // end marker, needs no conversion: its bytes are kept as they are, and
    // the page is never decoded, converted and encoded whole.
    QByteArrayView stored(*bytes);
    if (stored.endsWith("\r\n"))
        stored.chop(2);
    const qsizetype cut = lastEndMarker(stored);
    if (cut >= 0 && !needsConversion(stored.first(cut))) {
        added.entry = convertText(entry, programDir);
        const QByteArray tail =
            CodePage::encode(added.entry) + kEndMarker.toLatin1() + kPageEnd.toLatin1() + "\r\n";
        QByteArray page;
        page.reserve(cut + tail.size());
        page.append(stored.first(cut)).append(tail);
        added.written = TextFile::writeBytesAtomic(m_path, page);
        return added;
    }
    const MergedPage merged = mergeEntry(CodePage::decode(*bytes), entry, programDir);
    added.entry = merged.entry;
    added.written = TextFile::writeBytesAtomic(m_path, CodePage::encode(merged.page) + "\r\n");
    return added;
}

bool HistoryFile::remove() const
{
    return QFile::remove(resolvePath(m_path));
}

} // namespace zuv::chat
