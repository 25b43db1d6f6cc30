#include "instance.h"

#include "../filelock.h"
#include "busfolder.h"
#include "buswindow.h"
#include "sendcommand.h"

#include <map>
#include <memory>

namespace zuv {
namespace {

QString lockName(SingleInstanceProgram program)
{
    switch (program) {
    case SingleInstanceProgram::Radio:
        return QStringLiteral("sorvanta.instance");
    case SingleInstanceProgram::Messenger:
        return QStringLiteral("zuv.instance");
    case SingleInstanceProgram::Recorder:
        return QStringLiteral("ZuvRecorder.instance");
    case SingleInstanceProgram::MailChecker:
        break;
    }
    return QStringLiteral("Postrel.instance");
}

} // namespace

bool PrevInstance(SingleInstanceProgram program)
{
    static std::map<SingleInstanceProgram, std::unique_ptr<FileLock>> held;
    auto& lock = held[program];
    if (lock && lock->isLocked())
        return false;
    const QString folder = Bus::folder();
    if (folder.isEmpty())
        return false; // without a bus nobody could be handed anything
    lock = std::make_unique<FileLock>(folder + u'/' + lockName(program), FileLock::Mode::TryOnly);
    return !lock->isLocked();
}

bool HandOverToPrevInstance(SingleInstanceProgram program, const QString& argument)
{
    if (!PrevInstance(program))
        return false;

    // The renamed caption of this copy, the window it hands over to and what.
    QString ownCaption, target, command;
    switch (program) {
    case SingleInstanceProgram::Radio:
        ownCaption = QStringLiteral("Sorvanta...");
        target = QStringLiteral("Sorvanta");
        command = QStringLiteral("fmax");
        break;
    case SingleInstanceProgram::Messenger:
        ownCaption = QStringLiteral("Zuv...");
        target = QStringLiteral("Zuv - Sorvanta");
        if (argument != u"m")
            command = QStringLiteral("Fmax");
        break;
    case SingleInstanceProgram::Recorder:
        ownCaption = QStringLiteral("Zuv Recorder (Zuvnet)...");
        target = QStringLiteral("Zuv Recorder (Zuvnet)");
        command = QStringLiteral("SetFocus");
        break;
    case SingleInstanceProgram::MailChecker:
        if (argument == u"zuv")
            return true;
        target = QStringLiteral("Zuv Postrel! (Zuvnet)");
        ownCaption = target + u'.';
        command = QStringLiteral("SetFocus");
        break;
    }
    BusWindow self;
    self.publish(ownCaption);
    BusWindow::setMainWindow(&self);
    // Mode "0" of each program's own form: the running copy gets the command
    // when its window is there, and nothing is ever started.
    if (!command.isEmpty())
        SendCommand(target, command);
    BusWindow::setMainWindow(nullptr);
    return true;
}

} // namespace zuv
