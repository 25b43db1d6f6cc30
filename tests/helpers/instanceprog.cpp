// instanceprog KIND [ARGUMENT]: KIND is radio, messenger, recorder or mail.
// A later copy hands over and exits with 3; the first copy publishes its
// program's caption, appends every command it gets to $INSTANCE_LOG and runs
// until it is ended.
#include <QCoreApplication>
#include <foundation/bus/buswindow.h>
#include <foundation/bus/instance.h>
#include <foundation/codepage.h>
#include <foundation/textfile.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 64;
    const QByteArray kind = argv[1];
    const QString argument = argc > 2 ? QString::fromUtf8(argv[2]) : QString();
    zuv::SingleInstanceProgram program;
    QString caption;
    if (kind == "radio") {
        program = zuv::SingleInstanceProgram::Radio;
        caption = QStringLiteral("Sorvanta");
    } else if (kind == "messenger") {
        program = zuv::SingleInstanceProgram::Messenger;
        caption = QStringLiteral("Zuv - Sorvanta");
    } else if (kind == "recorder") {
        program = zuv::SingleInstanceProgram::Recorder;
        caption = QStringLiteral("Zuv Recorder (Zuvnet)");
    } else if (kind == "mail") {
        program = zuv::SingleInstanceProgram::MailChecker;
        caption = QStringLiteral("Zuv Postrel! (Zuvnet)");
    } else {
        return 64;
    }
    if (zuv::HandOverToPrevInstance(program, argument))
        return 3;

    const QString log = qEnvironmentVariable("INSTANCE_LOG");
    zuv::BusWindow window;
    window.setHandler([&](quint32, quint64, const QByteArray& bytes) -> qint64 {
        zuv::TextFile::appendLine(log, zuv::CodePage::decode(bytes));
        return -1;
    });
    window.publish(caption);
    return QCoreApplication::exec();
}
