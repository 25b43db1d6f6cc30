#pragma once

#include <QByteArray>
#include <QString>

namespace zuv {

// A web page's text: by the charset of the Content-Type header, else of a
// <meta> tag near the top. Windows-1250 and UTF-8 are read directly; another
// charset Qt knows is decoded with Qt. Undeclared or unknown: UTF-8 when the
// bytes are valid UTF-8, else Windows-1250, the suite's code page.
QString decodePage(const QByteArray& body, const QByteArray& contentType);

} // namespace zuv
