#pragma once

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

// Lines of a UTF-8 log file such as ZUV_SHELL_LOG; empty when missing.
QStringList logLines(const QString& path);

} // namespace zuvtest
