// The music library window over 10 000 small tagged files: a new search with
// the tree, a click on a group, and the playlist of a selection of 1 000.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <zuvrecors.h>

using zuv::recorder::ZuvRecors;

namespace {

constexpr int kFolders = 100;
constexpr int kFilesPerFolder = 100;

QByteArray field(const QByteArray& text, int width)
{
    return text.left(width).leftJustified(width, ' ');
}

// A program folder with Music/<folder>/<file>.mp3: a few bytes of "audio"
// and a tag; ten artists, a hundred albums, five genres.
const QTemporaryDir& library()
{
    static const auto dir = [] {
        auto made = std::make_unique<QTemporaryDir>();
        for (int f = 0; f < kFolders; ++f) {
            const QString folder =
                made->filePath(QStringLiteral("Music/%1").arg(f, 3, 10, QChar(u'0')));
            QDir().mkpath(folder);
            for (int i = 0; i < kFilesPerFolder; ++i) {
                const int n = f * kFilesPerFolder + i;
                QFile file(folder + QStringLiteral("/song%1.mp3").arg(i));
                file.open(QIODevice::WriteOnly);
                file.write(QByteArray(16, '\xff') + "TAG" +
                           field("Song " + QByteArray::number(n), 30) +
                           field("Artist " + QByteArray::number(n % 10), 30) +
                           field("Album " + QByteArray::number(f), 30) + field("2004", 4) +
                           field({}, 30) + char(n % 5));
            }
        }
        qputenv("ZUV_PROGRAM_DIR", QFile::encodeName(made->path()));
        qputenv("ZUV_AUDIO_OUT", "null");
        qputenv("ZUV_MSGBOX_LOG", QFile::encodeName(made->filePath(QStringLiteral("boxes.log"))));
        return made;
    }();
    return *dir;
}

ZuvRecors& loadedWindow()
{
    library();
    static ZuvRecors window;
    static const bool loaded = (window.Form_Load(), true);
    (void)loaded;
    return window;
}

} // namespace

// Search, tags read from cold files, tree and the list of all files.
void BM_NewSearch(benchmark::State& state)
{
    library();
    for (auto _ : state) {
        ZuvRecors window;
        QElapsedTimer clock;
        clock.start();
        window.Form_Load();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (window.List1.size() != kFolders * kFilesPerFolder)
            state.SkipWithError("not every file was found");
    }
}
BENCHMARK(BM_NewSearch)->UseManualTime()->Unit(benchmark::kMillisecond);

// A click on an artist (1 000 files) and on a genre (2 000 files).
void BM_TreeClick(benchmark::State& state)
{
    ZuvRecors& window = loadedWindow();
    const QString key =
        state.range(0) == 0 ? QStringLiteral("gArtist 3") : QStringLiteral("sBlues");
    QTreeWidgetItem* node = window.findNode(key);
    if (!node) {
        state.SkipWithError("no such node");
        return;
    }
    for (auto _ : state) {
        window.TreeView1.setCurrentItem(node);
        window.TreeViewKliknuti();
    }
    state.counters["files"] = window.ListView1.topLevelItemCount();
}
BENCHMARK(BM_TreeClick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// 1 000 files selected: the playlist written and handed to the player.
void BM_Playlist(benchmark::State& state)
{
    ZuvRecors& window = loadedWindow();
    window.TreeView1.setCurrentItem(window.findNode(QStringLiteral("gArtist 3")));
    window.TreeViewKliknuti();
    window.ListView1.selectAll();
    for (auto _ : state)
        window.SelektniListView();
    state.counters["entries"] = window.List2.size();
    window.WindowsMediaPlayer1.stop();
}
BENCHMARK(BM_Playlist)->Unit(benchmark::kMillisecond);
