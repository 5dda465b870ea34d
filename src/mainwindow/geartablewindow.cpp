#include "mainwindow/geartablewindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "base/messages.h"
#include "widgets/coreedge.h"
#include "widgets/placement.h"
#include "widgets/tableclipboard.h"

namespace kelm {

namespace {

// A caption longer than this many characters is shown on two lines.
constexpr qsizetype kOneLineCaption = 12;
// The first window is high enough for both sets with six gears each, under their
// headings, so that it need not grow when the second set is shown.
constexpr int kRowsOfTwoFullSets = 2 * (1 + 6);
// Where a heading item keeps its whole text; the text shown is cut to the table's width.
constexpr int kWholeHeading = Qt::UserRole;

QTableWidgetItem* Cell(const std::string& utf8, Qt::Alignment align) {
    auto* item = new QTableWidgetItem(FromUtf8(utf8));
    item->setTextAlignment(align | Qt::AlignVCenter);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

// The heading line of a block, in the set's colour; a note (a set without numbers) in
// italics.  Its text is put in by CutHeadings, once the columns are fitted.
QTableWidgetItem* Heading(const GearTableBlock& block, QFont font) {
    auto* item = Cell({}, Qt::AlignLeft);
    const QString whole = FromUtf8(GearBlockTitle(block));
    item->setData(kWholeHeading, whole);
    item->setToolTip(whole);
    item->setBackground(ToQColor(block.color));
    item->setForeground(ToQColor(HeadingTextColor(block.color)));
    font.setBold(block.note.empty());
    font.setItalic(!block.note.empty());
    item->setFont(font);
    return item;
}

// A long caption on two lines, broken at the space nearest its middle, so the columns of
// numbers stay narrow and the window fits beside the main window.  (The space of a
// grouped number is a no-break one, and stays.)
QString OnTwoLines(QString caption) {
    if (caption.size() <= kOneLineCaption) return caption;
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
    // A column the user widens or narrows gives the headings more or less room.
    connect(Grid1->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!fitting_) CutHeadings();
    });

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

void GearTableWindow::SetGears(const ChartGears& gears) {
    table_ = MakeGearTable(gears);
    Grid1->setUpdatesEnabled(false);
    FillGrid();
    FitColumns();
    Grid1->setUpdatesEnabled(true);
    FitWindow();
}

void GearTableWindow::FillGrid() {
    QStringList captions;
    for (const std::string& c : GearTableCaptions(table_.maxRpm, true))
        captions << OnTwoLines(FromUtf8(c));
    Grid1->setHorizontalHeaderLabels(captions);

    int rows = 0;
    for (const GearTableBlock& b : table_.blocks) rows += 1 + static_cast<int>(b.rows.size());
    Grid1->clearSpans();
    Grid1->setRowCount(rows);

    int r = 0;
    for (const GearTableBlock& b : table_.blocks) {
        Grid1->setItem(r, 0, Heading(b, Grid1->font()));
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
}

void GearTableWindow::FitColumns() {
    // The headings have no text yet: a long name cannot widen the first column.
    fitting_ = true;
    Grid1->resizeColumnsToContents();
    fitting_ = false;
    CutHeadings();
}

void GearTableWindow::CutHeadings() {
    // The item view keeps this much room on either side of a text.
    const int margins =
        2 * (Grid1->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, Grid1) + 1);
    const int gridLine = Grid1->showGrid() ? 1 : 0;
    const int room = Grid1->horizontalHeader()->length() - gridLine - margins;
    for (int r = 0; r < Grid1->rowCount(); ++r) {
        QTableWidgetItem* item = Grid1->item(r, 0);
        const QString whole = item ? item->data(kWholeHeading).toString() : QString();
        if (whole.isEmpty()) continue;
        item->setText(QFontMetrics(item->font()).elidedText(whole, Qt::ElideRight, room));
    }
}

QSize GearTableWindow::WholeTableSize(int rows) const {
    const int frame = 2 * Grid1->frameWidth();
    const int gridWidth = frame + Grid1->horizontalHeader()->length();
    const int gridHeight = frame + Grid1->horizontalHeader()->sizeHint().height() +
                           rows * Grid1->verticalHeader()->defaultSectionSize();
    const QMargins m = layout()->contentsMargins();
    const QSize button = CopyButton1->sizeHint();
    return {m.left() + std::max(gridWidth, button.width()) + m.right(),
            m.top() + gridHeight + layout()->spacing() + button.height() + m.bottom()};
}

void GearTableWindow::FitWindow() {
    const bool first = !fittedTo_.isValid();
    const QSize whole =
        WholeTableSize(first ? std::max(Grid1->rowCount(), kRowsOfTwoFullSets) : Grid1->rowCount());
    if (whole == fittedTo_) return;  // the same shape: the user's size stays
    fittedTo_ = whole;
    QSize wanted = first ? whole : size().expandedTo(whole);
    const QScreen* s = screen();
    if (!s) {
        resize(wanted);
        return;
    }
    const QRect room = s->availableGeometry();
    const QRect outer = OuterGeometry(frameGeometry(), geometry());
    const QSize frame = outer.size() - geometry().size();
    const QSize most = room.size() - frame;
    // Rows beyond the screen's height scroll, and their scroll bar takes room from the
    // columns.
    if (wanted.height() > most.height())
        wanted.rwidth() += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    wanted = wanted.boundedTo(most);
    resize(wanted);
    // Grown past the screen's edge, it is moved back just so far; also while it is closed,
    // so that it opens again whole where the user left it.
    if (!first) {
        const QPoint inside = InsideRoom(room, QRect(outer.topLeft(), wanted + frame));
        if (inside != outer.topLeft()) move(inside);
    }
}

void GearTableWindow::CopyButton1Click() {
    RunHandler([this] { PutTableOnClipboard(GearTableHtml(table_), GearTableTsv(table_)); });
}

void GearTableWindow::keyPressEvent(QKeyEvent* event) {
    // Ctrl+C wherever the focus is in the window, the grid included: it copies the whole
    // table (the keys no control takes come here).  Escape closes the window, as it closes
    // a dialog.
    if (event->matches(QKeySequence::Copy)) {
        CopyButton1Click();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kelm
