#include "playlist.h"

#include <foundation/codepage.h>
#include <foundation/paths.h>
#include <foundation/textfile.h>

namespace zuv::recorder {
namespace {

bool encodable(char32_t c)
{
    const QString one = QString::fromUcs4(&c, 1);
    return CodePage::encode(one) != "?";
}

QString escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'&':
            out += QStringLiteral("&amp;");
            break;
        case u'<':
            out += QStringLiteral("&lt;");
            break;
        case u'>':
            out += QStringLiteral("&gt;");
            break;
        case u'"':
            out += QStringLiteral("&quot;");
            break;
        default: {
            if (c.unicode() < 0x80) {
                out += c;
                break;
            }
            char32_t code = c.unicode();
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                code = QChar::surrogateToUcs4(c, text.at(++i));
            if (encodable(code))
                out += QString::fromUcs4(&code, 1);
            else
                out += QStringLiteral("&#%1;").arg(quint32(code));
        }
        }
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

bool writePlaylist(const QString& playlistFile, const QStringList& paths,
                   const QString& programFolder)
{
    QStringList entries;
    entries.reserve(paths.size());
    for (const QString& path : paths)
        entries.append(playlistEntry(path, programFolder));
    return TextFile::writeBytesAtomic(playlistFile, playlistBytes(entries));
}

} // namespace zuv::recorder
