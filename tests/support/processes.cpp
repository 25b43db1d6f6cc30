#include "processes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
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

ToolResult runTool(const QString& program, const QStringList& arguments, const QString& workingDir,
                   const QProcessEnvironment& environment, int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDir);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(timeoutMs); // false also when it did not start
    if (!finished) {
        process.kill();
        process.waitForFinished(5000);
    }
    ToolResult result;
    if (finished && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

bool waitUntilAnswering(const QProcess& server, int port, const QByteArray& greeting, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && server.state() == QProcess::Running) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, quint16(port));
        if (probe.waitForConnected(200) &&
            (greeting.isEmpty() ||
             (probe.waitForReadyRead(1000) && probe.readAll().startsWith(greeting))))
            return true;
        QThread::msleep(20);
    }
    return false;
}

QStringList logLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

QString fileTail(const QString& path, const QString& missing, int bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return missing;
    return QString::fromUtf8(file.readAll().right(bytes));
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
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
