// optionswriter <options.ini> <a|b> <count> [<start file>]
//
// Saves the lines its letter owns `count` times through OptionsFile, the
// i-th time with the value "<letter><i>" in each of them. With a start file
// it first waits for that file to appear, so that two writers begin
// together. Exits 0 when every save succeeded, 1 when one failed, 2 on a
// bad command line.
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <foundation/optionkeys.h>
#include <foundation/optionsfile.h>
#include <utility>

using namespace zuv;

int main(int argc, char** argv)
{
    if (argc < 4 || argc > 5)
        return 2;
    const QString path = QFile::decodeName(argv[1]);
    const QString letter = QString::fromLatin1(argv[2]);
    bool countOk = false;
    const int count = QByteArray(argv[3]).toInt(&countOk);
    if (!countOk || count < 0)
        return 2;

    // Kept in step with the lines the tests expect of each writer.
    QList<OptionKey> keys;
    if (letter == u"a") {
        keys = {OptionKeys::Zuvid, OptionKeys::Zuvpass, OptionKeys::Zuvnick, OptionKeys::Zuvnalada,
                OptionKeys::Zuvmode};
    } else if (letter == u"b") {
        keys = {OptionKeys::SVvolume, OptionKeys::SVskin, OptionKeys::SVpleft, OptionKeys::SVptop,
                OptionKeys::PostrelRun};
    } else {
        return 2;
    }

    if (argc == 5) {
        const QString start = QFile::decodeName(argv[4]);
        QElapsedTimer clock;
        clock.start();
        while (!QFileInfo::exists(start)) {
            if (clock.elapsed() > 30000)
                return 1;
            QThread::msleep(1);
        }
    }

    OptionsFile file(path);
    for (int i = 0; i < count; ++i) {
        const QString value = letter + QString::number(i);
        QList<std::pair<OptionKey, QString>> values;
        for (const OptionKey& key : keys)
            values.append({key, value});
        if (!file.save(values))
            return 1;
    }
    return 0;
}
