// The station browser's catalog of 50 000 stations: loading radios.tt into
// memory, listing one category and finding a station by id.
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <catalog/core/categories.h>
#include <catalog/core/stationlist.h>
#include <foundation/codepage.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int kStations = 50000;

// A catalog file as the server sends it, the stations spread over a
// category, its sub-category, two groups of "100000" and another category.
class CatalogFile
{
public:
    CatalogFile()
    {
        const QString categories[] = {u"100010"_s, u"10001005"_s, u"1000001"_s, u"10000012"_s,
                                      u"100020"_s};
        QByteArray bytes;
        for (int i = 0; i < kStations; ++i)
            bytes += zuv::CodePage::encode(
                u"%1/@/Stanice č. %2/@/tip doporučujeme/@//@/CZ/@/%3/@/http://r%2.example/128"
                "/@/http://r%2.example/64/@//@//@//@/128/@/64/@//@//@//@/http://r%2.example/@/"
                "Hudba, zprávy a sport z regionu %2.\r\n"_s.arg(100000 + i)
                    .arg(i)
                    .arg(categories[i % 5]));
        QFile file(path());
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        m_megabytes = double(bytes.size()) / 1e6;
    }
    QString path() const { return m_dir.path() + u"/radios.tt"_s; }
    double megabytes() const { return m_megabytes; }

private:
    QTemporaryDir m_dir;
    double m_megabytes = 0;
};

const CatalogFile& catalogFile()
{
    static const CatalogFile file;
    return file;
}

const zuv::radio::StationCatalog& loadedCatalog()
{
    static const zuv::radio::StationCatalog catalog = [] {
        zuv::radio::StationCatalog c;
        c.load(catalogFile().path());
        return c;
    }();
    return catalog;
}

} // namespace

static void LoadCatalog50000(benchmark::State& state)
{
    const QString path = catalogFile().path();
    for (auto _ : state) {
        zuv::radio::StationCatalog catalog;
        benchmark::DoNotOptimize(catalog.load(path));
    }
    state.counters["file_MB"] = catalogFile().megabytes();
}
BENCHMARK(LoadCatalog50000)->Unit(benchmark::kMillisecond);

// A node as the tree gives it: all stations, a category with its
// sub-category, a group suffix.
static void FilterCatalog50000(benchmark::State& state)
{
    const QString nodes[] = {u"a100000"_s, u"a100010"_s, u"a10000012"_s};
    const QString kategorie = zuv::radio::categoryOfNode(nodes[state.range(0)]);
    const zuv::radio::StationCatalog& catalog = loadedCatalog();
    qsizetype listed = 0;
    for (auto _ : state) {
        const QList<int> found = catalog.filter(kategorie);
        listed = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.SetLabel(kategorie.toStdString());
    state.counters["listed"] = double(listed);
}
BENCHMARK(FilterCatalog50000)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// The list of the whole catalog as the window fills it: the text and bold
// mark of every station.
static void ListTextsOfAllStations(benchmark::State& state)
{
    const zuv::radio::StationCatalog& catalog = loadedCatalog();
    for (auto _ : state) {
        for (const int i : catalog.filter(u""_s)) {
            benchmark::DoNotOptimize(catalog.displayName(i));
            benchmark::DoNotOptimize(catalog.recommended(i));
            benchmark::DoNotOptimize(catalog.country(i));
        }
    }
}
BENCHMARK(ListTextsOfAllStations)->Unit(benchmark::kMillisecond);

static void IndexOfTheLastId(benchmark::State& state)
{
    const zuv::radio::StationCatalog& catalog = loadedCatalog();
    const QString id = QString::number(100000 + kStations - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(catalog.indexOfId(id));
}
BENCHMARK(IndexOfTheLastId)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
