#include "userfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <unistd.h>

namespace zuv::UserFolder {
namespace {

// Puts a copy of `source` at `target` unless `target` exists: the copy is
// made under a temporary name and linked into place, which fails rather
// than replaces.
bool copyIfMissing(const QString& source, const QString& target)
{
    if (QFileInfo::exists(target))
        return true;
    const QString temporary = target + QStringLiteral(".new-") +
                              QString::number(QRandomGenerator::global()->generate(), 16);
    QFile::remove(temporary);
    if (!QFile::copy(source, temporary))
        return false;
    QFile::setPermissions(temporary,
                          QFile::permissions(temporary) | QFile::WriteOwner | QFile::ReadOwner);
    const bool linked = ::link(QFile::encodeName(temporary).constData(),
                               QFile::encodeName(target).constData()) == 0 ||
                        errno == EEXIST;
    QFile::remove(temporary);
    return linked;
}

} // namespace

QString location()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (!base.startsWith(u'/'))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QStringLiteral("/zuv"));
}

bool copyMissingDefaults(const QString& installedDir, const QString& userDir)
{
    if (!QFileInfo(userDir).isDir()) {
        if (!QDir().mkpath(userDir))
            return false;
        QFile::setPermissions(userDir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const QString defaults = installedDir + QStringLiteral("/Zuv_Data");
    const QDir from(defaults);
    bool complete = QDir().mkpath(userDir + QStringLiteral("/Zuv_Data"));
    QDirIterator files(defaults, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString source = files.next();
        const QString target =
            userDir + QStringLiteral("/Zuv_Data/") + from.relativeFilePath(source);
        complete =
            QDir().mkpath(QFileInfo(target).path()) && copyIfMissing(source, target) && complete;
    }
    return complete;
}

} // namespace zuv::UserFolder
