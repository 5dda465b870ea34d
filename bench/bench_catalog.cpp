// LoadCatalog and SaveCatalog of a large catalog against bare loops over the same lines,
// and the memory one loaded record costs.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "base/numtext.h"
#include "catalog/catalog.h"
#include "catalog/catalogfile.h"
#include "catalog_generator.h"
#include "ratio_reporter.h"

namespace fs = std::filesystem;
using namespace kelm;

namespace {

fs::path gDir;
std::string gLarge;

// The floor of loading: the same lines through std::getline, every line that is not a
// marker through std::strtod.
void BM_LoadFloor_GetlineStrtod(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in(gLarge, std::ios::binary);
        std::string line;
        double sum = 0;
        std::size_t lines = 0;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            ++lines;
            if (line == "_" || line == "Riads" || line == "Paras" || line == "Koless") continue;
            sum += std::strtod(line.c_str(), nullptr);
        }
        benchmark::DoNotOptimize(sum);
        benchmark::DoNotOptimize(lines);
    }
}

void BM_LoadCatalog(benchmark::State& state) {
    Catalog catalog;
    for (auto _ : state) {
        LoadCatalog(catalog, gLarge);
        benchmark::DoNotOptimize(catalog.Rows.Count());
    }
    state.counters["rows"] = static_cast<double>(catalog.Rows.Count());
}

// The floor of saving: the same lines written with snprintf("%.15g") and fputs.
void BM_SaveFloor_Snprintf(benchmark::State& state) {
    Catalog catalog;
    LoadCatalog(catalog, gLarge);
    const std::string path = (gDir / "floor.dat").string();
    char buf[64];
    for (auto _ : state) {
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fputs("Riads\r\n", f);
        for (const auto& r : catalog.Rows) {
            std::fputs("_\r\n", f);
            std::fputs(r->Name.c_str(), f);
            std::fputs("\r\n", f);
            for (double v : r->Ratios) {
                std::snprintf(buf, sizeof buf, "%.15g\r\n", v);
                std::fputs(buf, f);
            }
        }
        std::fputs("Paras\r\n", f);
        for (const auto& p : catalog.Pairs) {
            std::snprintf(buf, sizeof buf, "_\r\n%.15g\r\n", *p);
            std::fputs(buf, f);
        }
        std::fputs("Koless\r\n", f);
        for (const auto& k : catalog.Tyres) {
            std::fputs("_\r\n", f);
            std::fputs(k->Name.c_str(), f);
            std::snprintf(buf, sizeof buf, "\r\n%.15g\r\n", static_cast<double>(k->Perimeter));
            std::fputs(buf, f);
        }
        std::fclose(f);
    }
}

void BM_SaveCatalog(benchmark::State& state) {
    Catalog catalog;
    LoadCatalog(catalog, gLarge);
    const std::string path = (gDir / "saved.dat").string();
    for (auto _ : state) SaveCatalog(catalog, path);
}

long ReadStatusKb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string k;
    long v = 0;
    std::string unit;
    while (in >> k) {
        if (k == key) {
            in >> v;
            return v;
        }
        std::getline(in, unit);
    }
    return -1;
}

// Peak memory of the loaded catalog, measured in a child so the benchmarks' own use does
// not count.
void ReportPeakMemory(const std::string& path, std::size_t records) {
    int fds[2];
    if (pipe(fds) != 0) return;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        // Start the peak afresh from what the child has now (it inherits the parent's).
        if (std::FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", f);
            std::fclose(f);
        }
        const long before = ReadStatusKb("VmHWM:");
        Catalog catalog;
        LoadCatalog(catalog, path);
        const long after = ReadStatusKb("VmHWM:");
        const long delta = after - before;
        if (write(fds[1], &delta, sizeof delta) < 0) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    long deltaKb = -1;
    if (read(fds[0], &deltaKb, sizeof deltaKb) != sizeof deltaKb) deltaKb = -1;
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    std::printf(
        "\npeak memory of the large catalog loaded: %.1f MiB, %.0f bytes per record (%zu "
        "records)\n",
        deltaKb / 1024.0, deltaKb * 1024.0 / static_cast<double>(records), records);
}

}  // namespace

BENCHMARK(BM_LoadFloor_GetlineStrtod)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadCatalog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFloor_Snprintf)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveCatalog)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    GlobalNumberFormat().decimalSeparator = ',';
    gDir = fs::temp_directory_path() / ("kelm-bench-" + std::to_string(getpid()));
    fs::create_directories(gDir);
    gLarge = (gDir / "large.dat").string();
    const bench::CatalogSize size;
    bench::WriteLargeCatalog(gLarge, size);

    // Before any benchmark has grown the heap, so the child's growth is the catalog's own.
    ReportPeakMemory(gLarge, size.rows + size.pairs + size.tyres);

    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter({
        {"BM_LoadCatalog_median", "BM_LoadFloor_GetlineStrtod_median", "<= 1.5", 1.5},
        {"BM_SaveCatalog_median", "BM_SaveFloor_Snprintf_median", "<= 1.5", 1.5},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const bool ok = reporter.PrintRatios(std::cout);
    fs::remove_all(gDir);
    return ok ? 0 : 1;
}
