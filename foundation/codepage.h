#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace zuv::CodePage {

// Windows-1250 bytes to text. Every byte maps to exactly one character; the
// five bytes without a glyph come back as the C1 control of the same value, so
// decoding and encoding again returns the bytes unchanged.
QString decode(QByteArrayView bytes);

// Text to Windows-1250 bytes, one byte per character (a surrogate pair is one
// character). A character with no Windows-1250 byte becomes "?".
QByteArray encode(QStringView text);

// Decodes a command-line argument. Programs of the suite pass Windows-1250;
// a person typing in a terminal passes UTF-8, which is taken as such when
// the program was not started by the suite's launcher.
QString decodeArgument(QByteArrayView bytes, bool startedBySuite);

} // namespace zuv::CodePage
