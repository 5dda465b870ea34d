// Filling the catalog editor's three lists from a catalog of 10,000 records each, and
// adding 10,000 names one at a time as "Добавить" does, against the floor of one bulk fill
// of the same names sorted beforehand.  A list that re-sorted itself per item, or searched
// it item by item, would show here.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <algorithm>
#include <filesystem>
#include <iostream>

#include "base/numtext.h"
#include "catalog/catalog.h"
#include "catalog/catalogfile.h"
#include "catalog_generator.h"
#include "editor/controls.h"
#include "editor/editor.h"
#include "ratio_reporter.h"
#include "widgets/coreedge.h"

namespace fs = std::filesystem;
using namespace kelm;

namespace {

Catalog gCatalog;
std::string gPath;

QStringList Sorted(QStringList names) {
    std::stable_sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

// The floor: the same texts converted, sorted once and put into three lists in one call each.
void BM_EditorFillFloor_SortAddItems(benchmark::State& state) {
    for (auto _ : state) {
        QStringList rows, pairs, tyres;
        for (const auto& r : gCatalog.Rows) rows << FromCp1251(r->Name);
        for (const auto& p : gCatalog.Pairs) pairs << FromUtf8(FloatToStr(*p));
        for (const auto& t : gCatalog.Tyres) tyres << FromCp1251(t->Name);
        QComboBox a, b, c;
        a.setEditable(true);
        c.setEditable(true);
        a.addItems(Sorted(rows));
        b.addItems(Sorted(pairs));
        c.addItems(Sorted(tyres));
        benchmark::DoNotOptimize(a.count() + b.count() + c.count());
    }
}

QStringList RowNames() {
    QStringList names;
    for (const auto& r : gCatalog.Rows) names << FromCp1251(r->Name);
    return names;
}

void BM_AddOneByOneFloor_SortAddItems(benchmark::State& state) {
    const QStringList names = RowNames();
    for (auto _ : state) {
        QComboBox list;
        list.setEditable(true);
        list.addItems(Sorted(names));
        benchmark::DoNotOptimize(list.count());
    }
}

void BM_AddOneByOne(benchmark::State& state) {
    const QStringList names = RowNames();
    for (auto _ : state) {
        QComboBox list;
        list.setEditable(true);
        for (const QString& name : names) InsertSortedItem(&list, name);
        benchmark::DoNotOptimize(list.count());
    }
}

void BM_EditorFill(benchmark::State& state) {
    for (auto _ : state) {
        TForm2 dialog(gCatalog, gPath);
        dialog.ZapolnenieForm();
        benchmark::DoNotOptimize(&dialog);
    }
}

}  // namespace

BENCHMARK(BM_EditorFillFloor_SortAddItems)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddOneByOneFloor_SortAddItems)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AddOneByOne)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    GlobalNumberFormat().decimalSeparator = ',';
    const fs::path dir =
        fs::temp_directory_path() / ("kelm-bench-editor-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string source = (dir / "large.dat").string();
    gPath = (dir / "saved.dat").string();
    bench::WriteLargeCatalog(source, bench::CatalogSize{10000, 10000, 10000});
    LoadCatalog(gCatalog, source);
    std::cout << "records: " << gCatalog.Rows.Count() << " rows, " << gCatalog.Pairs.Count()
              << " pairs, " << gCatalog.Tyres.Count() << " tyres\n";

    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter({
        {"BM_EditorFill_median", "BM_EditorFillFloor_SortAddItems_median", "<= 1.5", 1.5},
        {"BM_AddOneByOne_median", "BM_AddOneByOneFloor_SortAddItems_median", "<= 6", 6},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const bool ok = reporter.PrintRatios(std::cout);
    fs::remove_all(dir);
    return ok ? 0 : 1;
}
