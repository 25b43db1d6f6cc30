#pragma once

#include "qtprint.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <optional>

namespace zuvtest {

// A throw-away program folder (with Zuv_Data/) and bus folder. While it lives
// ZUV_PROGRAM_DIR, ZUV_BUS_DIR, ZUV_SHELL_LOG and ZUV_MSGBOX_LOG point into it;
// the previous environment comes back when it ends.
class TempSuite
{
public:
    TempSuite();
    ~TempSuite();

    QString dir() const { return m_dir.path(); }
    QString data(const QString& name = {}) const;
    QString path(const QString& name) const;
    QString busDir() const;
    QString shellLog() const;
    QString msgBoxLog() const;

    // Writes bytes to a file below the program folder, creating folders.
    void write(const QString& relative, const QByteArray& bytes) const;
    QByteArray read(const QString& relative) const;

    // Sets an environment variable for the life of this object.
    void setEnv(const char* name, const QByteArray& value);

private:
    QTemporaryDir m_dir;
    std::map<QByteArray, std::optional<QByteArray>> m_saved;
};

// Bytes as Windows-1250 of the text given in UTF-8 source.
QByteArray cp1250(const QString& text);

} // namespace zuvtest
