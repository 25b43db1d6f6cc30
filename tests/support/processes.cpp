#include "processes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QStandardPaths>
#include <QTcpServer>
#include <QThread>

namespace zuvtest {

QString helperPath(const QString& name)
{
    return QStringLiteral(ZUV_TEST_BIN_DIR) + u'/' + name;
}

QString systemProgram(const QString& name)
{
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty())
        return found;
    for (const char* folder : {"/usr/sbin/", "/usr/bin/"}) {
        const QString usual = QLatin1StringView(folder) + name;
        if (QFile::exists(usual))
            return usual;
    }
    return {};
}

int freeLoopbackPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    return probe.serverPort();
}

QString suitePath(const QString& name)
{
    return QStringLiteral(ZUV_SUITE_DIR) + u'/' + name;
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return true;
}

QStringList logLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

void stopPeer(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace zuvtest
