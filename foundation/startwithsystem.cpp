#include "startwithsystem.h"

#include "paths.h"
#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zuv::StartWithSystem {
namespace {

QString linkPath()
{
    const auto lines = TextFile::readLines(dataPath(QStringLiteral("paths.tt")));
    if (!lines)
        return {};
    QString path;
    for (const QString& line : *lines) {
        if (line.startsWith(QStringLiteral("-st>")))
            path = line.mid(4);
    }
    if (path.startsWith(QStringLiteral("~/")))
        path = QDir::homePath() + path.mid(1);
    return path.isEmpty() ? QString() : resolvePath(path);
}

} // namespace

void set(bool on)
{
    const QString link = linkPath();
    if (link.isEmpty())
        return;
    if (!on) {
        QFile::remove(link);
        return;
    }
    const auto entry = TextFile::readBytes(dataPath(QStringLiteral("zuvst.tt")));
    if (!entry)
        return;
    QDir().mkpath(QFileInfo(link).absolutePath());
    TextFile::writeBytesAtomic(link, *entry);
}

bool takeSwitchOffMarker()
{
    const QString marker = dataPath(QStringLiteral("gstzuv.tt"));
    const QFileInfo info(marker);
    if (!info.exists())
        return false;
    const bool switchOff = info.size() >= 1;
    QFile::remove(marker);
    return switchOff;
}

} // namespace zuv::StartWithSystem
