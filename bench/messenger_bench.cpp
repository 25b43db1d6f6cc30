// The messenger: processing a 1000-line refresh reply, and the start of the
// real program against zuvd until its first refresh goes out (the main
// window follows within the same pass of its start-up).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <form1.h>
#include <foundation/codepage.h>
#include <foundation/optionsfile.h>
#include <foundation/textfile.h>
#include <hledej.h>
#include <support/zuvdprocess.h>

using namespace Qt::StringLiterals;

static void ZpracujDataOf1000Lines(benchmark::State& state)
{
    QTemporaryDir dir;
    qputenv("ZUV_PROGRAM_DIR", QFile::encodeName(dir.path()));
    qputenv("ZUV_MSGBOX_LOG", QFile::encodeName(dir.path() + u"/msgbox.log"_s));
    QByteArray reply = "online:12\r\nmynick:demo\r\ninbox:0\r\n";
    for (int i = 0; i < 600; ++i)
        reply += zuv::CodePage::encode(
            u">Zuv>online/@/Kontakt č. %1/@/%2/@/25/@/:)/@/\r\n"_s.arg(i).arg(100100 + i));
    for (int i = 0; i < 397; ++i)
        reply += zuv::CodePage::encode(
            u">MsG>100002/@/Eva/@/2026-12-09 10:00:00/@/zpráva %1 *.and dál\r\n"_s.arg(i));
    zuv::messenger::Form1 form;
    for (auto _ : state) {
        state.PauseTiming();
        zuv::TextFile::writeBytesAtomic(dir.path() + u"/zuv.tt"_s, reply);
        state.ResumeTiming();
        form.ZpracujData();
    }
}
BENCHMARK(ZpracujDataOf1000Lines)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A full reply with N contacts rebuilds the tree (second argument 0) or the
// list (1), in a shown window, as the refresh does.
static void FullReplyRebuild(benchmark::State& state)
{
    QTemporaryDir dir;
    qputenv("ZUV_PROGRAM_DIR", QFile::encodeName(dir.path()));
    qputenv("ZUV_MSGBOX_LOG", QFile::encodeName(dir.path() + u"/msgbox.log"_s));
    qputenv("ZUV_ONLINE", "1");
    const int contacts = int(state.range(0));
    QByteArray reply = "online:1200\r\ninbox:2\r\n";
    for (int i = 0; i < contacts; ++i)
        reply += zuv::CodePage::encode(u">Zuv>%1/@/Kontakt č. %2/@/%3/@/%4/@/:)/@/\r\n"_s
                                           .arg(i % 3 ? u"online"_s : u"offline"_s)
                                           .arg(i)
                                           .arg(100100 + i)
                                           .arg(i % 60));
    zuv::messenger::Form1 form;
    if (state.range(1) == 1)
        form.ZobrazeniList();
    form.show();
    form.Aktualizuj(u"all"_s); // the refresh whose reply is processed below
    for (auto _ : state) {
        state.PauseTiming();
        zuv::TextFile::writeBytesAtomic(dir.path() + u"/zuv.tt"_s, reply);
        state.ResumeTiming();
        form.ZpracujData();
        QCoreApplication::processEvents(); // the view shows the new contacts
    }
}
BENCHMARK(FullReplyRebuild)
    ->ArgsProduct({{200, 2000, 20000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A search reply of 500 results fills the search window's list in one step,
// and a header click sorts it (each click reverses the last).
static QByteArray searchReply(int results)
{
    QByteArray reply = "num//" + QByteArray::number(results) + "\r\nsvs//\r\n";
    const char16_t* moods[] = {u"off", u":))", u":)", u":|", u":(", u"(:)"};
    for (int i = 0; i < results; ++i)
        reply += zuv::CodePage::encode(
            u"add//%1/@/%2/@/Člen %3/@/Jméno %4/@/Příjmení %5/@/%6/@/ne/@/offline/@/"
            "/@/Žena/@//@/Město %7\r\n"_s.arg(100100 + i)
                .arg(QString::fromUtf16(moods[i % 6]))
                .arg((i * 7919) % results)
                .arg(i % 37)
                .arg(i % 53)
                .arg(18 + i % 60)
                .arg(i % 11));
    return reply;
}

static void SearchReplyFill(benchmark::State& state)
{
    QTemporaryDir dir;
    qputenv("ZUV_PROGRAM_DIR", QFile::encodeName(dir.path()));
    qputenv("ZUV_MSGBOX_LOG", QFile::encodeName(dir.path() + u"/msgbox.log"_s));
    const QByteArray reply = searchReply(int(state.range(0)));
    zuv::messenger::Form1 form;
    zuv::messenger::Hledej& search = form.showSearch();
    for (auto _ : state) {
        state.PauseTiming();
        search.ListView1.clear();
        QCoreApplication::processEvents();
        zuv::TextFile::writeBytesAtomic(dir.path() + u"/search.tt"_s, reply);
        state.ResumeTiming();
        search.Timer1_Timer();
        QCoreApplication::processEvents(); // the list shows the results
    }
}
BENCHMARK(SearchReplyFill)
    ->Arg(500)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

static void SearchHeaderClickSort(benchmark::State& state)
{
    QTemporaryDir dir;
    qputenv("ZUV_PROGRAM_DIR", QFile::encodeName(dir.path()));
    qputenv("ZUV_MSGBOX_LOG", QFile::encodeName(dir.path() + u"/msgbox.log"_s));
    zuv::messenger::Form1 form;
    zuv::messenger::Hledej& search = form.showSearch();
    zuv::TextFile::writeBytesAtomic(dir.path() + u"/search.tt"_s, searchReply(int(state.range(0))));
    search.Timer1_Timer();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        search.ListView1_ColumnClick(int(state.range(1)));
        QCoreApplication::processEvents();
    }
}
// Columns: the nickname, the surname, the age.
BENCHMARK(SearchHeaderClickSort)
    ->ArgsProduct({{500}, {0, 3, 5}})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

static void StartUpToFirstRefresh(benchmark::State& state)
{
    zuvtest::Zuvd zuvd;
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(u"Zuv_Data"_s);
    {
        QFile server(dir.path() + u"/Zuv_Data/zuv_server.tt"_s);
        server.open(QIODevice::WriteOnly);
        server.write(zuvd.get("/server.tt?/").body);
    }
    zuv::OptionsFile options(dir.path() + u"/Zuv_Data/options.ini"_s);
    options.load();
    options.save({{zuv::OptionKeys::Zuvid, u"100001"_s}, {zuv::OptionKeys::Zuvpass, u"demo"_s}});
    const QString log = dir.path() + u"/shell.log"_s;
    qputenv("ZUV_PROGRAM_DIR", QFile::encodeName(dir.path()));
    qputenv("ZUV_BUS_DIR", QFile::encodeName(dir.path() + u"/bus"_s));
    qputenv("ZUV_SHELL_LOG", QFile::encodeName(log));
    qputenv("ZUV_ONLINE", "1");
    const QString zuv = QCoreApplication::applicationDirPath() + u"/../suite/zuv"_s;
    for (auto _ : state) {
        QFile::remove(log);
        QElapsedTimer clock;
        clock.start();
        QProcess p;
        p.start(zuv, {});
        while (!QFile(log).exists() || !QFile(log).size() ||
               !QFile(log).open(QIODevice::ReadOnly) ||
               !QString::fromUtf8([&] {
                    QFile f(log);
                    f.open(QIODevice::ReadOnly);
                    return f.readAll();
                }())
                    .contains(u"load2.exe"_s)) {
            if (clock.elapsed() > 15000) {
                state.SkipWithError("no refresh");
                break;
            }
            QThread::usleep(500);
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        p.kill();
        p.waitForFinished();
    }
}
BENCHMARK(StartUpToFirstRefresh)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
