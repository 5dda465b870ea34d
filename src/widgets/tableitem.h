#pragma once

#include <Qt>

#include "base/tabletext.h"

class QFont;
class QTableWidget;
class QTableWidgetItem;

namespace kelm {

// A cell of a table the core lays out (base/tabletext) as a table widget shows it: aligned,
// bold where it is a heading and italic where the core says so, in its colours, read-only.  A
// heading may wrap after each hyphen (a gear row's name is its ratios joined by hyphens) but
// not after a slash (a unit, a tyre's size), and
// headings, notes and names keep their whole text in their tooltip, where the cell cuts it.
QTableWidgetItem* TableItem(const TableCell& cell, const QFont& base);

// Row `row` of the table as these cells show it, `extra` added to each item's flags; the
// columns beyond the cells are left empty.
void SetTableRow(QTableWidget* table, int row, const TableRow& cells,
                 Qt::ItemFlags extra = Qt::NoItemFlags);

// A table widget for such cells: read-only, without headers (the core's rows hold the
// captions), its sections sized by its owner, each row a line high at first, texts wrapping.
void PrepareTable(QTableWidget* table);

}  // namespace kelm
