#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>
#include <vector>

#include "chart/plot.h"
#include "dynamics/dynamicsresults.h"
#include "dynamics/pairsweep.h"

class QHBoxLayout;
class QLabel;
class QProgressBar;
class QSplitter;
class QPushButton;
class QTableWidget;
class QTimer;

namespace kelm {

class ChartPanel;
class TablePlace;

// The tab "Главная пара" of the acceleration window: each set with figures driven over every
// main pair of the run's range, a hundredth apart (a sweep), drawn over the pair, with the
// set's own pair and the best ones in a table under the chart.  A best pair the catalog does
// not hold is added to it, and chosen in its set, with "Добавить пару в каталог" on its row.
//
// The sweeps run on a thread of the page's own, one at a time, never while the page is not
// shown: hiding it stops the sweep under way, showing it starts the one that is now due.  A
// set is swept again only when what the sweep drives changes (its gearing but the pair, its
// engine and car, the run's rule, launch, shift time, the range): choosing another pair, the
// best one included, only moves the set's mark.  Each sweep's outcome comes back to the user-
// interface thread by a queued call; the chart and the table show the last whole outcome
// until the next one is complete, and after a moment (kProgressDelayMs) a progress bar says
// how far it is.
//
// Controls by objectName: `ChartPara`, `Grid2`, `AddPairButton`, `PairStatus`, `PairProgress`.
class PairPage : public QWidget {
    Q_OBJECT
  public:
    // The sweep the page runs (SweepMainPairs; a test may put a stand-in of its own), called on
    // the page's thread.
    using Sweep = std::function<std::optional<PairSweep>(
        const AccelerationInput& input, double from, double to, std::stop_token stop,
        const std::function<void(std::size_t done, std::size_t total)>& progress)>;
    // Adds the pair to the catalog and chooses it in the set (1 or 2): the main window's part.
    using AddPairToSet = std::function<void(int set, MainPair pair)>;

    // The catalog says which best pairs it holds; it must outlive the page.
    explicit PairPage(Catalog& catalog, QWidget* parent = nullptr);
    ~PairPage() override;

    // The row above the chart, where the window puts the range's fields.
    QHBoxLayout* RangeRow() const { return rangeRow_; }
    // Tab goes from `last` (the range's last field) on to the table and its button: the page
    // is walked as it reads, though the fields came to it after its own controls.
    void FollowInTabOrder(QWidget* last);

    // The sets as the window last drove them, and the run's range of pairs.
    void SetSets(const DynamicsSets& sets, double from, double to);
    void SetAddPair(AddPairToSet add) { addPair_ = std::move(add); }
    void SetSweep(Sweep sweep) { sweep_ = std::move(sweep); }

    // Whether a sweep is under way.
    bool Sweeping() const { return worker_.joinable(); }
    // The sweep the chart and the table show for set 1 or 2; none where there is none.
    const PairSweep* ShownSweep(int set) const;

    // Ctrl+C on this tab: the table as HTML and tab-separated text.
    void CopyTable();
    // "Добавить пару в каталог": the best pair of the selected row.
    void AddPairClick();

    ChartPanel* Chart() const { return ChartPara; }

    static constexpr int kProgressDelayMs = 300;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // What a set's sweep drives: its input but the pair, and the range.
    struct SweepKey {
        AccelerationInput input;
        double from = 0, to = 0;
        bool operator==(const SweepKey&) const = default;
    };
    struct Job {
        int set = 1;
        SweepKey key;
    };
    // What the chart and the table show, and the copy copies.
    struct Shown {
        DynamicsSets sets;
        std::array<std::optional<PairSweep>, 2> sweeps;
        double from = 0, to = 0;
        PairSweeps Sweeps() const {
            return {sweeps[0] ? &*sweeps[0] : nullptr, sweeps[1] ? &*sweeps[1] : nullptr};
        }
    };

    // The sweeps wanted now that are not made yet.
    std::vector<Job> Due() const;
    // Starts what is due, or shows what is made; nothing while the page is not shown.
    void Update();
    void Start(std::vector<Job> jobs);
    // Stops the sweep under way, if any, and waits for its thread.
    void Stop();
    // The sweeps the thread has handed over, taken on this one.
    void TakeArrived();
    void ShowProgress();
    void ShowMade();
    void FillTable(const std::vector<PairTableRow>& rows);
    void FitTable();
    bool FitTableOnce();  // true when the table was moved
    // The button and the line beside it, for the selected row.
    void ShowSelection();
    const PairTableRow* SelectedRow() const;

    Catalog& catalog_;
    AddPairToSet addPair_;
    Sweep sweep_;
    DynamicsSets sets_;
    double from_ = 0, to_ = 0;
    std::array<std::optional<SweepKey>, 2> wanted_;
    struct Made {
        SweepKey key;
        PairSweep sweep;
    };
    std::array<std::optional<Made>, 2> made_;
    Shown shown_;
    std::vector<PairTableRow> rows_;  // the table's rows as shown

    PlotModel plot_;  // before the panel, which watches it
    QHBoxLayout* rangeRow_;
    QSplitter* split_;  // the chart over the table
    ChartPanel* ChartPara;
    QTableWidget* Grid2;
    QPushButton* AddPairButton;
    QLabel* PairStatus;
    QProgressBar* PairProgress;
    QTimer* tick_;
    QElapsedTimer since_;
    std::unique_ptr<TablePlace> tablePlace_;  // the table below the chart, or beside it
    bool fitting_ = false;

    std::vector<Job> working_;  // what the thread sweeps
    struct Arrival {
        int set = 1;
        SweepKey key;
        PairSweep sweep;
    };
    std::mutex handed_;  // guards arrived_, which the thread fills
    std::vector<Arrival> arrived_;
    std::atomic<int> permille_{0};  // how far it is
    std::jthread worker_;           // last: stopped and joined first
};

}  // namespace kelm
