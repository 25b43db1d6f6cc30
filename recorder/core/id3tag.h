#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace zuv::recorder {

// The ID3 version 1 tag: the last 128 bytes of an MP3 file, "TAG" and then
// title (30), artist (30), album (30), year (4), comment (30) and the genre
// number (1). Texts are Windows-1250, padded with spaces to their width.
struct ID3Tag
{
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    quint8 genre = 0; // position in ID3GenreNames()

    bool operator==(const ID3Tag&) const = default;
};

// The tag of the file, its texts exactly as stored (padding kept). Nothing
// when the file cannot be read, is shorter than 128 bytes or does not end
// in a tag.
std::optional<ID3Tag> ReadID3Tag(const QString& path);

// Stores the tag in the file, in place of the tag it has or appended at its
// end; a missing file is created. Texts longer than their field are cut.
// False when the file cannot be opened or written.
bool WriteID3Tag(const QString& path, const ID3Tag& tag);

// The 148 genre names separated by "|", numbered from 0 as the tag stores
// them.
QString ID3GenreText();
QStringList ID3GenreNames();

} // namespace zuv::recorder
