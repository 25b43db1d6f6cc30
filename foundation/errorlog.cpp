#include "errorlog.h"

#include "paths.h"
#include "textfile.h"

#include <QDateTime>

namespace zuv::ErrorLog {

void append(const QString& entry)
{
    // The date and time as a Czech desktop writes them: 9.12.2026 21:35:07
    const QString now = QDateTime::currentDateTime().toString(QStringLiteral("d.M.yyyy H:mm:ss"));
    TextFile::appendLine(dataPath(QStringLiteral("error.log")), now + u' ' + entry);
}

} // namespace zuv::ErrorLog
