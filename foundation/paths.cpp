#include "paths.h"

#include "userfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace zuv {
namespace {

// The entry of `dir` whose name equals `name` ignoring case, or `name`.
QString matchIgnoringCase(const QString& dir, const QString& name)
{
    const QStringList entries =
        QDir(dir.isEmpty() ? QStringLiteral("/") : dir)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return name;
}

// The folder of the running executable; for installed programs the
// member's own folder, completed from the installed defaults once a process.
const QString& defaultProgramDir()
{
    static const QString dir = [] {
        const QString programs = programsDir();
        if (!QFileInfo::exists(programs + u'/' + QLatin1String(UserFolder::kInstalledMarker)))
            return programs;
        const QString own = UserFolder::location();
        if (!UserFolder::copyMissingDefaults(programs, own))
            qWarning("zuv: could not copy every default of %s into %s", qPrintable(programs),
                     qPrintable(own));
        return own;
    }();
    return dir;
}

} // namespace

QString programsDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
}

QString programDir()
{
    QString dir = qEnvironmentVariable("ZUV_PROGRAM_DIR");
    if (dir.isEmpty())
        dir = defaultProgramDir();
    while (dir.size() > 1 && (dir.endsWith(u'/') || dir.endsWith(u'\\')))
        dir.chop(1);
    return resolvePath(dir);
}

QString dataDir()
{
    return resolvePath(programDir() + QStringLiteral("/Zuv_Data"));
}

QString dataPath(const QString& name)
{
    return resolvePath(dataDir() + u'/' + name);
}

QString programPath(const QString& name)
{
    return resolvePath(programDir() + u'/' + name);
}

QString resolvePath(const QString& path)
{
    QString normal = path;
    normal.replace(u'\\', u'/');
    if (normal.isEmpty() || QFileInfo::exists(normal))
        return normal;

    const bool absolute = normal.startsWith(u'/');
    const QStringList elements = normal.split(u'/', Qt::SkipEmptyParts);
    QString resolved = absolute ? QString() : QStringLiteral(".");
    bool onDisk = true; // while the folder walked so far exists
    for (const QString& element : elements) {
        QString name = element;
        if (onDisk && element != u"." && element != u"..") {
            const QString candidate = resolved + u'/' + element;
            if (!QFileInfo::exists(candidate))
                name = matchIgnoringCase(resolved, element);
        }
        resolved += u'/' + name;
        onDisk = onDisk && QFileInfo::exists(resolved);
    }
    if (!absolute)
        resolved.remove(0, 2); // the "./" the walk started from
    if (normal.endsWith(u'/'))
        resolved += u'/';
    return resolved;
}

} // namespace zuv
