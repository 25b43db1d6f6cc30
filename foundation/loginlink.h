#pragma once

#include <QString>
#include <optional>

// The password as it travels in the web-site login link: digits and "-"
// only, so it passes any address unchanged.
namespace zuv::LoginLink {

// Swaps each pair of neighbouring characters; an odd last one stays last.
QString Prehod(const QString& s);
// The Windows-1250 code of each character of Prehod(s), each followed by "-".
QString Encrypt(const QString& s);
// Prehod(Encrypt(Prehod(Encrypt(p)))).
QString Heslo(const QString& password);
// What Heslo made, back to the password; nothing when the text is not one
// Heslo can make.
std::optional<QString> password(const QString& heslo);
// An address made safe as one path segment of a link.
QString MakePageRe(QString s);

} // namespace zuv::LoginLink
