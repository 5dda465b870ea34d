#pragma once

#include <QSize>
#include <QWidget>

#include "chart/geartable.h"

class QPushButton;
class QTableWidget;

namespace kelm {

// "Таблица передач": the numbers behind the chart, a block per comparison set.  Not modal;
// the main window keeps one and hands it the gears of every run of its Grafic.  Its
// controls, like the main window's, are found by their objectName: `Grid1`, `CopyButton1`.
class GearTableWindow : public QWidget {
    Q_OBJECT
  public:
    explicit GearTableWindow(QWidget* parent = nullptr);

    // Shows the table of these gears (kept, so the clipboard gets what is on screen), and
    // fits the columns and the window to it.
    void SetGears(const ChartGears& gears);
    const GearTable& Table() const { return table_; }

    // The "Копировать" button and Ctrl+C: the whole table as HTML and as tab-separated text.
    void CopyButton1Click();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // The cells of table_: a heading line per block, then its gears.
    void FillGrid();
    // Every column as wide as its numbers and caption; the headings take no part in it.
    void FitColumns();
    // Each heading cut with "…" to the width of the columns it spans.
    void CutHeadings();
    // Where the table's shape has changed, the window grows until the whole table is in
    // view, as far as the screen allows, and stays on the screen.
    void FitWindow();
    // The size of the window that shows every column and row of the table.
    QSize WholeTableSize(int rows) const;

    QTableWidget* Grid1;
    QPushButton* CopyButton1;
    GearTable table_;
    QSize fittedTo_;        // the whole table's size when the window was last fitted
    bool fitting_ = false;  // the columns are being fitted: the headings wait
};

}  // namespace kelm
