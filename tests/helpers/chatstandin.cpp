// chatstandin <title>/@/…: a window of that title that logs what it is sent,
// one "<title>\t<text>" line per command, to $CHAT_LOG.
#include <QCoreApplication>
#include <foundation/bus/buswindow.h>
#include <foundation/codepage.h>
#include <foundation/fieldlist.h>
#include <foundation/shell.h>
#include <foundation/textfile.h>

int main(int argc, char** argv)
{
    const zuv::ProgramStart start = zuv::takeProgramStart(argc, argv);
    QCoreApplication app(argc, argv);
    const QString title = zuv::FieldReader(start.argument).next();
    const QString log = qEnvironmentVariable("CHAT_LOG");
    zuv::BusWindow window;
    window.setHandler([&](quint32, quint64, const QByteArray& bytes) -> qint64 {
        zuv::TextFile::appendLine(log, title + u'\t' + zuv::CodePage::decode(bytes));
        return -1;
    });
    window.publish(title);
    return QCoreApplication::exec();
}
