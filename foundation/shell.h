#pragma once

#include <QString>

class QUrl;

namespace zuv {

// Show styles a start names; the started program applies it to its first window.
enum ShowStyle : int
{
    SW_SHOWNORMAL = 1,     // normal and activated
    SW_SHOWMINIMIZED = 2,  // minimised and activated
    SW_SHOWNOACTIVATE = 4, // normal, focus stays where it is
};

// Starts a program detached. The text before the first space names it ("\"
// counts as "/", a trailing ".exe" is dropped); everything after that space
// reaches the program as one argument, byte for byte in Windows-1250, with no
// shell in between. A program of the suite (found in the program folder or
// beside the running executable) gets it in $ZUV_ARGUMENT, which only the
// same user can read, and shows only its name in the process list; any other
// program gets it as its command-line argument. A bare name is looked up in
// the program folder, then beside the running executable, then on PATH.
// "explorer <target>" opens the target with the desktop instead. False when
// the program cannot be started; else `startedPid` gets its process id.
bool Shell(const QString& commandLine, int style, qint64* startedPid = nullptr);

// Links a page may hand to the desktop: http, https, ftp and mailto, never
// one that would open a local file or start something by its type.
bool isWebLink(const QString& url);

// True while the process with this id runs.
bool programRunning(qint64 pid);

// Asks a program started here to end (it ends as on the session's end).
void stopProgram(qint64 pid);

// Opens a web address or a document with the desktop's default handler.
bool OpenURLInShell(const QString& text);

// The executable a launch string's program name stands for; empty when none.
QString findProgram(const QString& name);

// What the suite's launcher handed to this process. Call before the
// QApplication exists (it may strip arguments of its own). Clears ZUV_SHOW
// and ZUV_ARGUMENT so programs started from here do not inherit them.
struct ProgramStart
{
    QString argument; // the single argument, or all arguments joined by spaces
    int showStyle = SW_SHOWNORMAL;
    bool startedBySuite = false;
};
ProgramStart takeProgramStart(int argc, char** argv);

// How an address is opened where the program has a display. The display
// layer of the foundation puts its own in place (the desktop's handler);
// without one, and in programs without a display, xdg-open opens it.
using DesktopOpener = bool (*)(const QUrl& url);
void setDesktopOpener(DesktopOpener opener);

} // namespace zuv
