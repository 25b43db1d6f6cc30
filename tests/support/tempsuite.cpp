#include "tempsuite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <foundation/codepage.h>

namespace zuvtest {

TempSuite::TempSuite()
{
    QDir(dir()).mkpath(QStringLiteral("Zuv_Data"));
    setEnv("ZUV_PROGRAM_DIR", QFile::encodeName(dir()));
    setEnv("ZUV_BUS_DIR", QFile::encodeName(busDir()));
    setEnv("ZUV_SHELL_LOG", QFile::encodeName(shellLog()));
    setEnv("ZUV_MSGBOX_LOG", QFile::encodeName(msgBoxLog()));
    setEnv("ZUV_MSGBOX_ANSWERS", QByteArray());
}

TempSuite::~TempSuite()
{
    for (const auto& [name, value] : m_saved) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

QString TempSuite::data(const QString& name) const
{
    const QString folder = dir() + QStringLiteral("/Zuv_Data");
    return name.isEmpty() ? folder : folder + u'/' + name;
}

QString TempSuite::path(const QString& name) const
{
    return dir() + u'/' + name;
}

QString TempSuite::busDir() const
{
    return dir() + QStringLiteral("/bus");
}

QString TempSuite::shellLog() const
{
    return dir() + QStringLiteral("/shell.log");
}

QString TempSuite::msgBoxLog() const
{
    return dir() + QStringLiteral("/msgbox.log");
}

void TempSuite::write(const QString& relative, const QByteArray& bytes) const
{
    const QString full = path(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile file(full);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QByteArray TempSuite::read(const QString& relative) const
{
    QFile file(path(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TempSuite::setEnv(const char* name, const QByteArray& value)
{
    if (!m_saved.count(name)) {
        m_saved[name] =
            qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    }
    qputenv(name, value);
}

QByteArray cp1250(const QString& text)
{
    return zuv::CodePage::encode(text);
}

} // namespace zuvtest
