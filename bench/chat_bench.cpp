// The chat window with a long conversation: 10 000 entries, about 3 MB.
// Adding one received message costs a file update (read, convert, rewrite)
// and a view update (append); a full render of the whole page, showing it
// again, going up through it and opening the history until its end shows
// are measured beside them.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <benchmark/benchmark.h>
#include <core/historyfile.h>
#include <core/historypage.h>
#include <core/links.h>
#include <foundation/codepage.h>
#include <foundation/textfile.h>
#include <historyview.h>

using namespace Qt::StringLiterals;
using namespace zuv::chat;

namespace {

constexpr int kEntries = 10000;

QString message(int i)
{
    return VytvorURL(u"Zpráva číslo %1: ahoj, jak se máš? Posílám odkaz www.example.cz/stranka "
                     "a smajlík **03, ať víš, že je to v pohodě *.and dál už nic."_s.arg(i),
                     u"http://127.0.0.1:8940"_s);
}

// A page as the window leaves it after kEntries messages, both kinds.
struct History
{
    History()
    {
        qputenv("ZUV_PROGRAM_DIR", QFile::encodeName(dir.path()));
        file = HistoryFile(HistoryFile::pathFor(dir.path(), u"100001"_s, u"100002"_s));
        file.TestHTMLex(u"11"_s);
        QString stored = *file.read();
        MergedPage page{stored, {}};
        QString body;
        for (int i = 0; i < kEntries; ++i) {
            body += i % 2 ? historyEntry(u"to"_s, u"demo"_s, u"2026-12-09 10:00:00"_s, message(i))
                          : historyEntry(u"from"_s, u"Eva"_s, u"10:00:00 (09.12.26)"_s, message(i));
        }
        page = mergeEntry(stored, body, dir.path());
        zuv::TextFile::writeBytesAtomic(file.path(), zuv::CodePage::encode(page.page) + "\r\n");
        this->page = page.page;
    }
    QTemporaryDir dir;
    HistoryFile file;
    QString page;
};

History& history()
{
    static History h;
    return h;
}

// The view as the window holds it, on screen.
void showWindowOf(HistoryView& view, const History& h)
{
    view.setProgramDir(h.dir.path());
    view.resize(400, 250);
    view.show();
}

QString newEntry()
{
    return historyEntry(u"from"_s, u"Eva"_s, u"10:00:01 (09.12.26)"_s, message(kEntries));
}

} // namespace

static void FileUpdateOneEntry(benchmark::State& state)
{
    History& h = history();
    state.counters["page_bytes"] =
        double(QFile(h.dir.path() + u"/Cache/100001-100002.htm"_s).size());
    const QString entry = newEntry();
    for (auto _ : state)
        benchmark::DoNotOptimize(h.file.add(entry, h.dir.path()));
}
BENCHMARK(FileUpdateOneEntry)->Unit(benchmark::kMillisecond)->Iterations(40)->Repetitions(3);

static void ViewAppendOneEntry(benchmark::State& state)
{
    History& h = history();
    HistoryView view;
    showWindowOf(view, h);
    view.showPage(h.page);
    QApplication::processEvents();
    const QString entry = mergeEntry(QString(), newEntry(), h.dir.path()).entry;
    for (auto _ : state) {
        view.appendEntry(entry);
        QApplication::processEvents(); // the repaint of the new end
    }
}
BENCHMARK(ViewAppendOneEntry)->Unit(benchmark::kMillisecond)->Iterations(40)->Repetitions(3);

// What the view would cost if it rendered the whole page again for every
// entry, as a page view that is navigated anew does.
static void ViewFullRenderWholePage(benchmark::State& state)
{
    History& h = history();
    QTextBrowser view;
    view.resize(400, 250);
    view.show();
    for (auto _ : state) {
        view.setHtml(h.page);
        view.scrollToAnchor(u"zuv_end"_s);
        QApplication::processEvents();
    }
}
BENCHMARK(ViewFullRenderWholePage)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);

// Showing the page again as the window does at start and after clearing.
static void ViewReloadPage(benchmark::State& state)
{
    History& h = history();
    HistoryView view;
    showWindowOf(view, h);
    for (auto _ : state) {
        view.showPage(h.page);
        QApplication::processEvents();
    }
}
BENCHMARK(ViewReloadPage)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3);

// Scrolling to the top brings the next earlier entries above the shown ones.
static void ViewShowEarlier(benchmark::State& state)
{
    History& h = history();
    HistoryView view;
    showWindowOf(view, h);
    view.showPage(h.page);
    QApplication::processEvents();
    for (auto _ : state) {
        view.showEarlier();
        QApplication::processEvents();
    }
}
BENCHMARK(ViewShowEarlier)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(3);

// From reading the file to a painted view scrolled to its end.
static void OpenHistoryToItsEnd(benchmark::State& state)
{
    History& h = history();
    for (auto _ : state) {
        HistoryView view;
        showWindowOf(view, h);
        view.showPage(*h.file.read());
        QApplication::processEvents();
        benchmark::DoNotOptimize(view.verticalScrollBar()->value());
    }
}
BENCHMARK(OpenHistoryToItsEnd)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);
