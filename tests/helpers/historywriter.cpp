// historywriter <history file>: adds entries to the page for ever, as a chat
// window does with each message; the crash test kills it mid-write.
#include <QCoreApplication>
#include <core/historyfile.h>
#include <core/historypage.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const zuv::chat::HistoryFile file(QString::fromLocal8Bit(argv[1]));
    file.TestHTMLex(QStringLiteral("11"));
    // Long entries make each rewrite take a while, so kills land inside one.
    const QString text = QString(20000, u'ř') + QStringLiteral(" **03");
    for (int i = 0;; ++i) {
        file.add(zuv::chat::historyEntry(QStringLiteral("from"), QStringLiteral("Eva"),
                                         QString::number(i), text),
                 QStringLiteral("/z"));
    }
}
