#include "dynamicsui/dynamicswindow.h"

#include <QAction>
#include <QBoxLayout>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "base/messages.h"
#include "base/numtext.h"
#include "chart/chartpanel.h"
#include "chart/geartable.h"
#include "dynamics/dynamicsfile.h"
#include "dynamics/dynamicsplots.h"
#include "dynamicsui/curveedit.h"
#include "dynamicsui/dynamicseditor.h"
#include "dynamicsui/pairpage.h"
#include "dynamicsui/tableplace.h"
#include "widgets/coreedge.h"
#include "widgets/decimalspin.h"
#include "widgets/listorder.h"
#include "widgets/tableclipboard.h"
#include "widgets/tableitem.h"

namespace kelm {

namespace {

// The size the window asks for when it first opens (within the screen's room): the charts
// over a table of both sets with six gears each.
constexpr int kFirstWidth = 920;
constexpr int kFirstHeight = 960;
// On a lower screen, the charts beside the table.
constexpr int kWideWidth = 1240;
// Left on the screen for the window's frame and title.
constexpr int kFrameRoom = 48;
// The table stands below the charts where they keep this much of the height above it (and
// two fifths at least), as high as its rows; beside them otherwise.
constexpr TablePlace::Limits kTableLimits{300, 1.0};
// Between the run's choices on their line, beside the layout's own spacing.
constexpr int kRunGap = 12;
// A set's column is never narrower than this many average characters.
constexpr int kLeastSetColumn = 14;

QString Ru(const char* utf8) { return QString::fromUtf8(utf8); }

std::string& EngineChoice(RunSettings& run, int set) {
    return set == 1 ? run.Engine1 : run.Engine2;
}
std::string& CarChoice(RunSettings& run, int set) { return set == 1 ? run.Car1 : run.Car2; }

// What a drop-down shows while its set's choice is none of its items.
QString NoChoiceText(const std::string& name) {
    if (name.empty()) return Ru("не выбран");
    return Ru("«") + FromUtf8(name) + Ru("» — нет в списке");
}

template <class Record>
QStringList SortedNames(const std::vector<Stored<Record>>& records) {
    QStringList names;
    names.reserve(static_cast<qsizetype>(records.size()));
    for (const Record& r : records) names.push_back(FromUtf8(r.Name));
    SortLikeAList(names);
    return names;
}

// The property of a drop-down that holds its whole text for no choice.
const char* const kNoChoiceProperty = "kelmNoChoice";

// Shows a drop-down's text for no choice as far as it fits, cut in its middle.  The drop-down
// counts that text in the width it asks for (and keeps the first width it found): whole, a
// long name would set the window's least width and push the window off the screen.
void FitNoChoiceText(QComboBox* list) {
    const QFontMetrics metrics = list->fontMetrics();
    const int least = metrics.horizontalAdvance(QLatin1Char('X')) * list->minimumContentsLength();
    // The room for the text: the width less the frame and the arrow, which the least width
    // holds beside the least text.
    const int room = std::max(least, list->width() - list->minimumSizeHint().width() + least);
    list->setPlaceholderText(
        metrics.elidedText(list->property(kNoChoiceProperty).toString(), Qt::ElideMiddle, room));
}

// Selects the item of exactly this name, or none with the text that says why.
void SelectName(QComboBox* list, const std::string& name) {
    const int index =
        name.empty() ? -1
                     : list->findText(FromUtf8(name), Qt::MatchExactly | Qt::MatchCaseSensitive);
    list->setProperty(kNoChoiceProperty, NoChoiceText(name));
    FitNoChoiceText(list);
    list->setCurrentIndex(index);
}

// A set's label in the set's colours.
QString SetLabelStyle(Color color) {
    return QStringLiteral("QLabel { background: %1; color: %2; padding: 2px 8px; }")
        .arg(ToQColor(color).name(), ToQColor(HeadingTextColor(color)).name());
}

QLabel* Caption(const char* text, QWidget* buddy) {
    auto* label = new QLabel(Ru(text));
    label->setBuddy(buddy);
    return label;
}

}  // namespace

DynamicsWindow::DynamicsWindow(Catalog& catalog, DynamicsData& data, std::string path,
                               QWidget* parent)
    : QWidget(parent, Qt::Window),
      catalog_(catalog),
      data_(data),
      path_(std::move(path)),
      written_(data.Run) {
    setObjectName(QStringLiteral("RazgonForm"));
    setWindowTitle(Ru("Динамика разгона"));
    if (parent) setWindowIcon(parent->windowIcon());

    auto* column = new QVBoxLayout(this);
    auto* controls = new QGridLayout;
    BuildControls(controls);
    column->addLayout(controls);

    Tabs1 = new QTabWidget;
    Tabs1->setObjectName(QStringLiteral("Tabs1"));
    ChartRazgon = new ChartPanel(accelerationPlot_);
    ChartRazgon->setObjectName(QStringLiteral("ChartRazgon"));
    ChartBalance = new ChartPanel(balancePlot_);
    ChartBalance->setObjectName(QStringLiteral("ChartBalance"));
    for (ChartPanel* chart : {ChartRazgon, ChartBalance}) {
        // Ctrl+C copies the table here; the menu's "Копировать" copies the chart's picture.
        chart->SetMenuShortcuts(QKeySequence(), QKeySequence(Qt::CTRL | Qt::Key_P));
    }
    Tabs1->addTab(ChartRazgon, Ru("Разгон"));
    Tabs1->addTab(ChartBalance, Ru("Тяговый баланс"));
    pairPage_ = new PairPage(catalog_);
    QHBoxLayout* range = pairPage_->RangeRow();
    auto* step =
        new QLabel(Ru("шаг 0,01").replace(QLatin1Char(','), QLatin1Char(DecimalSeparator())));
    int at = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{
             Caption("Пары от", numbers_[kPairFrom]), numbers_[kPairFrom],
             Caption("до", numbers_[kPairTo]), numbers_[kPairTo], step})
        range->insertWidget(at++, w);
    pairPage_->FollowInTabOrder(numbers_[kPairTo]);
    Tabs1->addTab(pairPage_, Ru("Главная пара"));
    connect(Tabs1, &QTabWidget::currentChanged, this, [this] { TabChanged(); });

    // The commands stand beside the tabs, where the tab bar leaves room; tool buttons, whose
    // narrow margins leave the tabs their captions on a small screen too.
    auto* commands = new QWidget;
    auto* row = new QHBoxLayout(commands);
    row->setContentsMargins(0, 0, 0, 2);
    row->setSpacing(2);
    const auto command = [&](const char* name, const char* text, const char* hint, auto click) {
        auto* b = new QToolButton;
        b->setObjectName(QString::fromLatin1(name));
        b->setText(Ru(text));
        b->setToolTip(Ru(hint));
        b->setFocusPolicy(Qt::TabFocus);
        connect(b, &QToolButton::clicked, this, click);
        row->addWidget(b);
        return b;
    };
    CopyButton1 =
        command("CopyButton1", "Копировать", "Таблица результатов в буфер обмена (Ctrl+C)",
                [this] { CopyButton1Click(); });
    SaveButton1 = command("SaveButton1", "Сохранить...", "График в файл PNG, SVG или PDF (Ctrl+S)",
                          [this] { SaveAs1Click(); });
    PrintButton1 = command("PrintButton1", "Печать...", "Напечатать график (Ctrl+P)",
                           [this] { Print1Click(); });
    Tabs1->setCornerWidget(commands, Qt::TopRightCorner);

    Grid1 = new QTableWidget;
    Grid1->setObjectName(QStringLiteral("Grid1"));
    PrepareTable(Grid1);
    Grid1->setSelectionMode(QAbstractItemView::NoSelection);
    // The columns are fitted to the width; only a screen too small for the least of them scrolls.
    Grid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    split_ = new QSplitter(Qt::Vertical);
    split_->addWidget(Tabs1);
    split_->addWidget(Grid1);
    split_->setChildrenCollapsible(false);
    split_->setStretchFactor(0, 1);
    split_->setStretchFactor(1, 0);
    column->addWidget(split_, 1);
    tablePlace_ = std::make_unique<TablePlace>(split_, Grid1, kTableLimits);

    BuildActions();
    FillChoices();
    ShowRun();
    // The window's keys win over the controls that would take them for themselves.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

    if (const QScreen* s = screen()) {
        // On a screen too low for the charts over the table, the table goes beside them
        // (Arrange): the window takes the width instead.
        const QRect room = s->availableGeometry();
        const QSize most = room.size() - QSize(kFrameRoom, kFrameRoom);
        resize(room.height() >= kFirstHeight + kFrameRoom ? QSize(kFirstWidth, kFirstHeight)
                                                          : QSize(kWideWidth, most.height()));
        resize(size().boundedTo(most));
    }
    // Placed before it is shown by this size, the window shows at it: no less than it needs.
    resize(size().expandedTo(minimumSizeHint()));
}

DynamicsWindow::~DynamicsWindow() {
    // A field that loses the focus as the controls go says its editing is finished: nothing
    // of this window may answer once its members are gone.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
    // The panels watch the plots, which go with this object's members: the panels go first;
    // the pair tab stops its sweep and waits for its thread.
    delete ChartRazgon;
    delete ChartBalance;
    delete pairPage_;
}

void DynamicsWindow::SetAddPair(std::function<void(int set, MainPair pair)> add) {
    pairPage_->SetAddPair(std::move(add));
}

void DynamicsWindow::BuildControls(QGridLayout* grid) {
    for (int i = 0; i < 2; ++i) {
        const int set = i + 1;
        SetControls& c = set_[static_cast<std::size_t>(i)];
        // As wide as the longer of its captions from the start: hiding the set does not widen
        // the window beyond the screen's edge.
        c.label = new QLabel(FromUtf8(HiddenSetNote(set)));
        c.label->setStyleSheet(SetLabelStyle(colors::Black));
        c.label->setMinimumWidth(c.label->sizeHint().width());
        c.label->setText(FromUtf8(SetName(set)));
        c.label->setObjectName(QStringLiteral("SetLabel%1").arg(set));
        c.label->setAlignment(Qt::AlignCenter);
        c.engine = new QComboBox;
        c.engine->setObjectName(QStringLiteral("EngineBox%1").arg(set));
        c.engine->setToolTip(Ru("Двигатель набора %1").arg(set));
        c.car = new QComboBox;
        c.car->setObjectName(QStringLiteral("CarBox%1").arg(set));
        c.car->setToolTip(Ru("Автомобиль набора %1").arg(set));
        for (QComboBox* box : {c.engine, c.car}) {
            box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
            box->setMinimumContentsLength(12);
            box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        }
        // Beside each drop-down, the editor of engines and cars opened on the set's choice.
        const auto editButton = [&](const QString& name, const char* hint, bool car) {
            auto* button = new QToolButton;
            button->setObjectName(name.arg(set));
            button->setText(QStringLiteral("\u2026"));  // "…": it opens a dialog
            button->setToolTip(Ru(hint).arg(set));
            connect(button, &QToolButton::clicked, this,
                    [this, set, car] { EditRecords(set, car); });
            return button;
        };
        grid->addWidget(c.label, i, 0);
        grid->addWidget(Caption("Двигатель", c.engine), i, 1);
        grid->addWidget(c.engine, i, 2);
        grid->addWidget(editButton(QStringLiteral("EngineEdit%1"),
                                   "Двигатели и автомобили: двигатель набора %1", false),
                        i, 3);
        grid->addWidget(Caption("Автомобиль", c.car), i, 4);
        grid->addWidget(c.car, i, 5);
        grid->addWidget(editButton(QStringLiteral("CarEdit%1"),
                                   "Двигатели и автомобили: автомобиль набора %1", true),
                        i, 6);
        connect(c.engine, &QComboBox::activated, this, [this, set] { Chosen(set, false); });
        connect(c.car, &QComboBox::activated, this, [this, set] { Chosen(set, true); });
    }
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(5, 1);

    ShiftBox = new QComboBox;
    ShiftBox->setObjectName(QStringLiteral("ShiftBox"));
    ShiftBox->addItem(Ru("на максимальных оборотах"), static_cast<int>(ShiftRule::Max));
    ShiftBox->addItem(Ru("в лучший момент"), static_cast<int>(ShiftRule::Best));
    ShiftBox->setToolTip(
        Ru("Когда переключать передачу: на наибольших допустимых оборотах, или там, где "
           "следующая передача разгоняет не хуже"));
    // The run's numbers, with the editor's rules: what is typed drives the sets at once where it
    // is a number in range, and is kept, or refused with a message, when the field is left.
    // The range of pairs stands on the pair tab (the window puts it there when it makes it).
    const char* const names[] = {"LaunchEdit", "ShiftTimeEdit", "PairFromEdit", "PairToEdit"};
    const char* const hints[] = {"Обороты, которые держит двигатель, пока сцепление пробуксовывает",
                                 "Сколько сцепление выключено при каждом переключении",
                                 "Наименьшая главная пара, с которой считается разгон",
                                 "Наибольшая главная пара, с которой считается разгон"};
    const int decimals[] = {0, 2, 2, 2};
    const double steps[] = {100, 0.1, 0.01, 0.01};
    for (std::size_t i = 0; i < kRunNumbers; ++i) {
        const NumberField<RunSettings>& field = RunNumberFields()[i];
        auto* edit = new DecimalSpin;
        edit->setObjectName(QString::fromLatin1(names[i]));
        edit->SetRange(field.Range.min, field.Range.max);
        edit->SetDecimals(decimals[i]);
        edit->SetStep(steps[i]);
        edit->setToolTip(Ru(hints[i]));
        // Its text field is the spin box's own, and says when the user has typed.
        connect(edit->findChild<QLineEdit*>(), &QLineEdit::textEdited, this,
                [this, i] { NumberTyped(i, false); });
        connect(edit, &DecimalSpin::Stepped, this, [this, i] { NumberTyped(i, true); });
        connect(edit, &QAbstractSpinBox::editingFinished, this, [this, i] {
            RunHandler([this, i] {
                if (CommitNumber(i)) SaveRun();
            });
        });
        numbers_[i] = edit;
    }
    LaunchEdit = numbers_[0];
    ShiftTimeEdit = numbers_[1];

    // The run's choices on one line, or where the window is narrower than that, on two: the
    // shift rule over the numbers (ArrangeRunRow).  The row asks for the width of its wider
    // half only, so that the window fits a small screen.
    RunRow = new QWidget;
    RunRow->setObjectName(QStringLiteral("RunRow"));
    runLines_ = new QBoxLayout(QBoxLayout::LeftToRight, RunRow);
    runLines_->setContentsMargins(0, 0, 0, 0);
    // Each half as wide as it asks, on either line.
    for (QWidget*& half : runHalves_) {
        half = new QWidget;
        auto* row = new QHBoxLayout(half);
        row->setContentsMargins(0, 0, 0, 0);
        runLines_->addWidget(half, 0, Qt::AlignLeft);
    }
    runHalves_[0]->layout()->addWidget(Caption("Переключение", ShiftBox));
    runHalves_[0]->layout()->addWidget(ShiftBox);
    auto* numbers = static_cast<QHBoxLayout*>(runHalves_[1]->layout());
    for (std::size_t i = 0; i < kPairFrom; ++i) {
        if (i > 0) numbers->addSpacing(kRunGap);
        auto* label = new QLabel(FromUtf8(RunNumberFields()[i].Label));
        label->setBuddy(numbers_[i]);
        numbers->addWidget(label);
        numbers->addWidget(numbers_[i]);
    }
    runLines_->addStretch(1);
    grid->addWidget(RunRow, 2, 0, 1, 7);
    ArrangeRunRow();

    connect(ShiftBox, &QComboBox::activated, this, [this] {
        RunHandler([this] {
            data_.Run.Shift = static_cast<ShiftRule>(ShiftBox->currentData().toInt());
            Refresh();
            SaveRun();
        });
    });
}

void DynamicsWindow::ArrangeRunRow() {
    const auto& [shift, numbers] = runHalves_;
    const int gap = numbers->layout()->spacing() + kRunGap;
    RunRow->setMinimumWidth(
        std::max(shift->minimumSizeHint().width(), numbers->minimumSizeHint().width()));
    const bool oneLine =
        RunRow->width() >= shift->sizeHint().width() + gap + numbers->sizeHint().width();
    runLines_->setDirection(oneLine ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    runLines_->setSpacing(oneLine ? gap : -1);
}

void DynamicsWindow::BuildActions() {
    const auto key = [this](std::initializer_list<QKeySequence> keys, auto handler) {
        auto* action = new QAction(this);
        action->setShortcuts(QList<QKeySequence>(keys));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, handler);
        addAction(action);
        keys_.push_back(action);
    };
    key({QKeySequence(Qt::CTRL | Qt::Key_C)}, [this] { CopyButton1Click(); });
    key({QKeySequence(Qt::CTRL | Qt::Key_S)}, [this] { SaveAs1Click(); });
    key({QKeySequence(Qt::CTRL | Qt::Key_P)}, [this] { Print1Click(); });
    key({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
        [this] { NextTab(1); });
    key({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
        [this] { NextTab(-1); });
}

void DynamicsWindow::FillChoices() {
    const QStringList engines = SortedNames(data_.Engines);
    const QStringList cars = SortedNames(data_.Cars);
    for (SetControls& c : set_) {
        c.engine->clear();
        c.engine->addItems(engines);
        c.car->clear();
        c.car->addItems(cars);
    }
    ShowChoices();
}

void DynamicsWindow::ShowChoices() {
    for (int set = 1; set <= 2; ++set) {
        const SetControls& c = set_[static_cast<std::size_t>(set - 1)];
        SelectName(c.engine, EngineChoice(data_.Run, set));
        SelectName(c.car, CarChoice(data_.Run, set));
    }
}

void DynamicsWindow::ShowRun() {
    ShiftBox->setCurrentIndex(ShiftBox->findData(static_cast<int>(data_.Run.Shift)));
    for (std::size_t i = 0; i < kRunNumbers; ++i)
        numbers_[i]->SetValue(data_.Run.*RunNumberFields()[i].Member);
}

void DynamicsWindow::SetGears(const ChartGears& gears) {
    gears_ = gears;
    Refresh();
}

void DynamicsWindow::DataChanged() {
    FillChoices();
    ShowRun();
    Refresh();
}

void DynamicsWindow::Refresh() {
    sets_ = MakeDynamicsSets(gears_, catalog_, data_);
    accelerationPlot_.Set(AccelerationPlot(sets_));
    balancePlot_.Set(BalancePlot(sets_));
    pairPage_->SetSets(sets_, data_.Run.PairFrom, data_.Run.PairTo);
    ShowSetLabels();
    FillGrid();
}

void DynamicsWindow::ShowSetLabels() {
    for (const DynamicsSet& s : sets_) {
        QLabel* label = set_[static_cast<std::size_t>(s.set - 1)].label;
        const QString style = SetLabelStyle(s.color);
        // A new style sheet is parsed and applied: only when the colour has changed.
        if (label->styleSheet() != style) label->setStyleSheet(style);
        const QString caption = FromUtf8(s.shown ? SetName(s.set) : HiddenSetNote(s.set));
        if (label->text() != caption) label->setText(caption);
    }
}

void DynamicsWindow::FillGrid() {
    const std::vector<TableRow> rows = ResultRows(sets_, true);
    const int columns = rows.empty() ? 0 : static_cast<int>(rows.front().size());
    Grid1->setUpdatesEnabled(false);
    Grid1->setRowCount(static_cast<int>(rows.size()));
    Grid1->setColumnCount(columns);
    for (int r = 0; r < Grid1->rowCount(); ++r)
        SetTableRow(Grid1, r, rows[static_cast<std::size_t>(r)]);
    FitGrid();
    Grid1->setUpdatesEnabled(true);
}

void DynamicsWindow::FitGrid() {
    const int columns = Grid1->columnCount();
    if (columns < 2) return;
    // The captions' width, measured once the rows are in; the sets share the rest.
    Grid1->resizeColumnToContents(0);
    const int frame = 2 * Grid1->frameWidth();
    const QScrollBar* scroll = Grid1->verticalScrollBar();
    const int room = std::max(0, Grid1->width() - frame - Grid1->columnWidth(0) -
                                     (scroll->isVisible() ? scroll->width() : 0));
    const int least = Grid1->fontMetrics().averageCharWidth() * kLeastSetColumn;
    for (int c = 1; c < columns; ++c)
        Grid1->setColumnWidth(c, std::max(least, room / (columns - 1)));
    // The rows of names and notes take the lines their wrapped texts need; the figures one.
    const int line = Grid1->verticalHeader()->defaultSectionSize();
    for (int r = 0; r < Grid1->rowCount(); ++r) {
        bool wraps = false;
        for (int c = 1; c < columns && !wraps; ++c) {
            const QTableWidgetItem* item = Grid1->item(r, c);
            wraps = item && !(item->textAlignment() & Qt::AlignRight) && !item->text().isEmpty();
        }
        if (wraps) {
            Grid1->resizeRowToContents(r);
            Grid1->setRowHeight(r, std::max(line, Grid1->rowHeight(r)));
        } else {
            Grid1->setRowHeight(r, line);
        }
    }
    Arrange();
}

int DynamicsWindow::TableWidth() const {
    const QAbstractItemView* view = Grid1;  // where the width its cells want is public
    const int least = Grid1->fontMetrics().averageCharWidth() * kLeastSetColumn;
    int width = 2 * Grid1->frameWidth() + Grid1->columnWidth(0) +
                Grid1->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, Grid1);
    for (int c = 1; c < Grid1->columnCount(); ++c)
        width += std::clamp(view->sizeHintForColumn(c), least, 2 * least);
    return width;
}

void DynamicsWindow::Arrange() {
    tablePlace_->Place(2 * Grid1->frameWidth() + Grid1->verticalHeader()->length(),
                       [this] { return TableWidth(); });
}

void DynamicsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FitGrid();
}

void DynamicsWindow::Chosen(int set, bool car) {
    RunHandler([&] {
        const SetControls& c = set_[static_cast<std::size_t>(set - 1)];
        const QComboBox* box = car ? c.car : c.engine;
        if (box->currentIndex() < 0) return;
        (car ? CarChoice(data_.Run, set) : EngineChoice(data_.Run, set)) =
            box->currentText().toStdString();
        ShowChoices();
        Refresh();
        SaveRun();
    });
}

void DynamicsWindow::EditRecords(int set, bool car) {
    RunHandler([&] {
        const std::string name = car ? CarChoice(data_.Run, set) : EngineChoice(data_.Run, set);
        // Modal; it writes the file when it closes.  What it renamed, added or deleted is
        // shown, and the sets are driven again.
        RunDynamicsEditor(this, data_, path_,
                          car ? DynamicsEditorPage::Cars : DynamicsEditorPage::Engines, name);
        DataChanged();
    });
}

void DynamicsWindow::NumberTyped(std::size_t i, bool stepped) {
    RunHandler([&] {
        const NumberField<RunSettings>& field = RunNumberFields()[i];
        const std::optional<double> typed = numbers_[i]->TypedValue();
        if (!typed || !field.Range.Contains(*typed)) return;  // not yet a value it may take
        if (data_.Run.*field.Member == *typed) return;
        // An end of the range typed beyond the other is not yet the range: "1" on the way to
        // "10" would move the other end.  A step moves it at once.
        const bool upsideDown = (i == kPairFrom && *typed > data_.Run.PairTo) ||
                                (i == kPairTo && *typed < data_.Run.PairFrom);
        if (upsideDown && !stepped) return;
        data_.Run.*field.Member = *typed;
        KeepPairOrder(i);
        Refresh();
    });
}

void DynamicsWindow::KeepPairOrder(std::size_t i) {
    RunSettings& run = data_.Run;
    if (run.PairFrom <= run.PairTo) return;
    if (i == kPairFrom) {
        run.PairTo = run.PairFrom;
        numbers_[kPairTo]->SetValue(run.PairTo);
    } else if (i == kPairTo) {
        run.PairFrom = run.PairTo;
        numbers_[kPairFrom]->SetValue(run.PairFrom);
    }
}

void DynamicsWindow::TabChanged() {
    const bool pairs = Tabs1->currentWidget() == pairPage_;
    Grid1->setVisible(!pairs);
    CopyButton1->setToolTip(pairs ? Ru("Таблица пар в буфер обмена (Ctrl+C)")
                                  : Ru("Таблица результатов в буфер обмена (Ctrl+C)"));
    if (!pairs) FitGrid();
}

bool DynamicsWindow::CommitNumber(std::size_t i) {
    DecimalSpin* edit = numbers_[i];
    if (!edit->Edited()) return true;
    const NumberField<RunSettings>& field = RunNumberFields()[i];
    const std::optional<double> typed = edit->TypedValue();
    if (auto refused = FieldRefusal(field, edit->Text().toStdString(), typed)) {
        // Back to the value kept, which the sets are driven with again.
        edit->Revert();
        if (data_.Run.*field.Member != edit->Value()) {
            data_.Run.*field.Member = edit->Value();
            Refresh();
        }
        SayRefused(*refused);
        return false;
    }
    edit->SetValue(*typed);
    const RunSettings before = data_.Run;
    data_.Run.*field.Member = *typed;
    KeepPairOrder(i);
    if (!(data_.Run == before)) Refresh();
    return true;
}

bool DynamicsWindow::SaveRun() {
    // A number still being typed is taken, or refused, first: the window closing, or the
    // program ending, keeps what the field would take, never the part of a refused number
    // that drove the sets on the way.
    for (std::size_t i = 0; i < kRunNumbers; ++i) CommitNumber(i);
    if (static_cast<const RunSettings&>(data_.Run) == written_) return true;
    // The message of a failed save takes the focus from a field, whose leaving saves again:
    // one save, and one message, at a time.
    if (saving_) return false;
    saving_ = true;
    const bool saved = SaveDynamics(data_, path_);
    saving_ = false;
    if (saved) written_ = data_.Run;
    return saved;
}

ChartPanel* DynamicsWindow::ShownChart() const {
    // A tab is a chart, or a page that holds one beside other controls.
    QWidget* page = Tabs1->currentWidget();
    if (auto* chart = qobject_cast<ChartPanel*>(page)) return chart;
    return page ? page->findChild<ChartPanel*>() : nullptr;
}

void DynamicsWindow::CopyButton1Click() {
    if (Tabs1->currentWidget() == pairPage_) {
        pairPage_->CopyTable();
        return;
    }
    RunHandler([this] { PutTableOnClipboard(ResultsHtml(sets_), ResultsTsv(sets_)); });
}

void DynamicsWindow::SaveAs1Click() {
    if (ChartPanel* chart = ShownChart()) chart->SaveAs1Click();
}

void DynamicsWindow::Print1Click() {
    if (ChartPanel* chart = ShownChart()) chart->Print1Click();
}

void DynamicsWindow::NextTab(int step) {
    const int count = Tabs1->count();
    if (count > 0) Tabs1->setCurrentIndex((Tabs1->currentIndex() + step + count) % count);
}

bool DynamicsWindow::eventFilter(QObject* watched, QEvent* event) {
    // A text field claims Ctrl+C (and the tab widget Ctrl+Tab) for itself: here the
    // window's commands win, whatever has the focus.
    // The columns follow the table's width, and where it stands follows the window's size.
    if (watched == Grid1 && event->type() == QEvent::Resize) FitGrid();
    // The run's choices go onto two lines, or back onto one, as the window's width asks.
    if (watched == RunRow && event->type() == QEvent::Resize) ArrangeRunRow();
    // A drop-down's text for no choice fills the room the drop-down has.
    if (auto* list = qobject_cast<QComboBox*>(watched);
        list && event->type() == QEvent::Resize && list->property(kNoChoiceProperty).isValid())
        FitNoChoiceText(list);
    if (event->type() == QEvent::ShortcutOverride) {
        const QKeySequence keys(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const QAction* action : keys_) {
            if (action->shortcuts().contains(keys)) {
                event->ignore();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DynamicsWindow::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as it closes a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DynamicsWindow::closeEvent(QCloseEvent* event) {
    RunHandler([this] { SaveRun(); });
    event->accept();
}

}  // namespace kelm
