#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

namespace zuvtest {

// Ends a peer a test started: asked first, killed if it does not end.
void stopPeer(QProcess& process);

// A test helper program built beside the tests.
QString helperPath(const QString& name);

// A program of the system a test starts as a peer: on PATH, else in
// /usr/sbin or /usr/bin (daemons live there and PATH may lack it); empty
// when it is not installed.
QString systemProgram(const QString& name);

// A loopback port nobody listens on at the moment; 0 when none is found.
int freeLoopbackPort();

// A program of the suite in the build's program folder.
QString suitePath(const QString& name);

// Polls `condition` (letting events run) until it holds or `timeoutMs` passes.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

// How a tool a test ran to its end ended, and what it said (standard output
// and error together).
struct ToolResult
{
    int exitCode = -1; // -1: did not start, crashed or ran out of time
    QString output;
    bool ok() const { return exitCode == 0; }
};

// Runs `program` to its end; one that runs past `timeoutMs` is killed.
ToolResult
runTool(const QString& program, const QStringList& arguments, const QString& workingDir = {},
        const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
        int timeoutMs = 60000);

// Waits while `server` runs until its loopback `port` takes a connection
// (and, when `greeting` is given, says something starting with it).
bool waitUntilAnswering(const QProcess& server, int port, const QByteArray& greeting = {},
                        int timeoutMs = 10000);

// Lines of a UTF-8 log file such as ZUV_SHELL_LOG; empty when missing.
QStringList logLines(const QString& path);

// The last `bytes` of a UTF-8 file such as a peer's log, for a failing
// test's message; `missing` when the file cannot be read.
QString fileTail(const QString& path, const QString& missing, int bytes = 3000);

// Writes `bytes` as the whole of the file at `path`; false unless all of
// them were written.
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace zuvtest
