#include "id3tag.h"

#include <QFile>
#include <foundation/codepage.h>

using namespace Qt::StringLiterals;

namespace zuv::recorder {
namespace {

constexpr qint64 kTagBytes = 128;
constexpr int kTitleWidth = 30;
constexpr int kArtistWidth = 30;
constexpr int kAlbumWidth = 30;
constexpr int kYearWidth = 4;
constexpr int kCommentWidth = 30;

// Names and order of the published list with its extension to 148; some
// entries keep the program's own spelling.
constexpr char16_t kGenres[] =
    u"Blues|Classic Rock|Country|Dance|Disco|Funk|Grunge|Hip-Hop|Jazz|Metal|"
    u"New Age|Oldies|Other|Pop|R&B|Rap|Reggae|Rock|Techno|Industrial|"
    u"Alternative|Ska|Death Metal|Pranks|Soundtrack|Euro-Techno|Ambient|Trip Hop|Vocal|"
    u"Jazz+Funk|Fusion|Trance|Classical|Instrumental|Acid|House|Game|Sound Clip|Gospel|"
    u"Noise|Alt. Rock|Bass|Soul|Punk|Space|Meditative|Instrumental Pop|Instrumental Rock|"
    u"Ethnic|Gothic|Darkwave|Techno-Industrial|Electronic|Pop-Folk|Eurodance|Dream|"
    u"Southern Rock|Comedy|Cult|Gangsta Rap|Top 40|Christian Rap|Pop/Punk|Jungle|"
    u"Native American|Cabaret|New Wave|Phychedelic|Rave|Showtunes|Trailer|Lo-Fi|Tribal|"
    u"Acid Punk|Acid Jazz|Polka|Retro|Musical|Rock & Roll|Hard Rock|Folk|Folk/Rock|"
    u"National Folk|Swing|Fast-Fusion|Bebob|Latin|Revival|Celtic|Blue Grass|Avantegarde|"
    u"Gothic Rock|Progressive Rock|Psychedelic Rock|Symphonic Rock|Slow Rock|Big Band|"
    u"Chorus|Easy Listening|Acoustic|Humour|Speech|Chanson|Opera|Chamber Music|Sonata|"
    u"Symphony|Booty Bass|Primus|Porn Groove|Satire|Slow Jam|Club|Tango|Samba|Folklore|"
    u"Ballad|power Ballad|Rhythmic Soul|Freestyle|Duet|Punk Rock|Drum Solo|A Capella|"
    u"Euro-House|Dance Hall|Goa|Drum & Bass|Club-House|Hardcore|Terror|indie|Brit Pop|"
    u"Negerpunk|Polsk Punk|Beat|Christian Gangsta Rap|Heavy Metal|Black Metal|Crossover|"
    u"Comteporary Christian|Christian Rock|Merengue|Salsa|Trash Metal|Anime|JPop|Synth Pop";

QByteArray field(const QString& text, int width)
{
    return CodePage::encode(text).left(width).leftJustified(width, ' ');
}

QByteArray record(const ID3Tag& tag)
{
    QByteArray bytes;
    bytes.reserve(kTagBytes - 3);
    bytes += field(tag.title, kTitleWidth);
    bytes += field(tag.artist, kArtistWidth);
    bytes += field(tag.album, kAlbumWidth);
    bytes += field(tag.year, kYearWidth);
    bytes += field(tag.comment, kCommentWidth);
    bytes += char(tag.genre);
    return bytes;
}

// True when the last 128 bytes of the open file start with "TAG".
bool endsInTag(QFile& file)
{
    const qint64 size = file.size();
    if (size < kTagBytes || !file.seek(size - kTagBytes))
        return false;
    return file.read(3) == "TAG";
}

} // namespace

std::optional<ID3Tag> ReadID3Tag(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !endsInTag(file))
        return std::nullopt;
    const QByteArray bytes = file.read(kTagBytes - 3);
    if (bytes.size() != kTagBytes - 3)
        return std::nullopt;
    ID3Tag tag;
    qsizetype at = 0;
    const auto next = [&](int width) {
        const QString text = CodePage::decode(QByteArrayView(bytes).sliced(at, width));
        at += width;
        return text;
    };
    tag.title = next(kTitleWidth);
    tag.artist = next(kArtistWidth);
    tag.album = next(kAlbumWidth);
    tag.year = next(kYearWidth);
    tag.comment = next(kCommentWidth);
    tag.genre = quint8(bytes[at]);
    return tag;
}

bool WriteID3Tag(const QString& path, const ID3Tag& tag)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = record(tag);
    // A tag already there is overwritten, so a file never carries two.
    if (!endsInTag(file)) {
        if (!file.seek(file.size()))
            return false;
        bytes.prepend("TAG");
    }
    return file.write(bytes) == bytes.size() && file.flush();
}

QString ID3GenreText()
{
    return QString::fromUtf16(kGenres);
}

QStringList ID3GenreNames()
{
    return ID3GenreText().split(u'|');
}

} // namespace zuv::recorder
