#include "serversettings.h"

#include "errorlog.h"
#include "paths.h"
#include "textfile.h"

#include <QFile>

namespace zuv {
namespace {

struct Field
{
    int line;
    int valueStart; // 1-based character where the value begins
    QString ServerSettings::*member;
};

constexpr Field kFields[] = {
    {5, 24, &ServerSettings::updateHost},        {6, 16, &ServerSettings::serverBase},
    {7, 17, &ServerSettings::activeInterval},    {8, 17, &ServerSettings::passiveInterval},
    {9, 17, &ServerSettings::thresholdInterval},
};

void restoreSavedCopy(const QString& path)
{
    const QString saved = path + QStringLiteral(".tmp");
    if (!QFile::exists(saved))
        return;
    const auto bytes = TextFile::readBytes(saved);
    if (bytes)
        TextFile::writeBytesAtomic(path, *bytes);
}

} // namespace

bool ServerSettings::read(const QString& path)
{
    const QStringList lines =
        TextFile::withoutEmptyLines(TextFile::readLines(path).value_or(QStringList()));
    for (const Field& field : kFields) {
        if (field.line >= lines.size())
            return false;
        this->*field.member = lines[field.line].mid(field.valueStart - 1);
    }
    return true;
}

bool ServerSettings::load(const QString& readerEntry, const QString& path)
{
    const QString file =
        resolvePath(path.isEmpty() ? dataPath(QStringLiteral("zuv_server.tt")) : path);
    if (read(file))
        return true;
    restoreSavedCopy(file);
    ErrorLog::append(readerEntry);
    return false;
}

QStringList ServerSettings::toLines() const
{
    return {
        QStringLiteral("#000:Zuvnet:"),
        QStringLiteral("#001:Zuvnet:"),
        QStringLiteral("#002:Zuvnet:"),
        QStringLiteral("#003:Zuvnet:"),
        QStringLiteral("#004:Zuvnet:"),
        QStringLiteral("#005:ZuvServerUpdating:") + updateHost,
        QStringLiteral("#006:ZuvServer:") + serverBase,
        QStringLiteral("#007:TimerAktiv:") + activeInterval,
        QStringLiteral("#008:TimerPasiv:") + passiveInterval,
        QStringLiteral("#009:TimerZprav:") + thresholdInterval,
    };
}

} // namespace zuv
