// The station browser with a catalog of 50 000 stations (about the size of
// the largest public station directories): opening the window on the stored
// catalog, a category click, and a finished download taken into the files,
// the tree and the list. Offscreen; each iteration lets the window paint.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <catalog/listradios.h>
#include <catalog/stationlistmodel.h>
#include <foundation/codepage.h>
#include <foundation/optionsfile.h>
#include <foundation/serversettings.h>
#include <foundation/textfile.h>
#include <sorvanta.h>

using namespace Qt::StringLiterals;
using namespace zuv;
using namespace zuv::radio;

namespace {

constexpr int kStations = 50000;

// "zuv:k:" lines, the stations spread over 10 categories of 5 children each.
QStringList catalogList()
{
    QStringList lines;
    for (int c = 1; c <= 10; ++c) {
        const QString code = u"1001%1"_s.arg(c, 2, 10, QLatin1Char('0'));
        lines << u"zuv:k:new//"_s + code + u"/@/Kategorie "_s + QString::number(c);
        for (int s = 1; s <= 5; ++s)
            lines << u"zuv:k:add//"_s + code + QString::number(s) + u"/@/Podkategorie "_s +
                         QString::number(s);
    }
    for (int i = 0; i < kStations; ++i) {
        const QString code = u"1001%1%2"_s.arg(i % 10 + 1, 2, 10, QLatin1Char('0')).arg(i % 5 + 1);
        lines << QStringList{u"%1"_s.arg(200000 + i),
                             u"Rádio číslo %1"_s.arg(i),
                             i % 7 ? u"x"_s : u"tip: doporučujeme"_s,
                             u""_s,
                             u"Česko"_s,
                             code,
                             u"http://127.0.0.1:9/%1/1"_s.arg(i),
                             u"http://127.0.0.1:9/%1/2"_s.arg(i),
                             u""_s,
                             u""_s,
                             u""_s,
                             u"64"_s,
                             u"128"_s,
                             u""_s,
                             u""_s,
                             u""_s,
                             u"http://radio.example/%1"_s.arg(i),
                             u"Stanice, která hraje všechno možné, číslo %1."_s.arg(i)}
                     .join(u"/@/"_s);
    }
    lines << u"<end>"_s;
    return lines;
}

struct Folder
{
    Folder()
    {
        qputenv("ZUV_PROGRAM_DIR", QFile::encodeName(dir.path()));
        qputenv("ZUV_BUS_DIR", QFile::encodeName(dir.path() + u"/bus"_s));
        qputenv("ZUV_SHELL_LOG", QFile::encodeName(dir.path() + u"/shell.log"_s));
        qputenv("ZUV_MSGBOX_LOG", QFile::encodeName(dir.path() + u"/msgbox.log"_s));
        qputenv("ZUV_AUDIO_OUT", "null");
        QDir().mkpath(dir.path() + u"/Zuv_Data/skins"_s);
        OptionsFile options;
        options.load();
        options.save({{OptionKeys::Zuvid, u"100001"_s}});
        ServerSettings server;
        server.updateHost = u"127.0.0.1:9"_s;
        server.serverBase = u"http://127.0.0.1:9"_s;
        server.activeInterval = server.passiveInterval = server.thresholdInterval = u"10000"_s;
        TextFile::writeBytesAtomic(dir.path() + u"/Zuv_Data/zuv_server.tt"_s,
                                   server.toLines().join(u"\r\n"_s).toLatin1() + "\r\n");
        list = CodePage::encode(catalogList().join(u"\r\n"_s) + u"\r\n"_s);
        const QStringList lines = catalogList();
        QStringList stations, categories;
        for (const QString& line : lines)
            if (line.startsWith(u"zuv:k:"_s))
                categories << line.mid(6);
            else if (line != u"<end>")
                stations << line;
        TextFile::writeBytesAtomic(dir.path() + u"/radios.tt"_s,
                                   CodePage::encode(stations.join(u"\r\n"_s) + u"\r\n"_s));
        TextFile::writeBytesAtomic(dir.path() + u"/kategories.tt"_s,
                                   CodePage::encode(categories.join(u"\r\n"_s) + u"\r\n"_s));
        player = std::make_unique<Sorvanta>();
        player->Form_Load({});
    }
    QTemporaryDir dir;
    QByteArray list;
    std::unique_ptr<Sorvanta> player;
};

Folder& folder()
{
    static Folder f;
    return f;
}

void BM_OpenOnTheStoredCatalog(benchmark::State& state)
{
    Folder& f = folder();
    for (auto _ : state) {
        auto* browser = new ListRadios(*f.player);
        browser->Form_Load();
        browser->show();
        QApplication::processEvents();
        state.PauseTiming();
        browser->Timer3.stop();
        delete browser;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenOnTheStoredCatalog)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_CategoryClick(benchmark::State& state)
{
    Folder& f = folder();
    ListRadios browser(*f.player);
    browser.setAttribute(Qt::WA_DeleteOnClose, false);
    browser.Form_Load();
    browser.Timer3.stop();
    browser.show();
    QApplication::processEvents();
    QList<QTreeWidgetItem*> nodes;
    for (int i = 0; i < browser.TreeView1.topLevelItemCount(); ++i)
        nodes << browser.TreeView1.topLevelItem(i) << browser.TreeView1.topLevelItem(i)->child(0);
    int next = 0;
    for (auto _ : state) {
        emit browser.TreeView1.itemClicked(nodes[next++ % nodes.size()], 0);
        QApplication::processEvents();
    }
    state.counters["listed"] = browser.model().rowCount();
}
BENCHMARK(BM_CategoryClick)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_DownloadCompleteToListShown(benchmark::State& state)
{
    Folder& f = folder();
    ListRadios browser(*f.player);
    browser.setAttribute(Qt::WA_DeleteOnClose, false);
    browser.Form_Load();
    browser.show();
    const QString dir = f.dir.path();
    for (auto _ : state) {
        state.PauseTiming();
        TextFile::writeBytesAtomic(dir + u"/zuv_test_size.tt"_s,
                                   "size:" + QByteArray::number(f.list.size()) + "\r\n");
        browser.Timer3_Timer();
        TextFile::writeBytesAtomic(dir + u"/seznam.tt"_s, f.list);
        state.ResumeTiming();
        browser.Timer1_Timer(); // finds the list whole and takes it
        QApplication::processEvents();
    }
    state.counters["listed"] = browser.model().rowCount();
}
BENCHMARK(BM_DownloadCompleteToListShown)->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace
