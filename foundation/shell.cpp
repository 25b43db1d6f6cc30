#include "shell.h"

#include "codepage.h"
#include "paths.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>
#include <QWidget>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zuv {
namespace {

QString dropExe(QString name)
{
    if (name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

bool isRunnable(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// One UTF-8 line per start and per open, for tests and for whoever wants to
// see what the suite starts.
void logLaunch(const QString& style, const QString& program, const QString& argument)
{
    const QString logPath = qEnvironmentVariable("ZUV_SHELL_LOG");
    if (logPath.isEmpty())
        return;
    QFile log(logPath);
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return;
    log.write((style + u'\t' + program + u'\t' + argument + u'\n').toUtf8());
}

// fork, setsid, fork, exec: the started program is nobody's child to wait
// for. A pipe closed by exec tells whether the exec itself worked.
bool spawnDetached(const QByteArray& program, const QByteArray* argument, int style)
{
    std::vector<QByteArray> envStore;
    const QByteArray showEntry = "ZUV_SHOW=" + QByteArray::number(style);
    for (char** e = environ; *e; ++e) {
        if (qstrncmp(*e, "ZUV_SHOW=", 9) != 0)
            envStore.emplace_back(*e);
    }
    envStore.push_back(showEntry);
    std::vector<char*> envp;
    for (QByteArray& entry : envStore)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    QByteArray programCopy = program;
    QByteArray argumentCopy = argument ? *argument : QByteArray();
    std::vector<char*> argv{programCopy.data()};
    if (argument)
        argv.push_back(argumentCopy.data());
    argv.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    const pid_t middle = ::fork();
    if (middle < 0) {
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        return false;
    }
    if (middle == 0) {
        ::close(pipeFds[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::signal(SIGPIPE, SIG_DFL);
            ::signal(SIGCHLD, SIG_DFL);
            ::execve(argv[0], argv.data(), envp.data());
            const int error = errno;
            [[maybe_unused]] auto written = ::write(pipeFds[1], &error, sizeof error);
            ::_exit(127);
        }
        ::_exit(grandchild < 0 ? 1 : 0);
    }
    ::close(pipeFds[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    int execError = 0;
    ssize_t got;
    do {
        got = ::read(pipeFds[0], &execError, sizeof execError);
    } while (got < 0 && errno == EINTR);
    ::close(pipeFds[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == 0;
}

QUrl urlFor(const QString& text)
{
    const QString local = resolvePath(text);
    if (!text.contains(QStringLiteral("://")) && QFileInfo::exists(local))
        return QUrl::fromLocalFile(QFileInfo(local).absoluteFilePath());
    return QUrl::fromUserInput(text);
}

bool openWithDesktop(const QString& target)
{
    logLaunch(QStringLiteral("open"), QString(), target);
    const QUrl url = urlFor(target);
    if (!url.isValid())
        return false;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QDesktopServices::openUrl(url);
    const QString opener = findProgram(QStringLiteral("xdg-open"));
    const QByteArray encodedUrl = url.toEncoded();
    return !opener.isEmpty() && spawnDetached(QFile::encodeName(opener), &encodedUrl, 1);
}

} // namespace

QString findProgram(const QString& name)
{
    QString program = dropExe(QString(name).replace(u'\\', u'/'));
    if (program.isEmpty())
        return {};
    if (program.contains(u'/')) {
        const QString path = resolvePath(program);
        return isRunnable(path) ? path : QString();
    }
    QStringList folders{programDir()};
    if (QCoreApplication::instance())
        folders.append(QCoreApplication::applicationDirPath());
    folders.append(qEnvironmentVariable("PATH").split(u':', Qt::SkipEmptyParts));
    for (const QString& folder : folders) {
        const QString path = folder + u'/' + program;
        if (isRunnable(path))
            return path;
    }
    return {};
}

bool Shell(const QString& commandLine, int style)
{
    const qsizetype space = commandLine.indexOf(u' ');
    const QString program = space < 0 ? commandLine : commandLine.left(space);
    const bool hasArgument = space >= 0;
    const QString argument = hasArgument ? commandLine.mid(space + 1) : QString();

    const QString bare = dropExe(program.section(u'\\', -1).section(u'/', -1));
    if (!program.contains(u'/') && !program.contains(u'\\') &&
        bare.compare(QStringLiteral("explorer"), Qt::CaseInsensitive) == 0)
        return openWithDesktop(argument);

    logLaunch(QString::number(style), program, argument);
    const QString path = findProgram(program);
    if (path.isEmpty())
        return false;
    const QByteArray encodedArgument = CodePage::encode(argument);
    return spawnDetached(QFile::encodeName(path), hasArgument ? &encodedArgument : nullptr, style);
}

bool OpenURLInShell(const QString& text)
{
    if (text.startsWith(QStringLiteral("htt")))
        return Shell(QStringLiteral("explorer ") + text, SW_SHOWMINIMIZED);
    return openWithDesktop(text);
}

ProgramStart takeProgramStart(int argc, char** argv)
{
    ProgramStart start;
    const QByteArray show = qgetenv("ZUV_SHOW");
    start.startedBySuite = !show.isNull();
    bool ok = false;
    const int style = show.toInt(&ok);
    if (ok && (style == SW_SHOWNORMAL || style == SW_SHOWMINIMIZED || style == SW_SHOWNOACTIVATE))
        start.showStyle = style;
    qunsetenv("ZUV_SHOW");

    QByteArray joined;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            joined += ' ';
        joined += argv[i];
    }
    start.argument = CodePage::decodeArgument(joined, start.startedBySuite);
    return start;
}

void showInStyle(QWidget* window, int style)
{
    switch (style) {
    case SW_SHOWMINIMIZED:
        window->showMinimized();
        break;
    case SW_SHOWNOACTIVATE:
        window->setAttribute(Qt::WA_ShowWithoutActivating);
        window->show();
        break;
    default:
        window->show();
        window->raise();
        window->activateWindow();
        break;
    }
}

} // namespace zuv
