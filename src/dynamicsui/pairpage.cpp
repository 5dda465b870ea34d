#include "dynamicsui/pairpage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "base/messages.h"
#include "base/numtext.h"
#include "chart/chartpanel.h"
#include "chart/geartable.h"
#include "dynamics/dynamicsplots.h"
#include "dynamicsui/tableplace.h"
#include "widgets/coreedge.h"
#include "widgets/tableclipboard.h"
#include "widgets/tableitem.h"

namespace kelm {

namespace {

QString Ru(const char* utf8) { return QString::fromUtf8(utf8); }

// How often the progress bar looks at the thread's count.
constexpr int kTickMs = 100;
// Below the chart, the table is given at most this share of the height the chart and it
// share (it scrolls beyond, and the user may move the division) where the chart keeps this
// much above it; on a lower screen it stands beside the chart.
constexpr TablePlace::Limits kTableLimits{240, 0.45};
// The columns of figures are never narrower than this many average characters, nor wider
// than three times that.
constexpr int kLeastFigureColumn = 10;

bool IsBest(PairRowKind kind) {
    return kind == PairRowKind::BestTo100 || kind == PairRowKind::Best400 ||
           kind == PairRowKind::BestTop;
}

}  // namespace

PairPage::PairPage(Catalog& catalog, QWidget* parent)
    : QWidget(parent), catalog_(catalog), sweep_(&SweepMainPairs) {
    setObjectName(QStringLiteral("PairPage"));
    auto* column = new QVBoxLayout(this);

    rangeRow_ = new QHBoxLayout;
    rangeRow_->addStretch(1);
    PairProgress = new QProgressBar;
    PairProgress->setObjectName(QStringLiteral("PairProgress"));
    PairProgress->setRange(0, 1000);
    PairProgress->setFormat(Ru("Расчёт по парам: %p%"));
    PairProgress->setTextVisible(true);
    PairProgress->hide();
    rangeRow_->addWidget(PairProgress);
    column->addLayout(rangeRow_);

    ChartPara = new ChartPanel(plot_);
    ChartPara->setObjectName(QStringLiteral("ChartPara"));
    // Ctrl+C copies the table here; the menu's "Копировать" copies the chart's picture.
    ChartPara->SetMenuShortcuts(QKeySequence(), QKeySequence(Qt::CTRL | Qt::Key_P));
    split_ = new QSplitter(Qt::Vertical);
    split_->setChildrenCollapsible(false);
    split_->addWidget(ChartPara);
    column->addWidget(split_, 1);

    Grid2 = new QTableWidget;
    Grid2->setObjectName(QStringLiteral("Grid2"));
    PrepareTable(Grid2);
    Grid2->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid2->setToolTip(Ru("Выберите строку лучшей пары, чтобы добавить её в каталог"));
    split_->addWidget(Grid2);
    split_->setStretchFactor(0, 1);
    split_->setStretchFactor(1, 0);
    connect(Grid2, &QTableWidget::itemSelectionChanged, this, [this] { ShowSelection(); });
    Grid2->installEventFilter(this);
    split_->installEventFilter(this);
    tablePlace_ = std::make_unique<TablePlace>(split_, Grid2, kTableLimits);

    auto* add = new QHBoxLayout;
    AddPairButton = new QPushButton(Ru("Добавить пару в каталог"));
    AddPairButton->setObjectName(QStringLiteral("AddPairButton"));
    AddPairButton->setEnabled(false);
    connect(AddPairButton, &QPushButton::clicked, this, [this] { AddPairClick(); });
    PairStatus = new QLabel;
    PairStatus->setObjectName(QStringLiteral("PairStatus"));
    add->addWidget(AddPairButton);
    add->addWidget(PairStatus, 1);
    column->addLayout(add);

    tick_ = new QTimer(this);
    tick_->setInterval(kTickMs);
    connect(tick_, &QTimer::timeout, this, [this] { ShowProgress(); });
    ShowSelection();
}

PairPage::~PairPage() {
    Stop();
    // The panel watches the plot, which goes with this object's members: the panel goes first.
    delete ChartPara;
}

void PairPage::FollowInTabOrder(QWidget* last) {
    // Each goes right after `last`: the button first, so that the table comes before it.
    QWidget::setTabOrder(last, AddPairButton);
    QWidget::setTabOrder(last, Grid2);
}

const PairSweep* PairPage::ShownSweep(int set) const {
    return shown_.Sweeps()[static_cast<std::size_t>(set - 1)];
}

void PairPage::SetSets(const DynamicsSets& sets, double from, double to) {
    sets_ = sets;
    from_ = from;
    to_ = to;
    for (const DynamicsSet& s : sets_) {
        std::optional<SweepKey>& wanted = wanted_[static_cast<std::size_t>(s.set - 1)];
        wanted.reset();
        if (!s.input || !s.result || !s.result->computable) continue;
        wanted = SweepKey{*s.input, from, to};
        wanted->input.mainPair = 0;  // every pair of the range takes its place
    }
    Update();
}

std::vector<PairPage::Job> PairPage::Due() const {
    std::vector<Job> due;
    for (std::size_t i = 0; i < wanted_.size(); ++i) {
        if (wanted_[i] && !(made_[i] && made_[i]->key == *wanted_[i]))
            due.push_back({static_cast<int>(i) + 1, *wanted_[i]});
    }
    return due;
}

void PairPage::Update() {
    if (!isVisible()) return;  // nothing is computed for a page no one sees
    std::vector<Job> due = Due();
    if (due.empty()) {
        Stop();
        ShowMade();
        return;
    }
    // The sweep under way goes on where it is making what is due (it may have made some of
    // its sets already).
    const bool covered =
        Sweeping() && std::all_of(due.begin(), due.end(), [&](const Job& d) {
            return std::any_of(working_.begin(), working_.end(),
                               [&](const Job& w) { return w.set == d.set && w.key == d.key; });
        });
    if (!covered) Start(std::move(due));
}

void PairPage::Start(std::vector<Job> jobs) {
    Stop();
    working_ = jobs;
    permille_ = 0;
    since_.start();
    tick_->start();
    worker_ = std::jthread([this, jobs = std::move(jobs), sweep = sweep_](std::stop_token stop) {
        for (std::size_t j = 0; j < jobs.size(); ++j) {
            const auto progress = [&](std::size_t done, std::size_t total) {
                permille_ = static_cast<int>((j * total + done) * 1000 / (jobs.size() * total));
            };
            std::optional<PairSweep> made =
                sweep(jobs[j].key.input, jobs[j].key.from, jobs[j].key.to, stop, progress);
            if (!made || stop.stop_requested()) return;
            // Handed over whole, under the lock; the queued call tells this thread, which drops
            // it if it is not wanted any more by then.
            {
                const std::lock_guard lock(handed_);
                arrived_.push_back({jobs[j].set, jobs[j].key, std::move(*made)});
            }
            QMetaObject::invokeMethod(
                this, [this] { TakeArrived(); }, Qt::QueuedConnection);
        }
    });
    ShowSelection();  // nothing is added while the table is about to change
}

void PairPage::Stop() {
    if (worker_.joinable()) {
        worker_.request_stop();
        worker_.join();  // at most one run of a pair: the sweep looks between runs
    }
    working_.clear();
    tick_->stop();
    PairProgress->hide();
}

void PairPage::TakeArrived() {
    std::vector<Arrival> arrived;
    {
        const std::lock_guard lock(handed_);
        arrived.swap(arrived_);
    }
    if (arrived.empty()) return;  // taken by an earlier call
    for (Arrival& a : arrived) {
        const std::size_t i = static_cast<std::size_t>(a.set - 1);
        if (wanted_[i] == a.key) made_[i] = Made{a.key, std::move(a.sweep)};  // else: changed since
    }
    if (Due().empty()) {
        Stop();
        ShowMade();
    }
}

void PairPage::ShowProgress() {
    if (!Sweeping() || since_.elapsed() < kProgressDelayMs) return;
    PairProgress->setValue(permille_);
    if (!PairProgress->isVisible()) {
        PairProgress->show();
        ShowSelection();
    }
}

void PairPage::ShowMade() {
    shown_.sets = sets_;
    shown_.from = from_;
    shown_.to = to_;
    for (std::size_t i = 0; i < made_.size(); ++i) {
        shown_.sweeps[i].reset();
        if (wanted_[i] && made_[i] && made_[i]->key == *wanted_[i])
            shown_.sweeps[i] = made_[i]->sweep;
    }
    plot_.Set(PairPlot(shown_.sets, shown_.Sweeps(), from_, to_));
    FillTable(PairTable(shown_.sets, shown_.Sweeps(), true));
}

void PairPage::FillTable(const std::vector<PairTableRow>& rows) {
    // The row the user chose stays chosen where the table still has it.
    std::optional<std::pair<int, PairRowKind>> chosen;
    if (const PairTableRow* row = SelectedRow()) chosen = {row->set, row->kind};

    rows_ = rows;
    const QSignalBlocker quiet(Grid2);
    Grid2->setUpdatesEnabled(false);
    Grid2->clearSpans();
    Grid2->clearSelection();
    Grid2->setRowCount(static_cast<int>(rows_.size()));
    Grid2->setColumnCount(kPairColumns);
    for (int r = 0; r < Grid2->rowCount(); ++r) {
        const PairTableRow& row = rows_[static_cast<std::size_t>(r)];
        // Only a best pair's row can be chosen: it is what the button adds.
        SetTableRow(Grid2, r, row.cells,
                    IsBest(row.kind) && row.pair ? Qt::ItemIsSelectable : Qt::NoItemFlags);
        if (row.cells.size() == 1) Grid2->setSpan(r, 0, 1, kPairColumns);
        if (chosen && row.set == chosen->first && row.kind == chosen->second && row.pair)
            Grid2->selectRow(r);
    }
    FitTable();
    Grid2->setUpdatesEnabled(true);
    ShowSelection();
}

void PairPage::FitTable() {
    // Placed beside the chart or below it, the table is fitted again to its new width.
    for (int pass = 0; pass < 3 && FitTableOnce(); ++pass) {
    }
}

bool PairPage::FitTableOnce() {
    if (Grid2->columnCount() != kPairColumns || fitting_) return false;
    fitting_ = true;
    const QFontMetrics plain = Grid2->fontMetrics();
    QFont boldFont = Grid2->font();
    boldFont.setBold(true);
    const QFontMetrics bold(boldFont);
    const int pad = 2 * plain.averageCharWidth() + 2;
    // The captions, pairs and notes as wide as their texts; the figures share the rest.
    std::array<int, kPairColumns> wide{};
    for (const PairTableRow& row : rows_) {
        if (row.kind == PairRowKind::Columns || row.cells.size() != kPairColumns) continue;
        for (int c : {0, 1, kPairColumns - 1}) {
            const QString text = FromUtf8(row.cells[static_cast<std::size_t>(c)].text);
            int& w = wide[static_cast<std::size_t>(c)];
            w = std::max(w, plain.horizontalAdvance(text) + pad);
        }
    }
    for (int c : {1, kPairColumns - 1}) {
        const QTableWidgetItem* caption = Grid2->item(0, c);
        int& w = wide[static_cast<std::size_t>(c)];
        if (caption) w = std::max(w, bold.horizontalAdvance(caption->text()) + pad);
    }
    // The note's column holds its caption at least: a note cut for the figures' captions keeps
    // its whole text in its tooltip.
    const QTableWidgetItem* noteCaption = Grid2->item(0, kPairColumns - 1);
    const int leastNote = noteCaption ? bold.horizontalAdvance(noteCaption->text()) + pad : 0;
    // A figure's caption wraps between its words: its column holds the longest of them, which
    // it would otherwise cut ("Максималь…").
    const int least = plain.averageCharWidth() * kLeastFigureColumn;
    for (int c = 2; c < kPairColumns - 1; ++c) {
        int& w = wide[static_cast<std::size_t>(c)];
        w = least;
        if (const QTableWidgetItem* caption = Grid2->item(0, c)) {
            for (const QString& word : caption->text().split(QLatin1Char(' ')))
                w = std::max(w, bold.horizontalAdvance(word) + pad);
        }
    }
    const int frame = 2 * Grid2->frameWidth();
    const int scroll = Grid2->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Grid2);
    const int line = Grid2->verticalHeader()->defaultSectionSize();
    const int room = split_->height() - split_->handleWidth();
    const int most = tablePlace_->Beside()
                         ? room
                         : std::max(line, static_cast<int>(room * kTableLimits.mostShare));

    // Laid out first for the whole width; where the rows then need more than the table may
    // take, again beside the scroll bar they bring.
    int used = 0;
    for (const bool scrolls : {false, true}) {
        const int room = Grid2->width() - frame - (scrolls ? scroll : 0);
        // The figures share what the other columns leave alike; one whose caption needs more
        // than its share takes that, and the others share the rest.
        const int spare = room - wide[0] - wide[1] - wide[kPairColumns - 1];
        int share = spare / (kPairColumns - 3), taken = 0, sharing = kPairColumns - 3;
        for (int c = 2; c < kPairColumns - 1; ++c) {
            if (wide[static_cast<std::size_t>(c)] > share) {
                taken += wide[static_cast<std::size_t>(c)];
                --sharing;
            }
        }
        if (sharing > 0) share = std::min((spare - taken) / sharing, 3 * least);
        int figures = 0;
        for (int c = 2; c < kPairColumns - 1; ++c) {
            const int w = std::max(wide[static_cast<std::size_t>(c)], share);
            Grid2->setColumnWidth(c, w);
            figures += w;
        }
        // The note takes what the figures leave.
        const int note = std::max(leastNote, room - wide[0] - wide[1] - figures);
        Grid2->setColumnWidth(0, wide[0]);
        Grid2->setColumnWidth(1, wide[1]);
        Grid2->setColumnWidth(kPairColumns - 1, note);
        used = wide[0] + wide[1] + figures + note;
        // The captions wrap; every other row takes one line.
        for (int r = 0; r < Grid2->rowCount(); ++r) Grid2->setRowHeight(r, line);
        if (Grid2->rowCount() > 0) {
            Grid2->resizeRowToContents(0);
            Grid2->setRowHeight(0, std::max(line, Grid2->rowHeight(0)));
        }
        if (frame + Grid2->verticalHeader()->length() <= most) break;
    }
    const bool sideways = used > Grid2->width() - frame;
    const int high = frame + Grid2->verticalHeader()->length() + (sideways ? scroll : 0);
    // Beside the chart, the table asks for the least width of its columns.
    int narrowest = frame + scroll + wide[0] + wide[1] + leastNote;
    for (int c = 2; c < kPairColumns - 1; ++c) narrowest += wide[static_cast<std::size_t>(c)];
    const bool moved = tablePlace_->Place(high, [narrowest] { return narrowest; });
    fitting_ = false;
    return moved;
}

bool PairPage::eventFilter(QObject* watched, QEvent* event) {
    // The columns follow the table's width, its height the room the chart and it share.
    if ((watched == Grid2 || watched == split_) && event->type() == QEvent::Resize) FitTable();
    return QWidget::eventFilter(watched, event);
}

const PairTableRow* PairPage::SelectedRow() const {
    const QList<QTableWidgetItem*> selected = Grid2->selectedItems();
    if (selected.isEmpty()) return nullptr;
    const int r = selected.front()->row();
    if (r < 0 || r >= static_cast<int>(rows_.size())) return nullptr;
    return &rows_[static_cast<std::size_t>(r)];
}

void PairPage::ShowSelection() {
    const PairTableRow* row = SelectedRow();
    QString status;
    bool can = false;
    if (Sweeping()) {
        // Nothing is added from a table about to change; the line keeps what it said, unless
        // the sweep takes long enough to show its progress.
        AddPairButton->setEnabled(false);
        if (PairProgress->isVisible()) PairStatus->setText(Ru("Идёт расчёт по парам…"));
        return;
    }
    if (!row || !row->pair || !IsBest(row->kind)) {
        status = Ru("Выберите в таблице строку лучшей пары.");
    } else {
        const QString pair = FromUtf8(TableFigure(*row->pair, 2, false));
        if (catalog_.FindPair(FloatToStr(*row->pair))) {
            status = Ru("Пара %1 уже есть в каталоге.").arg(pair);
        } else {
            can = true;
            status = Ru("Пара %1 будет добавлена в каталог и выбрана в наборе %2.")
                         .arg(pair)
                         .arg(row->set);
        }
    }
    AddPairButton->setEnabled(can);
    AddPairButton->setToolTip(status);
    PairStatus->setText(status);
}

void PairPage::AddPairClick() {
    RunHandler([this] {
        const PairTableRow* row = SelectedRow();
        if (Sweeping() || !row || !row->pair || !IsBest(row->kind) || !addPair_) return;
        // The main window adds it, fills its lists and draws again, which comes back here.
        const bool focused = AddPairButton->hasFocus();
        addPair_(row->set, *row->pair);
        ShowSelection();
        // The button is disabled now (the catalog holds the pair): the focus stays by the row.
        if (focused && !AddPairButton->isEnabled()) Grid2->setFocus();
    });
}

void PairPage::CopyTable() {
    RunHandler([this] {
        PutTableOnClipboard(PairHtml(shown_.sets, shown_.Sweeps()),
                            PairTsv(shown_.sets, shown_.Sweeps()));
    });
}

void PairPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FitTable();
    Update();
}

void PairPage::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Stop();  // nothing is computed while the page is not shown
    ShowSelection();
}

}  // namespace kelm
