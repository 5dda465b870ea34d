// The engines and cars editor: its lists, names, curve table, car numbers, questions and the
// file written when it closes.
#include "dynamicsui/dynamicseditor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "core/file_test_support.h"
#include "core/recording_messages.h"
#include "dynamics/dynamicsfile.h"
#include "dynamics/dynamicsjson.h"
#include "dynamicsui/curvetable.h"
#include "editor_test_support.h"
#include "mainwindow_fixture.h"
#include "widgets/decimalspin.h"

namespace kelm::testing {
namespace {

using Curve = std::vector<TorquePoint>;

const char* const kSampleEngine = "1,6 л 80 л.с.";
const char* const kSampleCar = "Седан 1120 кг";

class DynamicsEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = GlobalNumberFormat();
        GlobalNumberFormat().decimalSeparator = ',';
        Fresh();
    }
    void TearDown() override {
        dialog.reset();
        GlobalNumberFormat() = saved_;
    }

    std::string Path() const { return dir_ / "Kelm-dynamics.json"; }
    // The sample's data again, with no file and no messages yet, for the next case of a table;
    // the dialog over the old goes first.
    void Fresh() {
        dialog.reset();
        data = SampleDynamics();
        std::filesystem::remove(Path());
        messages_.shown.clear();
        messages_.asked.clear();
    }

    void Open(DynamicsEditorPage page = DynamicsEditorPage::Engines,
              std::string_view select = kSampleEngine) {
        dialog.reset();
        dialog = std::make_unique<DynamicsEditor>(data, Path());
        dialog->Select(page, select);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    template <class W>
    W* Get(const char* name) {
        W* widget = dialog->findChild<W*>(QString::fromLatin1(name));
        if (!widget) ADD_FAILURE() << "no control " << name;
        return widget;
    }
    CurveTable* Grid() { return Get<CurveTable>("CurveGrid"); }
    QString Cell(int row, int column) {
        return Grid()->model()->index(row, column).data().toString();
    }
    QStringList Column(int column) {
        QStringList cells;
        for (int r = 0; r < Grid()->model()->rowCount(); ++r) cells << Cell(r, column);
        return cells;
    }
    // The curve's cell being edited, as the user opens it; its editor.
    QLineEdit* EditCell(int row, int column) {
        const QModelIndex cell = Grid()->model()->index(row, column);
        Grid()->setFocus();
        Grid()->setCurrentIndex(cell);
        Grid()->edit(cell);
        return qobject_cast<QLineEdit*>(QApplication::focusWidget());
    }
    QStringList ListItems(const char* list) {
        QStringList items;
        for (int i = 0; i < Get<QListWidget>(list)->count(); ++i)
            items << Get<QListWidget>(list)->item(i)->text();
        return items;
    }
    void Click(const char* button) { QTest::mouseClick(Get<QPushButton>(button), Qt::LeftButton); }
    // The user selects a field's text and types over it, then leaves it with Tab.
    void TypeOver(QWidget* field, const QString& text) {
        field->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(field)) line->selectAll();
        if (auto* spin = qobject_cast<QAbstractSpinBox*>(field)) spin->selectAll();
        if (text.isEmpty()) QTest::keyClick(field, Qt::Key_Backspace);
        TypeKeys(field, text);
    }
    void Leave(QWidget* field) { QTest::keyClick(field, Qt::Key_Tab); }
    std::vector<std::string> Shown() const {
        std::vector<std::string> texts;
        for (const auto& m : messages_.shown) texts.push_back(m.text);
        return texts;
    }
    const Engine& SampleEngine() const { return *data.FindEngine(kSampleEngine); }

    TempFolder dir_;
    RecordingMessages messages_;
    DynamicsData data;
    std::unique_ptr<DynamicsEditor> dialog;
    NumberFormat saved_;
};

TEST_F(DynamicsEditorTest, PastedSpreadsheetColumnsReplaceTheCurveOnYes) {
    const QString pasted = QString::fromUtf8("Обороты\tМомент\n1000\t95,5\n2000\t112\n");
    const struct {
        const char* how;
        bool yes;
    } cases[] = {{"Ctrl+V", true}, {"menu", true}, {"Ctrl+V", false}, {"menu", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.how) + (c.yes ? ", Да" : ", Нет"));
        Fresh();
        Open();
        const Curve before = SampleEngine().Torque;
        QApplication::clipboard()->setText(pasted);
        messages_.answers = {c.yes};
        Grid()->setFocus();
        if (std::string(c.how) == "Ctrl+V")
            QTest::keyClick(Grid(), Qt::Key_V, Qt::ControlModifier);
        else
            Grid()->PasteAction()->trigger();
        ASSERT_EQ(messages_.asked.size(), 1u);
        EXPECT_EQ(messages_.asked[0].text,
                  "Заменить точки кривой (7 точек) вставленными из буфера обмена (2 точки)?");
        if (c.yes) {
            EXPECT_EQ(Column(0), QStringList({"1000", "2000"}));
            EXPECT_EQ(Column(1), QStringList({"95,5", "112"}));
            EXPECT_EQ(SampleEngine().Torque, (Curve{{1000, 95.5}, {2000, 112}}));
            EXPECT_EQ(dialog->Preview().series[2].points.size(), 2u);  // the preview followed
        } else {
            EXPECT_EQ(SampleEngine().Torque, before);
            EXPECT_EQ(Grid()->model()->rowCount(), 7);
        }
        EXPECT_TRUE(messages_.shown.empty());
    }
}

TEST_F(DynamicsEditorTest, APasteThatIsNotACurveSaysWhyAndOneNumberGoesIntoTheCell) {
    Open();
    Grid()->setCurrentIndex(Grid()->model()->index(1, CurveModel::kTorque));
    EXPECT_FALSE(Grid()->PasteText("1000\t95\nabc\t1\n"));
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_NE(messages_.shown[0].text.find("строка 2: «abc\t1» — не два числа"), std::string::npos);
    EXPECT_TRUE(messages_.asked.empty());
    // A single cell of a spreadsheet, with its line end.
    EXPECT_TRUE(Grid()->PasteText("115,5\r\n"));
    EXPECT_EQ(SampleEngine().Torque[1], (TorquePoint{2000, 115.5}));
    EXPECT_TRUE(messages_.asked.empty());
    // A line of a speed and a torque is no number for the cell: the curve stays as it was.
    const Curve before = SampleEngine().Torque;
    Grid()->setCurrentIndex(Grid()->model()->index(0, CurveModel::kSpeed));
    EXPECT_FALSE(Grid()->PasteText("800 95"));
    EXPECT_EQ(SampleEngine().Torque, before);
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_NE(messages_.shown[1].text.find("строк с точками 1"), std::string::npos);
}

TEST_F(DynamicsEditorTest, PowerColumnsUseTheUsersSeparator) {
    for (char separator : {',', '.'}) {
        SCOPED_TRACE(separator);
        GlobalNumberFormat().decimalSeparator = separator;
        Open();
        const int row = static_cast<int>(Column(0).indexOf("5400"));
        ASSERT_GE(row, 0);
        const QString sep(QChar::fromLatin1(separator));
        EXPECT_EQ(Cell(row, CurveModel::kPowerKw), "58" + sep + "8");
        EXPECT_EQ(Cell(row, CurveModel::kPowerHp), "80" + sep + "0");
        EXPECT_EQ(Cell(0, CurveModel::kPowerHp), "13" + sep + "5");  // 1000 rev/min, 95 N·m
        // The computed columns are not for typing into.
        EXPECT_FALSE(Grid()->model()->flags(Grid()->model()->index(row, CurveModel::kPowerKw)) &
                     Qt::ItemIsEditable);
    }
}

TEST_F(DynamicsEditorTest, ATypedCellIsTakenOrRefusedWithTheFieldAndTheRule) {
    using C = CurveModel;
    const Curve kept = {{1000, 95}, {2000, 112}, {3000, 121}};  // the sample's first points
    const struct {
        int row, column;
        const char* typed;
        std::string message;  // empty: taken
        Curve after;          // the first three points after it
    } cases[] = {
        {0, C::kSpeed, "2500", "", {{2000, 112}, {2500, 95}, {3000, 121}}},
        {3, C::kSpeed, "500", "", {{500, 118}, {1000, 95}, {2000, 112}}},
        {1, C::kTorque, "112.5", "", {{1000, 95}, {2000, 112.5}, {3000, 121}}},
        {0, C::kSpeed, "3000",
         "Обороты, об/мин (точка 1): 3000 уже есть в точке 3: обороты точек не должны "
         "повторяться.",
         kept},
        {0, C::kSpeed, "0", "Обороты, об/мин (точка 1): 0 — вне пределов от 1 до 100000.", kept},
        {2, C::kTorque, "-1", "Момент, Н·м (точка 3): -1 — вне пределов от 0 до 100000.", kept},
        {2, C::kTorque, "сто", "Момент, Н·м (точка 3): «сто» — не число, а нужно от 0 до 100000.",
         kept},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Fresh();
        Open();
        QLineEdit* editor = EditCell(c.row, c.column);
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        TypeKeys(editor, QString::fromUtf8(c.typed));
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();  // the table takes the value after the key
        // Enter took the value and left the dialog open.
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(Grid()->indexWidget(Grid()->currentIndex()), nullptr);
        ASSERT_EQ(Shown().size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(Shown()[0], c.message);
        }
        const Curve& curve = SampleEngine().Torque;
        EXPECT_EQ(Curve(curve.begin(), curve.begin() + 3), c.after);
        EXPECT_FALSE(CurveProblem(curve));
        // The current cell follows a point that moved.
        if (c.message.empty() && c.column == C::kSpeed) {
            EXPECT_EQ(Cell(Grid()->currentIndex().row(), C::kSpeed), c.typed);
        }
    }
}

// A message box takes the focus from the cell's editor, whose loss of focus hands the same
// text in again: the user must still see one message, not two.
TEST_F(DynamicsEditorTest, ARefusedCellIsSaidOnceThoughTheMessageTakesTheFocus) {
    struct FocusTakingMessages : RecordingMessages {
        QWidget* takes = nullptr;
        void ShowMessage(const std::string& text, const std::string& caption,
                         MessageIcon icon) override {
            RecordingMessages::ShowMessage(text, caption, icon);
            takes->setFocus();
        }
    } boxes;
    Open();
    boxes.takes = Get<QWidget>("EngineName");
    QLineEdit* editor = EditCell(0, CurveModel::kSpeed);
    ASSERT_NE(editor, nullptr);
    editor->setText("3000");
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(SampleEngine().Torque[0].rpm, 1000);
}

TEST_F(DynamicsEditorTest, PointsAreAddedAfterTheChosenOneAndNeverFewerThanTwoLeft) {
    data.Engines[0].Torque = {{1000, 95}, {2000, 112}, {3000, 121}};
    Open();
    Grid()->setCurrentIndex(Grid()->model()->index(0, CurveModel::kTorque));
    Click("AddPoint");
    EXPECT_EQ(SampleEngine().Torque, (Curve{{1000, 95}, {1500, 103.5}, {2000, 112}, {3000, 121}}));
    EXPECT_EQ(Grid()->currentIndex(), Grid()->model()->index(1, CurveModel::kTorque));

    // Two chosen of four leave two; then one more may not go.
    Grid()->clearSelection();
    Grid()->selectionModel()->select(Grid()->model()->index(0, 0), QItemSelectionModel::Select);
    Grid()->selectionModel()->select(Grid()->model()->index(3, 1), QItemSelectionModel::Select);
    Click("DeletePoint");
    EXPECT_EQ(SampleEngine().Torque, (Curve{{1500, 103.5}, {2000, 112}}));
    EXPECT_TRUE(messages_.shown.empty());
    EXPECT_FALSE(Get<QPushButton>("DeletePoint")->isEnabled());
    EXPECT_FALSE(Grid()->Model()->RemovePoints({0}));
    ASSERT_EQ(Shown().size(), 1u);
    EXPECT_EQ(Shown()[0], "Кривая момента: точек должно остаться не меньше 2, а останется 1.");
    EXPECT_EQ(SampleEngine().Torque.size(), 2u);
}

TEST_F(DynamicsEditorTest, TheCarsNumbersShowWithTheirDecimalsAndARefusedOneKeepsTheDialogOpen) {
    const struct {
        const char* field;
        const char* typed;
        std::string message;  // empty: taken
        double stored;
    } cases[] = {
        {"car_mass", "50", "Масса с водителем, кг: 50 — вне пределов от 100 до 100000.", 1120},
        {"car_cx", "2,5",
         "Коэффициент аэродинамического сопротивления Cx: 2,5 — вне пределов от 0,05 до 2.", 0.48},
        {"car_rolling", "0,0,1",
         "Коэффициент сопротивления качению: «0,0,1» — не число, а нужно от 0,001 до 0,1.", 0.015},
        {"car_mass", "1 250", "", 1250},
        {"car_area", "2.1", "", 2.1},  // the other separator, as the numeric keypad gives it
        {"car_rolling", "0,1", "", 0.1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.typed);
        Fresh();
        Open(DynamicsEditorPage::Cars, kSampleCar);
        auto* spin = Get<DecimalSpin>(c.field);
        TypeOver(spin, QString::fromUtf8(c.typed));
        dialog->close();  // the close box: what is typed is taken first
        const Car& car = *data.FindCar(kSampleCar);
        const auto& field =
            *std::find_if(CarFields().begin(), CarFields().end(),
                          [&](const auto& f) { return "car_" + std::string(f.Key) == c.field; });
        EXPECT_EQ(car.*field.Member, c.stored);
        if (c.message.empty()) {
            EXPECT_TRUE(messages_.shown.empty());
            EXPECT_FALSE(dialog->isVisible());
            EXPECT_EQ(LoadDynamics(Path()).FindCar(kSampleCar)->*field.Member, c.stored);
        } else {
            ASSERT_EQ(Shown().size(), 1u);
            EXPECT_EQ(Shown()[0], c.message);
            EXPECT_EQ(messages_.shown[0].caption, "Недопустимое значение");
            EXPECT_TRUE(dialog->isVisible());
            EXPECT_FALSE(std::filesystem::exists(Path()));
            EXPECT_EQ(spin->Text(), spin->TextOf(c.stored));  // the stored value again
            dialog->close();
            EXPECT_FALSE(dialog->isVisible());
        }
    }
}

TEST_F(DynamicsEditorTest, CarNumbersShowEnoughDecimalsAndStepWithinTheirRange) {
    Open(DynamicsEditorPage::Cars, kSampleCar);
    const std::pair<const char*, const char*> shown[] = {
        {"car_mass", "1120"},     {"car_cx", "0,48"},         {"car_area", "1,80"},
        {"car_rolling", "0,015"}, {"car_efficiency", "0,90"}, {"car_delta_wheels", "0,040"},
    };
    for (const auto& [field, text] : shown)
        EXPECT_EQ(Get<DecimalSpin>(field)->Text(), text) << field;
    auto* cx = Get<DecimalSpin>("car_cx");
    cx->setFocus();
    QTest::keyClick(cx, Qt::Key_Up);
    EXPECT_EQ(data.FindCar(kSampleCar)->Cx, 0.49);
    auto* efficiency = Get<DecimalSpin>("car_efficiency");
    efficiency->setFocus();
    for (int i = 0; i < 20; ++i) QTest::keyClick(efficiency, Qt::Key_Up);
    EXPECT_EQ(data.FindCar(kSampleCar)->Efficiency, 1);  // held at its top
    EXPECT_EQ(efficiency->Text(), "1,00");
}

TEST_F(DynamicsEditorTest, DeleteAsksAndNoKeepsTheRecord) {
    const struct {
        bool car;
        bool yes;
        const char* question;
    } cases[] = {
        {false, false,
         "Удалить двигатель «1,6 л 80 л.с.» ?\nОн выбран для расчёта разгона; выбор "
         "двигателя станет пустым."},
        {false, true, nullptr},
        {true, false,
         "Удалить автомобиль «Седан 1120 кг» ?\nОн выбран для расчёта разгона; выбор "
         "автомобиля станет пустым."},
        {true, true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.car ? "car" : "engine") + (c.yes ? ", Да" : ", Нет"));
        Fresh();
        const DynamicsData before = data;
        Open(c.car ? DynamicsEditorPage::Cars : DynamicsEditorPage::Engines,
             c.car ? kSampleCar : kSampleEngine);
        const char* list = c.car ? "CarList" : "EngineList";
        const QStringList items = ListItems(list);
        messages_.answers = {c.yes};
        Click(c.car ? "DeleteCarButton" : "DeleteEngineButton");
        ASSERT_EQ(messages_.asked.size(), 1u);
        EXPECT_EQ(messages_.asked[0].caption, "Удаление");
        if (c.question) {
            EXPECT_EQ(messages_.asked[0].text, c.question);
        }
        if (!c.yes) {
            EXPECT_EQ(data, before);
            EXPECT_EQ(ListItems(list), items);
            continue;
        }
        EXPECT_EQ(ListItems(list), items.mid(1));
        // The next record is shown, and the run's choice is none.
        EXPECT_EQ(Get<QLineEdit>(c.car ? "CarName" : "EngineName")->text(), items[1]);
        EXPECT_EQ(c.car ? data.Run.Car1 : data.Run.Engine1, "");
        if (!c.car) {
            EXPECT_EQ(Column(0).size(), static_cast<qsizetype>(data.Engines[0].Torque.size()));
        }
    }
}

TEST_F(DynamicsEditorTest, WithoutEnginesTheRecordIsEmptyAndANewOneCanBeAdded) {
    Open();
    auto* list = Get<QListWidget>("EngineList");
    messages_.answers.assign(data.Engines.size(), true);
    list->setFocus();
    while (list->count() > 0) QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_TRUE(data.Engines.empty());
    EXPECT_FALSE(Get<QWidget>("EngineRecord")->isEnabled());
    EXPECT_FALSE(Get<QPushButton>("DeleteEngineButton")->isEnabled());
    EXPECT_EQ(Grid()->model()->rowCount(), 0);
    EXPECT_FALSE(Grid()->PasteText("1\t2\n3\t4"));  // no curve to paste into
    EXPECT_EQ(messages_.asked.size(), 4u);
    QTest::keyClick(list, Qt::Key_Insert);
    ASSERT_EQ(data.Engines.size(), 1u);
    EXPECT_EQ(data.Engines[0].Name, "Новый двигатель");
    EXPECT_EQ(Column(0), QStringList({"1000", "6000"}));
    dialog->close();
    EXPECT_EQ(LoadDynamics(Path()).Engines, data.Engines);
}

TEST_F(DynamicsEditorTest, AddCopyAndRenameKeepNamesValidAndUnique) {
    Open();
    Click("CopyEngineButton");
    EXPECT_EQ(
        ListItems("EngineList").mid(0, 2),
        QStringList({QString::fromUtf8(kSampleEngine), QString::fromUtf8("1,6 л 80 л.с. (2)")}));
    auto* name = Get<QLineEdit>("EngineName");
    EXPECT_TRUE(name->hasFocus());  // a new record is named first
    EXPECT_EQ(name->selectedText(), name->text());

    const struct {
        const char* typed;
        std::string message;  // empty: taken
    } cases[] = {
        {"", "Название двигателя: имя пустое."},
        {kSampleEngine, "Название двигателя: имя «1,6 л 80 л.с.» уже есть у другого двигателя."},
        {"1,6 л 80 л.с. тюнинг", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        messages_.shown.clear();
        TypeOver(name, QString::fromUtf8(c.typed));
        Leave(name);
        const std::string stored = data.Engines[1].Name;
        if (c.message.empty()) {
            EXPECT_EQ(stored, c.typed);
            EXPECT_TRUE(messages_.shown.empty());
        } else {
            EXPECT_EQ(Shown(), std::vector<std::string>{c.message});
            EXPECT_EQ(stored, "1,6 л 80 л.с. (2)");
            EXPECT_EQ(name->text().toStdString(), stored);
        }
        EXPECT_EQ(ListItems("EngineList")[1].toStdString(), stored);
    }

    // A new car: the defaults, a fresh name, at the end of the list.
    Open(DynamicsEditorPage::Cars, kSampleCar);
    Click("AddCarButton");
    EXPECT_EQ(ListItems("CarList").back(), QString::fromUtf8("Новый автомобиль"));
    EXPECT_EQ(Get<DecimalSpin>("car_mass")->Value(), Car{}.Mass);
}

TEST_F(DynamicsEditorTest, ThePreviewHasAShareOfTheHeightWhereItGoesBelowTheTable) {
    // Opened narrow (800 × 600) and made so later: the preview is stacked under the table
    // either way, and is as readable either way.
    for (const bool later : {false, true}) {
        SCOPED_TRACE(later ? "made narrow" : "opened narrow");
        Open();
        if (later) {
            dialog->resize(1200, 700);
            QApplication::processEvents();
        }
        dialog->resize(780, 552);
        QApplication::processEvents();
        auto* split = Get<QSplitter>("CurveSplit");
        ASSERT_EQ(split->orientation(), Qt::Vertical);
        EXPECT_GE(Get<QWidget>("CurveChart")->height(), split->height() / 3);
    }
}

TEST_F(DynamicsEditorTest, ALongNameIsCutInTheListNotTheDialogAndNoMoreCanBeTyped) {
    const std::string longName(kMaxDynamicsNameLength, 'W');
    data.Engines[0].Name = longName;
    data.Run.Engine1 = longName;
    Open(DynamicsEditorPage::Engines, longName);
    auto* list = Get<QListWidget>("EngineList");
    EXPECT_EQ(list->item(0)->toolTip().toStdString(), longName);
    // Fits a 640 × 480 screen, title bar included, however long the name.
    EXPECT_LE(dialog->minimumSizeHint().width(), 640);
    EXPECT_LE(dialog->minimumSizeHint().height(), 480 - 32);
    EXPECT_LE(list->sizeHint().width(), 300);

    auto* name = Get<QLineEdit>("EngineName");
    name->setFocus();
    name->end(false);
    TypeKeys(name, "W");
    EXPECT_EQ(Shown(), std::vector<std::string>{"Название двигателя: не длиннее 255 знаков."});
    QApplication::clipboard()->setText(QString(300, u'Ж'));
    name->selectAll();
    name->paste();
    EXPECT_EQ(name->text().toStdString(), longName);
    EXPECT_EQ(Shown().size(), 2u);
    dialog->close();
    EXPECT_EQ(LoadDynamics(Path()).Engines[0].Name, longName);
}

TEST_F(DynamicsEditorTest, TabGoesDownEachPageToClose) {
    const struct {
        DynamicsEditorPage page;
        std::vector<QString> order;
    } cases[] = {
        {DynamicsEditorPage::Engines,
         {"EngineList", "AddEngineButton", "CopyEngineButton", "RenameEngineButton",
          "DeleteEngineButton", "EngineName", "CurveGrid", "AddPoint", "DeletePoint", "PastePoints",
          "CloseButton"}},
        {DynamicsEditorPage::Cars,
         {"CarList", "AddCarButton", "CopyCarButton", "RenameCarButton", "DeleteCarButton",
          "CarName", "car_mass", "car_cx", "car_area", "car_rolling", "car_efficiency",
          "car_driven", "car_grip", "car_delta_wheels", "car_delta_engine", "CloseButton"}},
    };
    for (const auto& c : cases) {
        Open(c.page, "");
        std::vector<QString> order;
        for (QWidget* w = QApplication::focusWidget(); order.size() < c.order.size();
             w = QApplication::focusWidget()) {
            ASSERT_NE(w, nullptr);
            // A spin box's text field stands for the spin box.
            order.push_back(w->objectName() == "qt_spinbox_lineedit"
                                ? w->parentWidget()->objectName()
                                : w->objectName());
            QTest::keyClick(w, Qt::Key_Tab);
        }
        EXPECT_EQ(order, c.order);
    }
}

TEST_F(DynamicsEditorTest, EscapeAndEnterLeaveTheDialogOpen) {
    Open();
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        for (const char* where : {"EngineList", "EngineName", "CurveGrid"}) {
            QWidget* w = Get<QWidget>(where);
            w->setFocus();
            QTest::keyClick(w, key);
            EXPECT_TRUE(dialog->isVisible()) << where << " " << key;
        }
    }
    EXPECT_EQ(data, SampleDynamics());
    EXPECT_FALSE(std::filesystem::exists(Path()));
}

TEST_F(DynamicsEditorTest, RunningItSavesTheFileAndSaysWhetherTheDataChanged) {
    for (bool change : {false, true}) {
        SCOPED_TRACE(change);
        Fresh();
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<DynamicsEditor*>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->findChild<QTabWidget*>("PageControl1")->currentIndex(), 1);
            EXPECT_EQ(editor->findChild<QLineEdit*>("CarName")->text(),
                      QString::fromUtf8("Универсал 1450 кг"));
            if (change) {
                auto* grip = editor->findChild<DecimalSpin*>("car_grip");
                grip->setFocus();
                QTest::keyClick(grip, Qt::Key_Down);
            }
            QTest::mouseClick(editor->findChild<QPushButton*>("CloseButton"), Qt::LeftButton);
        });
        EXPECT_EQ(
            RunDynamicsEditor(nullptr, data, Path(), DynamicsEditorPage::Cars, "Универсал 1450 кг"),
            change);
        EXPECT_EQ(LoadDynamics(Path()), data);  // written also when nothing changed
        EXPECT_TRUE(messages_.shown.empty());
    }
}

// The menu item of the main window opens the editor on the window's engines and cars.
class MainWindowDynamics : public MainWindowTest {};

TEST_F(MainWindowDynamics, TheEditMenuOpensTheEditorAndItsCloseWritesTheFile) {
    WriteCatalog(SampleCatalogFile(','));
    const std::string path = dir_ / "Kelm-dynamics.json";
    Form1 f = Open();
    f->SetDynamicsPath(path);
    auto* item = f.Find<QAction>("Dynamics1");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), Ru("Двигатели и &автомобили..."));
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QWidget* editor = QApplication::activeModalWidget();
        ASSERT_NE(editor, nullptr);
        ran = true;
        EXPECT_EQ(editor->windowTitle(), Ru("Двигатели и автомобили"));
        EXPECT_EQ(editor->findChild<QLineEdit*>("EngineName")->text(), Ru(kSampleEngine));
        editor->close();
    });
    item->trigger();
    EXPECT_TRUE(ran);
    EXPECT_EQ(LoadDynamics(path), f->Dynamics());
    EXPECT_EQ(f->Dynamics(), SampleDynamics());
}

}  // namespace
}  // namespace kelm::testing
