#include "widgets/tableitem.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QTableWidgetItem>

#include "widgets/coreedge.h"

namespace kelm {

QTableWidgetItem* TableItem(const TableCell& cell, const QFont& base) {
    QString text = FromUtf8(cell.text);
    // A gear row's name is ratios joined by hyphens, one word to the line breaker (a hyphen
    // before a digit is no break): a heading may wrap after each.  A slash joins what belongs
    // together, a unit ("об/мин") or a tyre's size ("175/70"): no wrap there.
    if (cell.heading) {
        text.replace(QLatin1Char('-'), QStringLiteral("-\u200B"));
        text.replace(QLatin1Char('/'), QStringLiteral("/\u2060"));
    }
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignVCenter |
                           (cell.align == CellAlign::Right ? Qt::AlignRight : Qt::AlignLeft));
    item->setFlags(Qt::ItemIsEnabled);
    if (cell.heading || cell.italic) {
        QFont font = base;
        font.setBold(cell.heading && !cell.italic);
        font.setItalic(cell.italic);
        item->setFont(font);
    }
    if (cell.background) item->setBackground(ToQColor(*cell.background));
    if (cell.foreground) item->setForeground(ToQColor(*cell.foreground));
    // Long names and notes wrap or are cut; the whole text is at hand.
    if (cell.heading || cell.italic || cell.align == CellAlign::Left)
        item->setToolTip(FromUtf8(cell.text));
    return item;
}

void SetTableRow(QTableWidget* table, int row, const TableRow& cells, Qt::ItemFlags extra) {
    const QFont font = table->font();
    for (int c = 0; c < table->columnCount(); ++c) {
        QTableWidgetItem* item = nullptr;
        if (c < static_cast<int>(cells.size())) {
            item = TableItem(cells[static_cast<std::size_t>(c)], font);
            item->setFlags(item->flags() | extra);
        }
        table->setItem(row, c, item);
    }
}

void PrepareTable(QTableWidget* table) {
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Its cells hold nothing to act on: Tab goes on to the next control.
    table->setTabKeyNavigation(false);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setMinimumSectionSize(1);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->setWordWrap(true);
}

}  // namespace kelm
