#include "dynamicsui/dynamicseditor.h"

#include <QApplication>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "base/messages.h"
#include "base/numtext.h"
#include "chart/chartpanel.h"
#include "dynamics/dynamicsfile.h"
#include "dynamicsui/curveedit.h"
#include "dynamicsui/curvetable.h"
#include "editor/buttonicons.h"
#include "widgets/coreedge.h"
#include "widgets/decimalspin.h"

namespace kelm {

namespace {

// The size the dialog opens at where the screen has room for it.
constexpr QSize kOpeningSize(960, 620);
// Room for the car numbers' scroll bar.
constexpr int kScrollRoom = 24;
// The list's share of the opening width.
constexpr int kListWidth = 190;
// Where the preview would be narrower than this beside the table, it goes below the table.
constexpr int kLeastChartWidth = 280;

// How each car number is shown and stepped: enough decimals for the values people use
// (Cx 0,48, rolling resistance 0,015, frontal area 1,80).
struct CarFieldLook {
    std::string_view key;
    int decimals;
    double step;
};
constexpr CarFieldLook kCarLooks[] = {
    {"mass", 0, 10},
    {"cx", 2, 0.01},
    {"area", 2, 0.01},
    {"rolling", 3, 0.001},
    {"efficiency", 2, 0.01},
    {"driven", 2, 0.01},
    {"grip", 2, 0.05},
    {"delta_wheels", 3, 0.005},
    {"delta_engine", 3, 0.005},
};

CarFieldLook LookOf(std::string_view key) {
    for (const CarFieldLook& look : kCarLooks) {
        if (look.key == key) return look;
    }
    return {key, 3, 0.01};
}

// A name field takes at most kMaxDynamicsNameLength characters, typed or pasted; what would
// go beyond is refused whole (the field says so through inputRejected).
class NameLengthValidator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return input.toUcs4().size() <= qsizetype(kMaxDynamicsNameLength) ? Acceptable : Invalid;
    }
};

QPushButton* MakeButton(const char* name, const char* caption, const char* hint,
                        const QIcon& icon = {}) {
    auto* button = new QPushButton(icon, QString::fromUtf8(caption));
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(QString::fromUtf8(hint));
    // No default button: Enter in a field or a cell must not add, delete or close.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// How hints and messages name a record's name field.
std::string NameCaption(bool car) { return car ? "Название автомобиля" : "Название двигателя"; }

QListWidgetItem* NameItem(const std::string& name) {
    auto* item = new QListWidgetItem(FromUtf8(name));
    item->setToolTip(FromUtf8(name));  // the list cuts a long name with "…"
    return item;
}

}  // namespace

bool RunDynamicsEditor(QWidget* parent, DynamicsData& data, const std::string& path,
                       DynamicsEditorPage page, std::string_view select) {
    const DynamicsData before = data;
    DynamicsEditor dialog(data, path, parent);
    dialog.Select(page, select);
    dialog.exec();
    return !(data == before);
}

DynamicsEditor::DynamicsEditor(DynamicsData& data, std::string path, QWidget* parent)
    : QDialog(parent), data_(data), path_(std::move(path)) {
    setObjectName(QStringLiteral("DynamicsForm"));
    setWindowTitle(QStringLiteral("Двигатели и автомобили"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("PageControl1"));
    Tabs->addTab(BuildPage(engines_), QStringLiteral("Двигатели"));
    Tabs->addTab(BuildPage(cars_), QStringLiteral("Автомобили"));
    Tabs->widget(0)->setObjectName(QStringLiteral("EnginesPage"));
    Tabs->widget(1)->setObjectName(QStringLiteral("CarsPage"));

    CloseButton = MakeButton("CloseButton", "Закрыть", "Закрыть окно и сохранить файл");
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(CloseButton);
    auto* column = new QVBoxLayout(this);
    column->addWidget(Tabs, 1);
    column->addLayout(bottom);

    for (bool car : {false, true}) {
        QLineEdit* name = PageOf(car).Name;
        connect(name, &QLineEdit::editingFinished, this,
                [this, car] { RunHandler([this, car] { CommitName(car); }); });
        // More than a name may hold, typed or pasted: the field took none of it.
        connect(name, &QLineEdit::inputRejected, this, [this, car] {
            Refuse(NameCaption(car) + ": не длиннее " + std::to_string(kMaxDynamicsNameLength) +
                   " знаков");
        });
    }

    // The keyboard goes down each page, then to "Закрыть".
    QWidget* const order[] = {
        engines_.List,         engines_.AddButton, engines_.CopyButton, engines_.RenameButton,
        engines_.DeleteButton, engines_.Name,      CurveGrid,           AddPoint,
        DeletePoint,           PastePoints,        cars_.List,          cars_.AddButton,
        cars_.CopyButton,      cars_.RenameButton, cars_.DeleteButton,  cars_.Name};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    QWidget* last = cars_.Name;
    for (DecimalSpin* spin : CarSpins) {
        setTabOrder(last, spin);
        last = spin;
    }
    setTabOrder(last, CloseButton);

    for (bool car : {false, true}) {
        Page& page = PageOf(car);
        for (std::size_t i = 0; i < Count(car); ++i) page.List->addItem(NameItem(NameAt(car, i)));
        SelectRow(car, Count(car) > 0 ? 0 : -1);
    }

    // As large as the screen allows, up to a size that shows a whole curve and its chart.
    if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableGeometry().size() - QSize(16, 48);
        resize(kOpeningSize.boundedTo(room));
    } else {
        resize(kOpeningSize);
    }
    engines_.List->setFocus();
}

DynamicsEditor::~DynamicsEditor() {
    // The controls go after this part of the dialog; a field that has the focus then loses it
    // and finishes its editing, which must not reach the handlers of a dialog that is gone.
    for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
    // Nor do the table's last layouts read a curve the caller may have let go already.
    Curve->SetCurve(nullptr);
    // The panel goes while the plot it draws is still there.
    delete CurveChart;
    CurveChart = nullptr;
}

// The name field on top of a record's side.
static QLineEdit* MakeNameField(QWidget* parent, QVBoxLayout* column, const QString& name,
                                const std::string& hint) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setToolTip(FromUtf8(hint));
    field->setValidator(new NameLengthValidator(field));
    auto* label = new QLabel(QStringLiteral("&Название:"), parent);
    label->setBuddy(field);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(field, 1);
    column->addLayout(row);
    return field;
}

QWidget* DynamicsEditor::BuildPage(Page& page) {
    const bool car = page.car;
    const char* const kind = car ? "Car" : "Engine";
    const auto name = [kind](const char* what) {
        return QString::fromLatin1(kind) + QString::fromLatin1(what);
    };
    // The record's side: its name on top, then the curve or the car's numbers.
    auto* record = new QWidget;
    record->setObjectName(name("Record"));
    page.Record = record;
    auto* column = new QVBoxLayout(record);
    column->setContentsMargins(0, 0, 0, 0);
    page.Name = MakeNameField(record, column, name("Name"),
                              NameCaption(car) + ", не длиннее 255 знаков, своё у каждого");
    if (car)
        BuildCarRecord(column);
    else
        BuildEngineRecord(column);
    record->installEventFilter(this);

    auto* widget = new QWidget;
    page.List = new QListWidget;
    page.List->setObjectName(name("List"));
    page.List->setToolTip(car ? QStringLiteral("Автомобили в том порядке, в каком их хранит файл")
                              : QStringLiteral("Двигатели в том порядке, в каком их хранит файл"));
    // A long name is cut with "…" (its tooltip shows it whole); it never widens the dialog.
    page.List->setTextElideMode(Qt::ElideRight);
    page.List->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    page.List->setWordWrap(false);
    page.List->setUniformItemSizes(true);
    page.List->setMinimumWidth(120);
    page.List->installEventFilter(this);

    page.AddButton =
        MakeButton(car ? "AddCarButton" : "AddEngineButton", "Добавить",
                   car ? "Добавить автомобиль (Insert)" : "Добавить двигатель (Insert)", AddIcon());
    page.CopyButton = MakeButton(
        car ? "CopyCarButton" : "CopyEngineButton", "Копировать",
        car ? "Добавить копию выбранного автомобиля" : "Добавить копию выбранного двигателя");
    page.RenameButton = MakeButton(car ? "RenameCarButton" : "RenameEngineButton", "Переименовать",
                                   "Изменить название (F2)");
    page.DeleteButton = MakeButton(
        car ? "DeleteCarButton" : "DeleteEngineButton", "Удалить",
        car ? "Удалить автомобиль (Delete)" : "Удалить двигатель (Delete)", DeleteIcon());
    connect(page.AddButton, &QPushButton::clicked, this, [this, car] { AddClick(car); });
    connect(page.CopyButton, &QPushButton::clicked, this, [this, car] { CopyClick(car); });
    connect(page.RenameButton, &QPushButton::clicked, this, [this, car] { RenameClick(car); });
    connect(page.DeleteButton, &QPushButton::clicked, this, [this, car] { DeleteClick(car); });
    connect(page.List, &QListWidget::currentRowChanged, this,
            [this, car] { RunHandler([this, car] { ShowRecord(car); }); });

    // The buttons in a row above the list, so that the list may be narrow on a small screen.
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {page.AddButton, page.CopyButton, page.RenameButton, page.DeleteButton})
        buttons->addWidget(b);
    buttons->addStretch(1);

    auto* split = new QSplitter(Qt::Horizontal);
    split->setObjectName(name("Split"));
    split->setChildrenCollapsible(false);
    split->addWidget(page.List);
    split->addWidget(record);
    split->setStretchFactor(0, 0);
    split->setStretchFactor(1, 1);
    split->setSizes({kListWidth, kOpeningSize.width() - kListWidth});
    auto* layout = new QVBoxLayout(widget);
    layout->addLayout(buttons);
    layout->addWidget(split, 1);
    return widget;
}

void DynamicsEditor::BuildEngineRecord(QVBoxLayout* column) {
    Curve = new CurveModel(this);
    CurveGrid = new CurveTable(Curve);
    CurveGrid->setObjectName(QStringLiteral("CurveGrid"));
    connect(Curve, &CurveModel::CurveChanged, this,
            [this] { RunHandler([this] { ShowCurve(); }); });

    AddPoint =
        MakeButton("AddPoint", "Добавить", "Добавить точку после выбранной (Insert)", AddIcon());
    DeletePoint = MakeButton("DeletePoint", "Удалить", "Удалить выбранные точки", DeleteIcon());
    PastePoints = MakeButton("PastePoints", "Вставить",
                             "Заменить точки двумя столбцами из электронной таблицы, "
                             "скопированными в буфер обмена (Ctrl+V)");
    connect(AddPoint, &QPushButton::clicked, CurveGrid, &CurveTable::AddPointClick);
    connect(DeletePoint, &QPushButton::clicked, CurveGrid, &CurveTable::DeletePointClick);
    connect(PastePoints, &QPushButton::clicked, CurveGrid, &CurveTable::PasteClick);
    auto* pointButtons = new QHBoxLayout;
    pointButtons->addWidget(AddPoint);
    pointButtons->addWidget(DeletePoint);
    pointButtons->addWidget(PastePoints);
    pointButtons->addStretch(1);

    auto* hint = new QLabel(
        QStringLiteral("Точки упорядочены по оборотам, обороты не повторяются, точек от 2 до 64."));
    hint->setObjectName(QStringLiteral("CurveHint"));
    hint->setWordWrap(true);
    hint->setForegroundRole(QPalette::PlaceholderText);

    auto* tableBox = new QGroupBox(QStringLiteral("Момент при полной нагрузке"));
    tableBox->setObjectName(QStringLiteral("CurveBox"));
    auto* tableColumn = new QVBoxLayout(tableBox);
    tableColumn->addWidget(CurveGrid, 1);
    tableColumn->addLayout(pointButtons);
    tableColumn->addWidget(hint);

    CurveChart = new ChartPanel(plot_);
    CurveChart->setObjectName(QStringLiteral("CurveChart"));
    CurveChart->setToolTip(QStringLiteral("Момент и мощность по оборотам"));
    CurveChart->setMinimumSize(160, 100);

    // One above the other until the dialog knows its width: side by side, the two would
    // make the dialog wider than a small screen before ArrangeCurve could part them.
    CurveSplit = new QSplitter(Qt::Vertical);
    CurveSplit->setObjectName(QStringLiteral("CurveSplit"));
    CurveSplit->setChildrenCollapsible(false);
    CurveSplit->addWidget(tableBox);
    CurveSplit->addWidget(CurveChart);
    column->addWidget(CurveSplit, 1);
    // Stacked, the two share the height from the start: left to their wishes, the table
    // would take all it asks and leave the preview its least height.
    StretchCurve(Qt::Vertical);
    CurveSplit->setSizes({1, 1});
}

void DynamicsEditor::BuildCarRecord(QVBoxLayout* column) {
    // On a narrow screen a field goes below its caption, and the numbers scroll rather than
    // being cut.
    auto* numbers = new QWidget;
    numbers->setObjectName(QStringLiteral("CarNumbers"));
    auto* form = new QFormLayout(numbers);
    form->setContentsMargins(0, 0, 0, 0);
    CarForm = form;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const auto fields = CarFields();
    static_assert(std::tuple_size_v<decltype(CarSpins)> == kCarRequiredFields + 2);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const auto& f = fields[i];
        const CarFieldLook look = LookOf(f.Key);
        auto* spin = new DecimalSpin(numbers);
        spin->setObjectName(QStringLiteral("car_") + FromUtf8(f.Key));
        spin->SetRange(f.Range.min, f.Range.max);
        spin->SetDecimals(look.decimals);
        spin->SetStep(look.step);
        const QString range = FromUtf8(RangeText(f.Range));
        spin->setToolTip(FromUtf8(f.Label) + QStringLiteral(": ") + range);
        auto* label = new QLabel(FromUtf8(f.Label) + QStringLiteral(":"), numbers);
        label->setBuddy(spin);
        auto* allowed = new QLabel(range, numbers);
        allowed->setForegroundRole(QPalette::PlaceholderText);
        auto* field = new QHBoxLayout;
        field->addWidget(spin);
        field->addWidget(allowed);
        form->addRow(label, field);
        CarSpins[i] = spin;
        connect(spin, &QAbstractSpinBox::editingFinished, this,
                [this, i] { RunHandler([this, i] { CommitCarField(i); }); });
        connect(spin, &DecimalSpin::Stepped, this, [this, i, spin] {
            RunHandler([this, i, spin] {
                const int row = Row(true);
                if (row >= 0) data_.Cars[std::size_t(row)].*CarFields()[i].Member = spin->Value();
            });
        });
    }
    // One width for all, so that the allowed values stand in a column too.
    int spinWidth = 0;
    for (DecimalSpin* spin : CarSpins) spinWidth = std::max(spinWidth, spin->sizeHint().width());
    for (DecimalSpin* spin : CarSpins) spin->setFixedWidth(spinWidth);
    auto* scroll = new QScrollArea;
    scroll->setWidget(numbers);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->viewport()->setAutoFillBackground(false);  // the page's own background
    numbers->setAutoFillBackground(false);
    column->addWidget(scroll, 1);
}

std::size_t DynamicsEditor::Count(bool car) const {
    return car ? data_.Cars.size() : data_.Engines.size();
}

const std::string& DynamicsEditor::NameAt(bool car, std::size_t row) const {
    return car ? data_.Cars[row].Name : data_.Engines[row].Name;
}

int DynamicsEditor::Row(bool car) const {
    const int row = (car ? cars_ : engines_).List->currentRow();
    return row >= 0 && std::size_t(row) < Count(car) ? row : -1;
}

void DynamicsEditor::Select(DynamicsEditorPage page, std::string_view name) {
    const bool car = page == DynamicsEditorPage::Cars;
    Tabs->setCurrentIndex(car ? 1 : 0);
    const auto index = car ? data_.CarIndex(name) : data_.EngineIndex(name);
    if (index) SelectRow(car, static_cast<int>(*index));
    PageOf(car).List->setFocus();
}

void DynamicsEditor::SelectRow(bool car, int row) {
    QListWidget* list = PageOf(car).List;
    {
        const QSignalBlocker quiet(list);
        list->setCurrentRow(row);
    }
    ShowRecord(car);
    if (row >= 0) list->scrollToItem(list->item(row));
}

void DynamicsEditor::ShowRecord(bool car) {
    Page& page = PageOf(car);
    const int row = Row(car);
    const bool any = row >= 0;
    page.Record->setEnabled(any);
    page.CopyButton->setEnabled(any);
    page.RenameButton->setEnabled(any);
    page.DeleteButton->setEnabled(any);
    page.Name->setText(any ? FromUtf8(NameAt(car, std::size_t(row))) : QString());
    page.Name->setCursorPosition(0);  // a long name from its beginning
    if (car) {
        const auto fields = CarFields();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (any)
                CarSpins[i]->SetValue(data_.Cars[std::size_t(row)].*fields[i].Member);
            else
                CarSpins[i]->Clear();
        }
    } else {
        Curve->SetCurve(any ? &data_.Engines[std::size_t(row)].Torque : nullptr);
        ShowCurve();
    }
}

void DynamicsEditor::ShowCurve() {
    const auto* points = Curve->Points();
    plot_.Set(CurvePlot(points ? *points : std::vector<TorquePoint>{}));
    const int count = Curve->rowCount();
    DeletePoint->setEnabled(points && count > int(Engine::kMinPoints));
    AddPoint->setEnabled(points && count < int(Engine::kMaxPoints));
}

void DynamicsEditor::AddClick(bool car) {
    RunHandler([this, car] {
        // The table lets go of the curve before the list of engines may move in memory.
        if (!car) Curve->SetCurve(nullptr);
        const std::size_t at = car ? kelm::AddCar(data_) : kelm::AddEngine(data_);
        PageOf(car).List->insertItem(int(at), NameItem(NameAt(car, at)));
        SelectRow(car, int(at));
        RenameClick(car);  // a new record is named first
    });
}

void DynamicsEditor::CopyClick(bool car) {
    RunHandler([this, car] {
        const int row = Row(car);
        if (row < 0) return;
        if (!car) Curve->SetCurve(nullptr);
        const std::size_t at = car ? kelm::CopyCar(data_, std::size_t(row))
                                   : kelm::CopyEngine(data_, std::size_t(row));
        PageOf(car).List->insertItem(int(at), NameItem(NameAt(car, at)));
        SelectRow(car, int(at));
        RenameClick(car);
    });
}

void DynamicsEditor::RenameClick(bool car) {
    QLineEdit* name = PageOf(car).Name;
    if (!name->isEnabled() || Row(car) < 0) return;
    name->setFocus();
    name->selectAll();
}

bool DynamicsEditor::DeleteMsg(bool car, const std::string& name) {
    std::string text =
        std::string(car ? "Удалить автомобиль «" : "Удалить двигатель «") + ShortName(name) + "» ?";
    const RunSettings& run = data_.Run;
    const bool chosen =
        car ? (run.Car1 == name || run.Car2 == name) : (run.Engine1 == name || run.Engine2 == name);
    if (chosen) {
        text += car ? "\nОн выбран для расчёта разгона; выбор автомобиля станет пустым."
                    : "\nОн выбран для расчёта разгона; выбор двигателя станет пустым.";
    }
    return AppMessages().AskYesNo(text, "Удаление");
}

void DynamicsEditor::DeleteClick(bool car) {
    RunHandler([this, car] {
        const int row = Row(car);
        if (row < 0 || !DeleteMsg(car, NameAt(car, std::size_t(row)))) return;
        if (!car) Curve->SetCurve(nullptr);
        if (car)
            kelm::DeleteCar(data_, std::size_t(row));
        else
            kelm::DeleteEngine(data_, std::size_t(row));
        QListWidget* list = PageOf(car).List;
        {
            const QSignalBlocker quiet(list);
            delete list->takeItem(row);
        }
        SelectRow(car, std::min(row, list->count() - 1));
        list->setFocus();
    });
}

void DynamicsEditor::Refuse(const std::string& text) {
    ++refusals_;
    SayRefused(text);
}

bool DynamicsEditor::CommitName(bool car) {
    Page& page = PageOf(car);
    const int row = Row(car);
    if (row < 0) return true;
    const std::string typed = page.Name->text().toStdString();
    const std::string old = NameAt(car, std::size_t(row));
    if (typed == old) return true;
    const auto problem = car ? kelm::RenameCar(data_, std::size_t(row), typed)
                             : kelm::RenameEngine(data_, std::size_t(row), typed);
    if (problem) {
        page.Name->setText(FromUtf8(old));
        page.Name->setCursorPosition(0);
        Refuse(NameCaption(car) + ": " + problem->Text);
        return false;
    }
    QListWidgetItem* item = page.List->item(row);
    item->setText(FromUtf8(typed));
    item->setToolTip(FromUtf8(typed));
    return true;
}

bool DynamicsEditor::CommitCarField(std::size_t i) {
    const int row = Row(true);
    DecimalSpin* spin = CarSpins[i];
    if (row < 0 || !spin->Edited()) return true;
    const auto& field = CarFields()[i];
    const auto value = spin->TypedValue();
    if (auto refused = FieldRefusal(field, spin->Text().toStdString(), value)) {
        spin->Revert();
        Refuse(*refused);
        return false;
    }
    data_.Cars[std::size_t(row)].*field.Member = *value;
    spin->SetValue(*value);
    return true;
}

bool DynamicsEditor::CommitEdits() {
    const int before = refusals_ + Curve->Refusals();
    CurveGrid->CommitOpenEditor();
    CommitName(false);
    CommitName(true);
    for (std::size_t i = 0; i < CarSpins.size(); ++i) CommitCarField(i);
    return refusals_ + Curve->Refusals() == before;
}

void DynamicsEditor::FormClose() {
    RunHandler([this] { SaveDynamics(data_, path_); });
}

void DynamicsEditor::done(int result) {
    // A value refused now keeps the dialog open: the user sees the message and the field
    // showing the stored value again, and closes once more.
    bool taken = false;
    RunHandler([&] { taken = CommitEdits(); });
    if (!taken) return;
    FormClose();
    QDialog::done(result);
}

void DynamicsEditor::keyPressEvent(QKeyEvent* event) {
    // Escape would close the dialog with what is being typed; Enter would press a button.
    // Neither does anything here: the close box and "Закрыть" close the dialog.
    if (event->matches(QKeySequence::Cancel) || event->key() == Qt::Key_Return ||
        event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool DynamicsEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == engines_.Record && event->type() == QEvent::Resize) ArrangeCurve();
    if (watched == cars_.Record && event->type() == QEvent::Resize) ArrangeCarNumbers();
    if (event->type() == QEvent::KeyPress) {
        for (bool car : {false, true}) {
            if (watched != PageOf(car).List) continue;
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->modifiers() != Qt::NoModifier) break;
            switch (key->key()) {
                case Qt::Key_Insert:
                    AddClick(car);
                    return true;
                case Qt::Key_Delete:
                    DeleteClick(car);
                    return true;
                case Qt::Key_F2:
                    RenameClick(car);
                    return true;
                default:
                    break;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DynamicsEditor::ArrangeCarNumbers() {
    int widest = 0;
    for (int row = 0; row < CarForm->rowCount(); ++row) {
        const int label = CarForm->itemAt(row, QFormLayout::LabelRole)->sizeHint().width();
        const int field = CarForm->itemAt(row, QFormLayout::FieldRole)->sizeHint().width();
        widest = std::max(widest, label + CarForm->horizontalSpacing() + field);
    }
    // Where a caption and its field do not fit side by side, every caption goes above its
    // field, so that the fields still stand in one column.
    CarForm->setRowWrapPolicy(cars_.Record->width() >= widest + kScrollRoom
                                  ? QFormLayout::DontWrapRows
                                  : QFormLayout::WrapAllRows);
}

void DynamicsEditor::StretchCurve(Qt::Orientation orientation) {
    // Side by side, the table keeps its width and the preview takes the rest; stacked, they
    // grow and shrink alike.
    CurveSplit->setStretchFactor(0, orientation == Qt::Vertical ? 1 : 0);
    CurveSplit->setStretchFactor(1, 1);
}

void DynamicsEditor::ArrangeCurve() {
    const int table = CurveSplit->widget(0)->sizeHint().width();
    const Qt::Orientation wanted =
        engines_.Record->width() >= table + kLeastChartWidth ? Qt::Horizontal : Qt::Vertical;
    if (CurveSplit->orientation() == wanted) return;
    CurveSplit->setOrientation(wanted);
    StretchCurve(wanted);
    if (wanted == Qt::Horizontal) {
        CurveSplit->setSizes({table, std::max(CurveSplit->width() - table, 1)});
    } else {
        const int whole = CurveSplit->height();
        CurveSplit->setSizes({whole / 2, whole - whole / 2});
    }
}

}  // namespace kelm
