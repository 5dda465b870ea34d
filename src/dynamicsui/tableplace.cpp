#include "dynamicsui/tableplace.h"

#include <QSplitter>
#include <QWidget>
#include <algorithm>

namespace kelm {

TablePlace::TablePlace(QSplitter* split, QWidget* table, Limits limits)
    : split_(split), table_(table), limits_(limits) {}

bool TablePlace::Beside() const { return split_->orientation() == Qt::Horizontal; }

bool TablePlace::Place(int high, const std::function<int()>& wide) {
    if (placing_ || !split_->isVisible()) return false;
    const int handle = split_->handleWidth();
    const int room = split_->height();
    const int below = std::min(high, static_cast<int>((room - handle) * limits_.mostShare));
    const bool beside = room - below - handle < std::max(limits_.leastChart, room * 2 / 5);
    const int placed = beside ? high : below;
    const bool moved = beside != Beside() || placed != placedHigh_;
    placing_ = true;  // the table's and the splitter's resizing asks to place it again
    // Below the chart the table is never higher than its rows; beside it, as high as the chart.
    table_->setMaximumHeight(beside ? QWIDGETSIZE_MAX : high);
    if (moved) {
        placedHigh_ = placed;
        split_->setOrientation(beside ? Qt::Horizontal : Qt::Vertical);
        if (beside) {
            const int width = std::min(wide(), split_->width() * 9 / 20);
            split_->setSizes({split_->width() - width - handle, width});
        } else {
            split_->setSizes({room - below - handle, below});
        }
    }
    placing_ = false;
    return moved;
}

}  // namespace kelm
