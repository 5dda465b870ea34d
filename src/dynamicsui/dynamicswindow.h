#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/plot.h"
#include "chart/shiftcurves.h"
#include "dynamics/dynamicsresults.h"

class QAction;
class QBoxLayout;
class QComboBox;
class QGridLayout;
class QLabel;
class QToolButton;
class QSplitter;
class QTabWidget;
class QTableWidget;

namespace kelm {

class ChartPanel;
class DecimalSpin;
class PairPage;
class TablePlace;

// "Динамика разгона": both comparison sets of the main window driven from rest with an
// engine and a car each, as charts and a table of results.  Not modal; the main window keeps
// one and hands it every run of its Grafic, and the window's own controls (each set's engine
// and car, the run's shift rule, launch speed and shift time) recompute it at once.  The
// choices live in the run of the dynamics file, written when a drop-down changes, when a
// number field is left, and when the window or the program closes (SaveRun).
//
// The third tab, "Главная пара" (PairPage), drives each set over a range of main pairs
// ("Пары от", "до", kept in the run too) and adds a best pair to the catalog through the main
// window (SetAddPair); the table of results gives it its room while it is shown.
//
// Its keys work wherever the focus is in the window: Ctrl+C copies the table (on the pair tab,
// its own), Ctrl+S saves and Ctrl+P prints the chart shown, Ctrl+Tab / Ctrl+PgDown go to the
// next chart, Ctrl+Shift+Tab / Ctrl+PgUp back; Escape closes it.  Controls are found by their
// objectName: `EngineBox1`, `CarBox1`, `EngineBox2`, `CarBox2` (each with its editor button
// `EngineEdit1`, `CarEdit1`...), `ShiftBox`, `LaunchEdit`, `ShiftTimeEdit`, `Tabs1`,
// `ChartRazgon`, `ChartBalance`, `PairPage` (with `PairFromEdit`, `PairToEdit` and its own, see
// PairPage), `Grid1`, `CopyButton1`.
class DynamicsWindow : public QWidget {
    Q_OBJECT
  public:
    // The catalog the main window draws from, and the dynamics data it keeps with the file
    // they are written to; all must outlive the window.
    DynamicsWindow(Catalog& catalog, DynamicsData& data, std::string path,
                   QWidget* parent = nullptr);
    ~DynamicsWindow() override;

    // Drives both sets of this run of Grafic (kept, so the window's own controls drive them
    // again) and shows the outcome.
    void SetGears(const ChartGears& gears);
    const DynamicsSets& Sets() const { return sets_; }

    // The records or the run's choices changed outside the window (the editor of engines
    // and cars): the drop-downs are filled again and both sets driven again.
    void DataChanged();

    // How a best pair of the pair tab reaches the catalog and the set's list: the main
    // window's part (this window sees neither its lists nor the catalog's file).
    void SetAddPair(std::function<void(int set, MainPair pair)> add);
    PairPage* Pairs() const { return pairPage_; }

    // Takes (or refuses) a number still being typed, then writes the run's choices to the
    // dynamics file where they differ from what was last written; true when the file holds
    // them.
    bool SaveRun();

    // Ctrl+C and the "Копировать" button: the table of results (on the pair tab, the pair
    // table) as HTML and tab-separated text.
    void CopyButton1Click();
    // Ctrl+S and Ctrl+P: the chart shown, through its panel.
    void SaveAs1Click();
    void Print1Click();
    ChartPanel* ShownChart() const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct SetControls {
        QLabel* label = nullptr;
        QComboBox* engine = nullptr;
        QComboBox* car = nullptr;
    };

    void BuildControls(QGridLayout* grid);
    void BuildActions();
    // The run's choices on one line where the window is wide enough for it, on two otherwise.
    void ArrangeRunRow();
    // Items of the engine and car drop-downs from the data, each showing its set's choice.
    void FillChoices();
    void ShowChoices();
    void ShowRun();
    // Drives both sets again and shows the outcome.
    void Refresh();
    void ShowSetLabels();
    void FillGrid();
    // The set columns share the width the captions leave; the headings and names wrap.
    void FitGrid();
    // The table below the charts, as high as its rows, where the window is high enough for
    // both; at their right otherwise (TablePlace).
    void Arrange();
    int TableWidth() const;  // as wide as the table wants to be beside the charts
    void NextTab(int step);
    // A user's choice in a drop-down or a field.
    void Chosen(int set, bool car);  // an engine, or a car
    // The editor of engines and cars, on the set's engine or car.
    void EditRecords(int set, bool car);
    // A run number (its index in RunNumberFields) typed or stepped: the sets are driven with
    // it where it is a number in range, and, for an end of the range of pairs typed, where the
    // range is not upside down.
    void NumberTyped(std::size_t field, bool stepped);
    // After an end of the range of pairs took a value: the other end follows it where the
    // range would be upside down.
    void KeepPairOrder(std::size_t field);
    // The pair tab shown or left: the table of results makes way for it.
    void TabChanged();
    // The field left: its value kept, or refused with a message and the kept one shown again.
    bool CommitNumber(std::size_t field);

    Catalog& catalog_;
    DynamicsData& data_;
    std::string path_;
    RunSettings written_;  // the run as the file last got it (or gave it)
    ChartGears gears_;
    DynamicsSets sets_;
    PlotModel accelerationPlot_, balancePlot_;  // before the panels, which watch them

    std::array<SetControls, 2> set_;
    QComboBox* ShiftBox;
    QWidget* RunRow;  // the shift rule, the launch speed and the shift time
    QBoxLayout* runLines_;
    std::array<QWidget*, 2> runHalves_{};  // the shift rule; the numbers
    // Launch speed, shift time, the range of pairs (on the pair tab).
    static constexpr std::size_t kRunNumbers = 4;
    static constexpr std::size_t kPairFrom = 2, kPairTo = 3;
    std::array<DecimalSpin*, kRunNumbers> numbers_{};
    DecimalSpin* LaunchEdit;
    DecimalSpin* ShiftTimeEdit;
    QTabWidget* Tabs1;
    ChartPanel* ChartRazgon;
    ChartPanel* ChartBalance;
    PairPage* pairPage_;
    QSplitter* split_;
    QTableWidget* Grid1;
    QToolButton* CopyButton1;
    QToolButton* SaveButton1;
    QToolButton* PrintButton1;
    std::vector<QAction*> keys_;  // the window's own keys, which no control may take
    std::unique_ptr<TablePlace> tablePlace_;
    bool saving_ = false;  // SaveRun is writing the file, or saying why it could not
};

}  // namespace kelm
