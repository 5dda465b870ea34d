#include "mainwindow/geartablewindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cstdlib>

#include "base/messages.h"
#include "widgets/uikit.h"

namespace kelm {

namespace {

QTableWidgetItem* Cell(const std::string& utf8, Qt::Alignment align) {
    auto* item = new QTableWidgetItem(FromUtf8(utf8));
    item->setTextAlignment(align | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

// A long caption on two lines, broken at the space nearest its middle, so the columns of
// numbers stay narrow and the window fits beside the main window.
QString OnTwoLines(QString caption) {
    if (caption.size() <= 12) return caption;
    qsizetype best = -1;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char(' ') &&
            (best < 0 || std::abs(i - caption.size() / 2) < std::abs(best - caption.size() / 2)))
            best = i;
    }
    if (best >= 0) caption[best] = QLatin1Char('\n');
    return caption;
}

}  // namespace

GearTableWindow::GearTableWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("GearTableForm"));
    setWindowTitle(QStringLiteral("Таблица передач"));
    if (parent) setWindowIcon(parent->windowIcon());

    Grid1 = new QTableWidget(this);
    Grid1->setObjectName(QStringLiteral("Grid1"));
    Grid1->setColumnCount(kGearTableColumns);
    Grid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid1->verticalHeader()->hide();
    // Columns are fitted once per table, not at every cell put in (which measures all cells
    // again each time: most of a redraw's time with the table open).
    Grid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    Grid1->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    Grid1->setWordWrap(false);

    CopyButton1 = new QPushButton(QStringLiteral("Копировать"), this);
    CopyButton1->setObjectName(QStringLiteral("CopyButton1"));
    connect(CopyButton1, &QPushButton::clicked, this, [this] { CopyButton1Click(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(CopyButton1);
    auto* column = new QVBoxLayout(this);
    column->addWidget(Grid1, 1);
    column->addLayout(buttons);
}

void GearTableWindow::SetTable(const GearTable& table) {
    table_ = table;
    Grid1->setUpdatesEnabled(false);
    QStringList captions;
    for (const std::string& c : GearTableCaptions(table.maxRpm))
        captions << OnTwoLines(FromUtf8(c));
    Grid1->setHorizontalHeaderLabels(captions);

    int rows = 0;
    for (const GearTableBlock& b : table.blocks) rows += 1 + static_cast<int>(b.rows.size());
    Grid1->clearSpans();
    Grid1->setRowCount(rows);

    int r = 0;
    for (const GearTableBlock& b : table.blocks) {
        QTableWidgetItem* title = Cell(GearBlockTitle(b), Qt::AlignLeft);
        title->setBackground(ToQColor(b.color));
        title->setForeground(ToQColor(HeadingTextColor(b.color)));
        QFont bold = Grid1->font();
        bold.setBold(true);
        title->setFont(bold);
        Grid1->setItem(r, 0, title);
        for (int c = 1; c < kGearTableColumns; ++c) Grid1->setItem(r, c, nullptr);
        Grid1->setSpan(r, 0, 1, kGearTableColumns);
        ++r;
        for (const GearTableRow& row : b.rows) {
            const std::vector<std::string> cells = GearRowCells(row, true);
            for (int c = 0; c < kGearTableColumns; ++c) {
                Grid1->setItem(r, c,
                               Cell(cells[static_cast<std::size_t>(c)],
                                    c == 0 ? Qt::AlignHCenter : Qt::AlignRight));
            }
            ++r;
        }
    }

    Grid1->resizeColumnsToContents();
    Grid1->setUpdatesEnabled(true);

    if (!sized_) {
        // The first table decides the window's width: every column whole, where the
        // screen allows it.
        sized_ = true;
        int width = 2 * Grid1->frameWidth() + 24;
        for (int c = 0; c < kGearTableColumns; ++c) width += Grid1->columnWidth(c);
        int height = 2 * Grid1->frameWidth() + Grid1->horizontalHeader()->sizeHint().height() +
                     14 * Grid1->verticalHeader()->defaultSectionSize() +
                     CopyButton1->sizeHint().height() + 30;
        if (const QScreen* s = screen()) {
            width = std::min(width, s->availableGeometry().width());
            height = std::min(height, s->availableGeometry().height());
        }
        resize(width, height);
    }
}

void GearTableWindow::CopyButton1Click() {
    RunHandler([this] {
        auto* mime = new QMimeData;
        mime->setHtml(FromUtf8(GearTableHtml(table_)));
        mime->setText(FromUtf8(GearTableTsv(table_)));
        QGuiApplication::clipboard()->setMimeData(mime);
    });
}

void GearTableWindow::keyPressEvent(QKeyEvent* event) {
    // Ctrl+C wherever the focus is in the window, the grid included: it copies the whole
    // table (the keys no control takes come here).
    if (event->matches(QKeySequence::Copy)) {
        CopyButton1Click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kelm
