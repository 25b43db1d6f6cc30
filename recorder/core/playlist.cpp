#include "playlist.h"

#include <foundation/codepage.h>
#include <foundation/paths.h>
#include <foundation/stagedfile.h>

namespace zuv::recorder {
namespace {

bool encodable(char32_t c)
{
    const QString one = QString::fromUcs4(&c, 1);
    return CodePage::encode(one) != "?";
}

QString escaped(const QString& text)
{
    const QString xml = text.toHtmlEscaped();
    QString out;
    out.reserve(xml.size());
    for (qsizetype i = 0; i < xml.size(); ++i) {
        const QChar c = xml.at(i);
        if (c.unicode() < 0x80) {
            out += c;
            continue;
        }
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < xml.size() && xml.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, xml.at(++i));
        // Windows-1250 lacks most characters; those become references.
        if (encodable(code))
            out += QString::fromUcs4(&code, 1);
        else
            out += QStringLiteral("&#%1;").arg(quint32(code));
    }
    return out;
}

} // namespace

QString playlistPath()
{
    return programPath(QStringLiteral("ZuvplayList.wpl"));
}

QString playlistEntry(const QString& path, const QString& programFolder)
{
    QString entry = path;
    QString folder = programFolder;
    folder.replace(u'\\', u'/');
    if (!folder.endsWith(u'/'))
        folder += u'/';
    QString normal = path;
    normal.replace(u'\\', u'/');
    if (normal.startsWith(folder))
        entry = normal.mid(folder.size());
    entry.replace(u'/', u'\\');
    return entry;
}

QByteArray playlistBytes(const QStringList& entries)
{
    QString text = QStringLiteral("<?wpl version=\"1.0\"?>\r\n"
                                  "<smil>\r\n"
                                  "<head>\r\n"
                                  "<meta name=\"Generator\" content=\"Microsoft Windows Media "
                                  "Player -- 9.0.0.3250\"/>\r\n"
                                  "<author/>\r\n"
                                  "<title>Zuvnet</title>\r\n"
                                  "</head>\r\n"
                                  "<body>\r\n"
                                  "<seq>\r\n");
    for (const QString& entry : entries)
        text += QStringLiteral("<media src=\"") + escaped(entry) + QStringLiteral("\"/>\r\n");
    text += QStringLiteral("</seq>\r\n</body>\r\n</smil>\r\n");
    return CodePage::encode(text);
}

bool writePlaylistEntries(const QString& playlistFile, const QStringList& entries)
{
    // Rewritten on every click in the list, and a player reading it needs no
    // copy that outlives a crash: no waiting for the disk.
    return StagedFile::write(resolvePath(playlistFile), playlistBytes(entries));
}

bool writePlaylist(const QString& playlistFile, const QStringList& paths,
                   const QString& programFolder)
{
    QStringList entries;
    entries.reserve(paths.size());
    for (const QString& path : paths)
        entries.append(playlistEntry(path, programFolder));
    return writePlaylistEntries(playlistFile, entries);
}

} // namespace zuv::recorder
