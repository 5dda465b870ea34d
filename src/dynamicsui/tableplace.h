#pragma once

#include <functional>

class QSplitter;
class QWidget;

namespace kelm {

// A chart and its table in a splitter, the chart first: the table below the chart, as high as
// its rows up to a share of the height (it scrolls beyond), where the chart keeps its least
// height, and two fifths of the height, above it; on a lower screen beside the chart, as high
// as it and as wide as it asks up to 9/20 of the width.  Both tabs of the acceleration window
// that show a table place it by this one rule, each with its own limits.
class TablePlace {
  public:
    struct Limits {
        int leastChart;    // pixels the chart keeps above the table
        double mostShare;  // of the height the table may take below the chart
    };
    TablePlace(QSplitter* split, QWidget* table, Limits limits);

    // Places the table, `high` being its height with all its rows and `wide` the width it
    // asks beside the chart, anew where the way it stands or the height it takes below the
    // chart changed: the user's division stays meanwhile.  Nothing while the splitter is not
    // shown (it has no height yet).  True when it moved the table.
    bool Place(int high, const std::function<int()>& wide);
    bool Beside() const;

  private:
    QSplitter* split_;
    QWidget* table_;
    Limits limits_;
    bool placing_ = false;
    int placedHigh_ = -1;  // the height the table took when last placed
};

}  // namespace kelm
