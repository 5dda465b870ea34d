// The main window at scale: filling its six lists, redrawing the chart at full-HD size and
// starting up, each against a floor of plain Qt doing the least the same screen needs.
//
// Every figure is CPU time (of this process, or of the child a start-up runs in): the
// machines these run on are shared, and CPU time is what the wall clock of an idle
// machine shows for this single-threaded work.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLinearGradient>
#include <QMainWindow>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QTableWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "base/messages.h"
#include "base/numtext.h"
#include "catalog/catalog.h"
#include "catalog/catalogfile.h"
#include "catalog_generator.h"
#include "chart/chartpanel.h"
#include "dynamicsui/dynamicswindow.h"
#include "dynamicsui/pairpage.h"
#include "mainwindow/geartablewindow.h"
#include "mainwindow/mainwindow.h"
#include "ratio_reporter.h"
#include "settings/windowsettings.h"
#include "widgets/spinedit.h"

namespace fs = std::filesystem;
using namespace kelm;

namespace {

constexpr int kChartWidth = 1920, kChartHeight = 1080;

// A message box during a benchmark means the figure measured a failure, not the work.
class FailingMessages : public Messages {
  public:
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon) override {
        std::fprintf(stderr, "unexpected message box \"%s\": %s\n", caption.c_str(), text.c_str());
        std::exit(2);
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        ShowMessage(text, caption, MessageIcon::Question);
        return false;
    }
};

// A folder with Kelm.dat and Kelm.ini, as the program finds them beside itself.
struct Folder {
    std::string catalog, settings;
};

fs::path gDir;
std::map<std::string, Folder> gFolders;

// The key of the record a lookup reaches last: the walk stops at the first match, so the
// slowest key to find is the one whose first occurrence lies furthest down the list.
template <class List, class Key>
std::string LatestFirstKey(const List& list, Key key) {
    std::map<std::string, std::size_t> first;
    std::string latest;
    std::size_t latestIndex = 0;
    std::size_t i = 0;
    for (const auto& record : list) {
        const auto [it, added] = first.emplace(key(*record), i);
        if (added && i >= latestIndex) {
            latestIndex = i;
            latest = it->first;
        }
        ++i;
    }
    return latest;
}

// Writes the settings of a user who compares two sets with all labels shown, each set on
// the records found last in the catalog, so every redraw walks the lists to their ends.
void WriteSettingsFor(const std::string& catalogPath, const std::string& settingsPath) {
    Catalog catalog;
    LoadCatalog(catalog, catalogPath);
    WindowSettings s = DefaultWindowSettings();
    s.FormWidth = TForm1::kMinWidth;
    s.FormHeight = TForm1::kMinHeight;
    s.CB1 = s.CB2 = s.CB3 = s.CB4 = true;
    s.ComboBox1 = s.ComboBox2 = LatestFirstKey(catalog.Rows, [](const Riad& r) { return r.Name; });
    s.ComboBox4 = s.ComboBox5 =
        LatestFirstKey(catalog.Pairs, [](const MainPair& p) { return FloatToStr(p); });
    s.ComboBox7 = s.ComboBox8 =
        LatestFirstKey(catalog.Tyres, [](const Koles& k) { return k.Name; });
    SaveWindowSettings(settingsPath, s);
}

Folder MakeFolder(const std::string& name, const bench::CatalogSize* size) {
    const fs::path dir = gDir / name;
    fs::create_directories(dir);
    Folder f{(dir / "Kelm.dat").string(), (dir / "Kelm.ini").string()};
    if (size) {
        bench::WriteLargeCatalog(f.catalog, *size);
    } else {
        fs::copy_file(KELM_SAMPLE_CATALOG, f.catalog);
    }
    WriteSettingsFor(f.catalog, f.settings);
    return f;
}

const Folder& FolderOf(const std::string& name) { return gFolders.at(name); }

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs the body once per iteration and records the CPU time it took.
template <class Body>
void MeasureCpu(benchmark::State& state, Body body) {
    for (auto _ : state) {
        const double start = ProcessCpuSeconds();
        body();
        state.SetIterationTime(ProcessCpuSeconds() - start);
    }
}

// A control of the main window, found by its objectName.
template <class T>
T* Control(const TForm1& form, const char* name) {
    return form.findChild<T*>(QString::fromLatin1(name));
}

// The six lists refilled from a catalog of n records of each kind.
void BM_ZapolnenieForm(benchmark::State& state) {
    const Folder& f = FolderOf("each" + std::to_string(state.range(0)));
    TForm1 form(f.catalog, f.settings);
    MeasureCpu(state, [&] {
        form.ZapolnenieForm();
        benchmark::DoNotOptimize(Control<QComboBox>(form, "ComboBox8")->count());
    });
    state.counters["items"] = Control<QComboBox>(form, "ComboBox1")->count() +
                              Control<QComboBox>(form, "ComboBox2")->count() +
                              Control<QComboBox>(form, "ComboBox4")->count() +
                              Control<QComboBox>(form, "ComboBox5")->count() +
                              Control<QComboBox>(form, "ComboBox7")->count() +
                              Control<QComboBox>(form, "ComboBox8")->count();
    TheCatalog().ClearCatalog();
}

// The floor of a chart redraw: the chart's own background gradient over the same image.
void BM_GradientFloor(benchmark::State& state) {
    QImage image(kChartWidth, kChartHeight, QImage::Format_RGB32);
    MeasureCpu(state, [&] {
        QPainter painter(&image);
        QLinearGradient background(0, 0, 0, kChartHeight);
        background.setColorAt(0, QColor(255, 255, 128));
        background.setColorAt(1, Qt::white);
        painter.fillRect(QRectF(0, 0, kChartWidth, kChartHeight), background);
    });
    benchmark::DoNotOptimize(image.constBits());
}

// What one change of a control costs: Grafic rebuilds both sets from the lists' texts,
// then the chart paints itself at full-HD size with every label.
void BM_GraficAndPaint(benchmark::State& state, const std::string& folder) {
    const Folder& f = FolderOf(folder);
    TForm1 form(f.catalog, f.settings);
    QImage image(kChartWidth, kChartHeight, QImage::Format_RGB32);
    MeasureCpu(state, [&] {
        form.Grafic();
        QPainter painter(&image);
        Control<ChartPanel>(form, "Chart1")
            ->Paint(painter, QRectF(0, 0, kChartWidth, kChartHeight));
    });
    benchmark::DoNotOptimize(image.constBits());
    std::size_t points = 0;
    for (const Series& s : form.Chart()) points += s.Points().size();
    if (points < 2 * ShiftChart::kSeriesPerSet + 8) {
        state.SkipWithError("the chart drew no curves: the settings did not select the records");
    }
    state.counters["points"] = static_cast<double>(points);
    TheCatalog().ClearCatalog();
}

// The same with the gear table open: every Grafic also refills the table window, which
// then paints itself.
void BM_GraficAndPaintWithTable(benchmark::State& state, const std::string& folder) {
    const Folder& f = FolderOf(folder);
    TForm1 form(f.catalog, f.settings);
    form.Table1Click();
    QApplication::processEvents();
    auto* table = Control<GearTableWindow>(form, "GearTableForm");
    if (!table || !table->isVisible()) {
        state.SkipWithError("the gear table did not open");
        return;
    }
    QImage image(kChartWidth, kChartHeight, QImage::Format_RGB32);
    QImage tableImage(table->size(), QImage::Format_RGB32);
    MeasureCpu(state, [&] {
        form.Grafic();
        QPainter painter(&image);
        Control<ChartPanel>(form, "Chart1")
            ->Paint(painter, QRectF(0, 0, kChartWidth, kChartHeight));
        // The table window repaints too.
        table->render(&tableImage);
    });
    benchmark::DoNotOptimize(image.constBits());
    benchmark::DoNotOptimize(tableImage.constBits());
    const auto& blocks = table->Table().blocks;
    if (std::any_of(blocks.begin(), blocks.end(), [](const auto& b) { return !b.note.empty(); })) {
        state.SkipWithError("the gear table has not both sets: the settings did not select them");
    }
    state.counters["rows"] = table->findChild<QTableWidget*>(QStringLiteral("Grid1"))->rowCount();
    TheCatalog().ClearCatalog();
}

// "Динамика разгона" opened from the main window and made full-HD size; nothing (and the
// benchmark skipped) where it did not open.
DynamicsWindow* OpenDynamicsWindow(TForm1& form, const Folder& f, benchmark::State& state) {
    // No file there: the sample's engines and cars, which the sample's run chooses.
    form.SetDynamicsPath((fs::path(f.catalog).parent_path() / "Kelm-dynamics.json").string());
    form.Razgon1Click();
    auto* window = Control<DynamicsWindow>(form, "RazgonForm");
    if (!window || !window->isVisible()) {
        state.SkipWithError("the acceleration window did not open");
        return nullptr;
    }
    window->resize(kChartWidth, kChartHeight);
    return window;
}

// The acceleration window open at full-HD size beside the main window: every Grafic also
// drives both sets with their engines and cars, and the window repaints (its charts, the
// acceleration tab shown, and its table of results).
void BM_DynamicsRefresh(benchmark::State& state, const std::string& folder) {
    const Folder& f = FolderOf(folder);
    TForm1 form(f.catalog, f.settings);
    DynamicsWindow* window = OpenDynamicsWindow(form, f, state);
    if (!window) return;
    QApplication::processEvents();
    QImage image(window->size(), QImage::Format_RGB32);
    MeasureCpu(state, [&] {
        form.Grafic();
        window->render(&image);
    });
    benchmark::DoNotOptimize(image.constBits());
    for (const DynamicsSet& s : window->Sets()) {
        if (!s.result || !s.result->computable) {
            state.SkipWithError("a set was not driven: the settings did not select its records");
            return;
        }
    }
    state.counters["trace_points"] = static_cast<double>(window->Sets()[0].result->trace.size() +
                                                         window->Sets()[1].result->trace.size());
    TheCatalog().ClearCatalog();
}

// The acceleration window on its tab "Главная пара" at full-HD size: a Grafic that changes what
// the sets drive (the maximum engine speed, one rev/min up and down in turn) sweeps both sets
// over the 351 pairs of 2.50 to 6.00 on the tab's thread, hands the sweeps back to this
// thread, shows them in the chart and the table, and the window repaints.  CPU time of the
// process, both threads.
void BM_PairTab(benchmark::State& state, const std::string& folder) {
    const Folder& f = FolderOf(folder);
    TForm1 form(f.catalog, f.settings);
    DynamicsWindow* window = OpenDynamicsWindow(form, f, state);
    if (!window) return;
    PairPage* page = window->Pairs();
    window->findChild<QTabWidget*>(QStringLiteral("Tabs1"))->setCurrentWidget(page);
    auto* se1 = Control<SpinEdit>(form, "SE1");
    const int rpm = se1->Value();
    const auto settle = [&] {
        QApplication::processEvents();
        while (page->Sweeping()) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
            QApplication::processEvents();
        }
    };
    settle();
    QImage image(window->size(), QImage::Format_RGB32);
    int step = 0;
    MeasureCpu(state, [&] {
        se1->SetValue(rpm + (++step % 2));  // a Grafic, through the spin edit's handler
        settle();
        window->render(&image);
    });
    benchmark::DoNotOptimize(image.constBits());
    if (!page->ShownSweep(1) || !page->ShownSweep(2)) {
        state.SkipWithError("a set was not swept: the settings did not select its records");
        return;
    }
    state.counters["pairs"] = static_cast<double>(page->ShownSweep(1)->points.size() +
                                                  page->ShownSweep(2)->points.size());
    TheCatalog().ClearCatalog();
}

// What a click on the tyre list costs: the list opens and closes again, on the window
// shown (offscreen).
void BM_OpenList(benchmark::State& state, const std::string& folder) {
    const Folder& f = FolderOf(folder);
    TForm1 form(f.catalog, f.settings);
    form.show();
    QApplication::processEvents();
    MeasureCpu(state, [&] {
        Control<QComboBox>(form, "ComboBox7")->showPopup();
        QApplication::processEvents();
        Control<QComboBox>(form, "ComboBox7")->hidePopup();
        QApplication::processEvents();
    });
    state.counters["items"] = Control<QComboBox>(form, "ComboBox7")->count();
    TheCatalog().ClearCatalog();
}

// An empty main window of the design size, created and painted.
void BuildEmptyWindow() {
    QMainWindow window;
    window.resize(TForm1::kMinWidth, TForm1::kMinHeight);
    const QPixmap shot = window.grab();
    benchmark::DoNotOptimize(shot.cacheKey());
}

// The same with one line of text in it: the least a window that shows text costs, for the
// font system starts with the first text laid out.
void BuildTextWindow() {
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Form1")));
    window.resize(TForm1::kMinWidth, TForm1::kMinHeight);
    const QPixmap shot = window.grab();
    benchmark::DoNotOptimize(shot.cacheKey());
}

// The main window: it loads the catalog, fills its lists, applies its settings and draws
// the chart; then it is painted once.
void BuildMainWindow(const Folder& f) {
    TForm1 form(f.catalog, f.settings);
    const QPixmap shot = form.grab();
    benchmark::DoNotOptimize(shot.cacheKey());
}

// In process, once Qt has loaded its fonts and style: what building the window itself
// costs.  This is only part of what the user waits for; BM_StartUp has the whole.
void BM_WindowFloor(benchmark::State& state) { MeasureCpu(state, BuildEmptyWindow); }

void BM_Window(benchmark::State& state, const std::string& folder) {
    const Folder& f = FolderOf(folder);
    MeasureCpu(state, [&] { BuildMainWindow(f); });
    TheCatalog().ClearCatalog();
}

constexpr char kChildFlag[] = "--start-up-child";

// Start-up as the user has it: a fresh process of this program starts Qt under the
// offscreen platform, builds one window ("empty", "text" or "form", the main window over a
// folder), paints it and ends.  The figure is the child's CPU time from its first
// instruction to its exit.
void StartUpInChild(benchmark::State& state, const std::string& kind,
                    const std::string& folder = {}) {
    std::vector<std::string> args{fs::read_symlink("/proc/self/exe").string(), kChildFlag, kind};
    if (!folder.empty()) {
        args.push_back(FolderOf(folder).catalog);
        args.push_back(FolderOf(folder).settings);
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    double faults = 0;
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start the child");
            return;
        }
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("the child failed");
            return;
        }
        const auto seconds = [](const timeval& t) {
            return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6;
        };
        state.SetIterationTime(seconds(usage.ru_utime) + seconds(usage.ru_stime));
        faults += static_cast<double>(usage.ru_minflt);
    }
    // Pages the child touched for the first time: part of its time is the kernel's.
    state.counters["page_faults"] = benchmark::Counter(faults, benchmark::Counter::kAvgIterations);
}

void BM_StartUpFloor(benchmark::State& state) { StartUpInChild(state, "empty"); }
void BM_StartUpTextFloor(benchmark::State& state) { StartUpInChild(state, "text"); }
void BM_StartUp(benchmark::State& state, const std::string& folder) {
    StartUpInChild(state, "form", folder);
}

int RunChild(int argc, char** argv) {
    QApplication app(argc, argv);
    GlobalNumberFormat().decimalSeparator = ',';
    GlobalNumberFormat().thousandSeparator = " ";
    FailingMessages messages;
    SetAppMessages(&messages);
    const std::string kind = argc > 2 ? argv[2] : "";
    if (kind == "empty") {
        BuildEmptyWindow();
    } else if (kind == "text") {
        BuildTextWindow();
    } else if (kind == "form" && argc > 4) {
        BuildMainWindow(Folder{argv[3], argv[4]});
    } else {
        return 2;
    }
    return 0;
}

}  // namespace

BENCHMARK(BM_ZapolnenieForm)->Arg(1000)->Arg(10000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GradientFloor)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GraficAndPaint, Sample, std::string("sample"))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GraficAndPaint, Large, std::string("each10000"))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GraficAndPaintWithTable, Large, std::string("each10000"))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DynamicsRefresh, Sample, std::string("sample"))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PairTab, Sample, std::string("sample"))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenList, Sample, std::string("sample"))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenList, Large, std::string("each10000"))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowFloor)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Window, Sample, std::string("sample"))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Window, Large, std::string("each10000"))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpFloor)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpTextFloor)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartUp, Sample, std::string("sample"))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartUp, Large, std::string("each10000"))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The offscreen platform says at every opened list that it cannot raise a window or grab
// the keyboard; that says nothing about the figures.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context,
                         const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

int main(int argc, char** argv) {
    qInstallMessageHandler(QuietOffscreenNotes);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc > 1 && std::string(argv[1]) == kChildFlag) return RunChild(argc, argv);

    gDir = fs::temp_directory_path() / ("kelm-bench-ui-" + std::to_string(getpid()));
    fs::create_directories(gDir);
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        // Qt wants one, private to the user; the children inherit it.
        const fs::path runtime = gDir / "runtime";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime.string()));
    }

    QApplication app(argc, argv);
    GlobalNumberFormat().decimalSeparator = ',';
    GlobalNumberFormat().thousandSeparator = " ";
    FailingMessages messages;
    SetAppMessages(&messages);

    gFolders["sample"] = MakeFolder("sample", nullptr);
    for (std::size_t n : {1000, 10000}) {
        const bench::CatalogSize size{n, n, n};
        gFolders["each" + std::to_string(n)] = MakeFolder("each" + std::to_string(n), &size);
    }

    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter(
        {
            {"BM_GraficAndPaint/Sample_median", "BM_GradientFloor_median", "report", 0},
            {"BM_GraficAndPaint/Large_median", "BM_GradientFloor_median", "report", 0},
            {"BM_OpenList/Large_median", "BM_OpenList/Sample_median", "report", 0},
            {"BM_DynamicsRefresh/Sample_median", "BM_GradientFloor_median", "report", 0},
            {"BM_Window/Sample_median", "BM_WindowFloor_median", "report", 0},
            {"BM_Window/Large_median", "BM_WindowFloor_median", "report", 0},
            {"BM_StartUp/Sample_median", "BM_StartUpFloor_median", "<= 1.3", 1.3},
            {"BM_StartUp/Large_median", "BM_StartUpFloor_median", "<= 3", 3},
            {"BM_StartUpTextFloor_median", "BM_StartUpFloor_median", "report", 0},
            {"BM_StartUp/Sample_median", "BM_StartUpTextFloor_median", "report", 0},
        },
        {
            {"BM_ZapolnenieForm/10000_median", 100},
            {"BM_GraficAndPaint/Sample_median", 8},
            {"BM_GraficAndPaint/Large_median", 8},
            {"BM_GraficAndPaintWithTable/Large_median", 8},
            {"BM_DynamicsRefresh/Sample_median", 16},
            {"BM_PairTab/Sample_median", 300},
            {"BM_OpenList/Large_median", 8},
        },
        {{"BM_ZapolnenieForm/1000_median", "BM_ZapolnenieForm/10000_median", 1000, 10000}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const bool ok = reporter.PrintRatios(std::cout);
    benchmark::Shutdown();
    fs::remove_all(gDir);
    return ok ? 0 : 1;
}
