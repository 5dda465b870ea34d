#pragma once

#include <QWidget>

#include "chart/geartable.h"

class QPushButton;
class QTableWidget;

namespace kelm {

// "Таблица передач": the numbers behind the chart, a block per comparison set.  Not modal;
// the main window keeps one and hands it every table its Grafic computes.
class GearTableWindow : public QWidget {
    Q_OBJECT
  public:
    explicit GearTableWindow(QWidget* parent = nullptr);

    // Shows this table (kept, so the clipboard gets what is on screen).
    void SetTable(const GearTable& table);
    const GearTable& Table() const { return table_; }

    // The "Копировать" button and Ctrl+C: the whole table as HTML and as tab-separated text.
    void CopyButton1Click();

    QTableWidget* Grid1;
    QPushButton* CopyButton1;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    GearTable table_;
    bool sized_ = false;
};

}  // namespace kelm
