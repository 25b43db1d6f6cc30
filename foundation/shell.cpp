#include "shell.h"

#include "codepage.h"
#include "paths.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace zuv {
namespace {

// Where a program of the suite finds the argument it was started with.
constexpr char kArgumentVariable[] = "ZUV_ARGUMENT";

DesktopOpener g_desktopOpener = nullptr;

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

// Programs of the suite that take their argument from the environment.
bool isSuiteProgram(const QString& path)
{
    static const QStringList names = {
        QStringLiteral("zuv"),         QStringLiteral("msg"),        QStringLiteral("sorvanta"),
        QStringLiteral("ZuvRecorder"), QStringLiteral("Postrel"),    QStringLiteral("load"),
        QStringLiteral("load2"),       QStringLiteral("ZuvBrowser"),
    };
    const QFileInfo file(path);
    if (!names.contains(file.fileName()))
        return false;
    const QString folder = file.absolutePath();
    return folder == QFileInfo(programDir()).absoluteFilePath() ||
           folder == QFileInfo(programsDir()).absoluteFilePath();
}

// "NAME=value" of the launcher's own variables.
bool isLauncherEntry(const char* entry)
{
    for (const QByteArrayView name :
         {QByteArrayView("ZUV_SHOW"), QByteArrayView(kArgumentVariable)}) {
        if (qstrncmp(entry, name.data(), name.size()) == 0 && entry[name.size()] == '=')
            return true;
    }
    return false;
}

// fork, setsid, fork, exec: the started program is nobody's child to wait
// for. Through a pipe that exec closes the started program tells its
// process id, and whether the exec itself failed.
bool spawnDetached(const QByteArray& program, const QByteArray* argument, int style,
                   bool argumentInEnvironment, qint64* startedPid)
{
    std::vector<QByteArray> envStore;
    for (char** e = environ; *e; ++e) {
        if (!isLauncherEntry(*e))
            envStore.emplace_back(*e);
    }
    envStore.push_back("ZUV_SHOW=" + QByteArray::number(style));
    if (argument && argumentInEnvironment)
        envStore.push_back(QByteArray(kArgumentVariable) + '=' + *argument);
    std::vector<char*> envp;
    for (QByteArray& entry : envStore)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    QByteArray programCopy = program;
    QByteArray argumentCopy = argument ? *argument : QByteArray();
    std::vector<char*> argv{programCopy.data()};
    if (argument && !argumentInEnvironment)
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
            for (int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGTERM})
                ::signal(sig, SIG_DFL);
            const pid_t self = ::getpid();
            [[maybe_unused]] auto told = ::write(pipeFds[1], &self, sizeof self);
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
    // The process id, then nothing more when the exec worked.
    char told[sizeof(pid_t) + sizeof(int)];
    size_t got = 0;
    while (got < sizeof told) {
        const ssize_t n = ::read(pipeFds[0], told + got, sizeof told - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += size_t(n);
    }
    ::close(pipeFds[0]);
    const bool started = WIFEXITED(status) && WEXITSTATUS(status) == 0 && got == sizeof(pid_t);
    if (started && startedPid) {
        pid_t pid = 0;
        std::memcpy(&pid, told, sizeof pid);
        *startedPid = pid;
    }
    return started;
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
    // A program with a display opens it the way its desktop does.
    QCoreApplication* app = QCoreApplication::instance();
    if (g_desktopOpener && app && app->inherits("QGuiApplication"))
        return g_desktopOpener(url);
    const QString opener = findProgram(QStringLiteral("xdg-open"));
    const QByteArray encodedUrl = url.toEncoded();
    return !opener.isEmpty() &&
           spawnDetached(QFile::encodeName(opener), &encodedUrl, 1, false, nullptr);
}

} // namespace

QString findProgram(const QString& name)
{
    QString program = dropExe(QString(name).replace(u'\\', u'/'));
    if (program.isEmpty())
        return {};
    if (program.contains(u'/')) {
        const QString path = resolvePath(program);
        if (isRunnable(path))
            return path;
        // "<program folder>\msg.exe" where the program folder holds a
        // member's files and the programs are elsewhere.
        const QFileInfo named(path);
        if (named.absolutePath() != QFileInfo(programDir()).absoluteFilePath())
            return {};
        const QString beside = programsDir() + u'/' + named.fileName();
        return isRunnable(beside) ? beside : QString();
    }
    QStringList folders{programDir(), programsDir()};
    folders.append(qEnvironmentVariable("PATH").split(u':', Qt::SkipEmptyParts));
    for (const QString& folder : folders) {
        const QString path = folder + u'/' + program;
        if (isRunnable(path))
            return path;
    }
    return {};
}

bool Shell(const QString& commandLine, int style, qint64* startedPid)
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
    // Launch strings carry passwords, and any local user reads a command
    // line; the environment only the same user can read.
    return spawnDetached(QFile::encodeName(path), hasArgument ? &encodedArgument : nullptr, style,
                         isSuiteProgram(path), startedPid);
}

bool isWebLink(const QString& url)
{
    const QString scheme = QUrl(url).scheme().toLower();
    return scheme == u"http" || scheme == u"https" || scheme == u"ftp" || scheme == u"mailto";
}

bool programRunning(qint64 pid)
{
    if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno != EPERM))
        return false;
    // An ended program nobody has reaped yet still has its process id.
    char path[32];
    std::snprintf(path, sizeof path, "/proc/%lld/stat", static_cast<long long>(pid));
    std::FILE* stat = std::fopen(path, "re");
    if (!stat)
        return true;
    char line[512] = {};
    const size_t got = std::fread(line, 1, sizeof line - 1, stat);
    std::fclose(stat);
    // "pid (name) S …": the state follows the last ")", as a name may hold one.
    const char* close = std::strrchr(line, ')');
    return !(got > 0 && close && close[1] == ' ' && (close[2] == 'Z' || close[2] == 'X'));
}

void stopProgram(qint64 pid)
{
    if (programRunning(pid))
        ::kill(pid_t(pid), SIGTERM);
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

    QByteArray joined = qgetenv(kArgumentVariable);
    if (qEnvironmentVariableIsSet(kArgumentVariable)) {
        qunsetenv(kArgumentVariable); // the password must not reach its children
    } else {
        for (int i = 1; i < argc; ++i) {
            if (i > 1)
                joined += ' ';
            joined += argv[i];
        }
    }
    start.argument = CodePage::decodeArgument(joined, start.startedBySuite);
    return start;
}

void setDesktopOpener(DesktopOpener opener)
{
    g_desktopOpener = opener;
}

} // namespace zuv
