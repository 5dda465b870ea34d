#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QGroupBox>
#include <QLabel>

#include "base/cp1251.h"
#include "base/numtext.h"
#include "ui/editor_test_support.h"

namespace kelm::testing {
namespace {

std::string Cp(const char* utf8) { return *Utf8ToCp1251(utf8); }
const QString kOverwrite = QStringLiteral("Такая запись уже существует. Перезаписать ?");

using EditorLayout = EditorFixture;

TEST_F(EditorLayout, ControlsSitWhereDesignedWithTheirHints) {
    Open();
    EXPECT_EQ(dialog->objectName(), "Form2");
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Настройка"));
    EXPECT_EQ(dialog->size(), QSize(503, 357));
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());

    struct Place {
        const char* name;
        QRect rect;
        const char* parent;
        const char* hint;
    };
    const Place places[] = {
        {"GroupBox1", {0, 0, 503, 129}, "Form2", ""},
        {"ComboBox1", {24, 40, 145, 24}, "GroupBox1", "Название ряда КПП "},
        {"ME1", {24, 88, 46, 24}, "GroupBox1", "Передаточное число 1 передачи"},
        {"ME5", {280, 88, 46, 24}, "GroupBox1", "передаточное число 5 передачи"},
        {"ME6", {344, 88, 46, 24}, "GroupBox1", "Передаточное число 6 передачи"},
        {"Button1", {280, 40, 97, 25}, "GroupBox1", "Добавить/Заменить запись"},
        {"Button4", {392, 40, 97, 25}, "GroupBox1", "Удалить запись"},
        {"GroupBox2", {0, 129, 503, 80}, "Form2", ""},
        {"ComboBox2", {24, 33, 65, 24}, "GroupBox2", "Список главных пар"},
        {"ME21", {112, 33, 49, 24}, "GroupBox2", "Передаточное число главной пары"},
        {"Button5", {392, 32, 97, 25}, "GroupBox2", "Удалить запись"},
        {"GroupBox3", {0, 209, 503, 148}, "Form2", ""},
        {"ComboBox3", {24, 33, 161, 24}, "GroupBox3", "Название резины"},
        {"SE3", {200, 31, 65, 26}, "GroupBox3", "Периметр резины по окружности"},
        {"Button3", {280, 32, 97, 25}, "GroupBox3", "Добавить/Заменить запись"},
        {"GroupBox4", {24, 72, 393, 65}, "GroupBox3", ""},
        {"SE4", {16, 35, 73, 22}, "GroupBox4", ""},
        {"SE1", {104, 35, 73, 22}, "GroupBox4", ""},
        {"SE2", {192, 35, 73, 22}, "GroupBox4", ""},
        {"BitBtn1", {288, 24, 89, 25}, "GroupBox4", ""},
    };
    for (const Place& p : places) {
        QWidget* w = Get<QWidget>(p.name);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->geometry(), p.rect) << p.name;
        EXPECT_EQ(w->parentWidget()->objectName(), p.parent) << p.name;
        EXPECT_EQ(w->toolTip(), QString::fromUtf8(p.hint)) << p.name;
    }
    EXPECT_EQ(Get<QLabel>("Label3")->pos(), QPoint(168, 72));
    EXPECT_EQ(Get<QLabel>("Label9")->text(), QStringLiteral("Периметр (мм.)"));
    EXPECT_EQ(Get<QPushButton>("BitBtn1")->text(), QStringLiteral("Посчитать"));
    for (const char* button : {"Button1", "Button4", "BitBtn1"}) {
        const QIcon icon = Get<QPushButton>(button)->icon();
        ASSERT_FALSE(icon.isNull()) << button;
        EXPECT_NE(icon.pixmap(16, QIcon::Normal).toImage(),
                  icon.pixmap(16, QIcon::Disabled).toImage())
            << button;
    }
    EXPECT_EQ(Get<QGroupBox>("GroupBox4")->palette().color(QPalette::WindowText),
              QColor(0, 128, 128));
    EXPECT_EQ(Get<QGroupBox>("GroupBox2")->palette().color(QPalette::WindowText),
              QColor(0, 0, 128));
    EXPECT_EQ(Get<QLabel>("Label1")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(Get<QLabel>("Label1")->font().bold());
    EXPECT_NE(Get<QLabel>("Label10")->palette().color(QPalette::WindowText), QColor(0, 128, 128));
    EXPECT_NE(Spin("SE4")->palette().color(QPalette::WindowText), QColor(0, 128, 128));
    EXPECT_NE(Spin("SE3")->palette().color(QPalette::WindowText), QColor(0, 0, 128));

    EXPECT_EQ(Get<NameComboBox>("ComboBox1")->MaxTyped(), 255);
    EXPECT_EQ(Get<NameComboBox>("ComboBox3")->MaxTyped(), 255);
    EXPECT_FALSE(List("ComboBox2")->isEditable());
    struct Range {
        const char* name;
        int max, typed;
    };
    for (const Range& r : {Range{"SE3", 100000, 5}, Range{"SE4", 1000, 3}, Range{"SE1", 10000, 4},
                           Range{"SE2", 10000, 4}}) {
        EXPECT_EQ(Spin(r.name)->MinValue(), 0) << r.name;
        EXPECT_EQ(Spin(r.name)->MaxValue(), r.max) << r.name;
        EXPECT_EQ(Spin(r.name)->Increment(), 1) << r.name;
        EXPECT_EQ(Spin(r.name)->MaxTyped(), r.typed) << r.name;
    }
}

TEST_F(EditorLayout, TabFollowsEachGroupsControls) {
    Open();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    List("ComboBox1")->setFocus();
    QStringList order;
    for (int i = 0; i < 21; ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(focus);
        // A list's or spin edit's line edit stands for its owner.
        if (focus->objectName().isEmpty() && focus->parentWidget()) focus = focus->parentWidget();
        order << focus->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order.join(' '),
              "ComboBox1 ME1 ME2 ME3 ME4 ME5 ME6 Button1 Button4 ComboBox2 ME21 Button2 Button5 "
              "ComboBox3 SE3 Button3 Button6 SE4 SE1 SE2 BitBtn1");
}

using EditorFill = EditorFixture;

TEST_F(EditorFill, EmptyCatalogShowsInitialContents) {
    Open();
    EXPECT_EQ(List("ComboBox1")->count(), 0);
    EXPECT_EQ(List("ComboBox2")->count(), 0);
    EXPECT_EQ(List("ComboBox3")->count(), 0);
    for (const std::string& r : Ratios()) EXPECT_EQ(r, "0,000");
    EXPECT_EQ(Field("ME21"), " ,   ");
    EXPECT_EQ(Spin("SE3")->text(), "0");
}

TEST_F(EditorFill, ListsAreSortedAsTextAndShowTheirFirstItem) {
    AddRow(Cp("Спорт"), {3.1, 2, 1.4, 1, 0.8, 0});
    AddRow(Cp("Длинный"), {12.5, 3.5454, 1.4, 1, 0.8, 0});
    AddRow(Cp("спорт 2"), {3, 2, 1, 0.9, 0, 0});
    AddPair(3.9);
    AddPair(10.5);
    AddPair(4.1);
    AddTyre(Cp("Бл 85 175/70-14"), 1886);
    AddTyre(Cp("Бл 85 165/70-13"), 1763);
    Open();
    EXPECT_EQ(Items("ComboBox1"), QStringList({"Длинный", "Спорт", "спорт 2"}));
    EXPECT_EQ(Items("ComboBox2"), QStringList({"10,5", "3,9", "4,1"}));  // as text, not by value
    EXPECT_EQ(Items("ComboBox3"), QStringList({"Бл 85 165/70-13", "Бл 85 175/70-14"}));
    EXPECT_EQ(List("ComboBox1")->currentText(), QStringLiteral("Длинный"));
    // 12.5 keeps only its first digit, 3.5454 is cut, 0 shows blank decimals.
    EXPECT_EQ(Ratios(),
              (std::array<std::string, 6>{"1,5  ", "3,545", "1,4  ", "1,   ", "0,8  ", "0,   "}));
    EXPECT_EQ(List("ComboBox2")->currentText(), "10,5");
    EXPECT_EQ(Field("ME21"), " ,   ");  // filling raises no change of the pair list
    EXPECT_EQ(List("ComboBox3")->currentText(), QStringLiteral("Бл 85 165/70-13"));
    EXPECT_EQ(Spin("SE3")->Value(), 1763);
    EXPECT_TRUE(messages.asked.empty());
}

TEST_F(EditorFill, RowShownCutIsStoredAsShownByAddAndYes) {
    AddRow(Cp("Длинный"), {12.5, 3.5454, 1.4, 1, 0.8, 0});
    Open();
    ASSERT_EQ(Field("ME1"), "1,5  ");
    ASSERT_EQ(Field("ME2"), "3,545");
    messages.answers = {true};
    Click("Button1");
    EXPECT_EQ(Asked(), std::vector<std::string>{kOverwrite.toStdString()});
    EXPECT_EQ(catalog.Rows.Count(), 1u);
    EXPECT_EQ(catalog.Rows[0].Ratios, (std::array<double, 6>{1.5, 3.545, 1.4, 1, 0.8, 0}));
}

TEST_F(EditorFill, StoredPerimeterOutsideTheRangeShowsClampedAndIsStoredClamped) {
    AddTyre("T", 250000);
    Open();
    EXPECT_EQ(Spin("SE3")->text(), "100000");
    messages.answers = {true};
    Click("Button3");
    EXPECT_EQ(catalog.Tyres[0].Perimeter, 100000);
}

using EditorRows = EditorFixture;

TEST_F(EditorRows, NewNameIsAddedAtTheEndAndListedInOrder) {
    AddRow("B", {3, 2, 1, 0.9, 0.8, 0});
    Open();
    TypeName("ComboBox1", "Ахтунг");
    TypeField("ME1", "3,5");
    TypeField("ME2", ",5");
    TypeField("ME3", "1");
    Click("Button1");
    EXPECT_TRUE(messages.asked.empty());
    ASSERT_EQ(catalog.Rows.Count(), 2u);
    EXPECT_EQ(catalog.Rows[1].Name, Cp("Ахтунг"));
    EXPECT_EQ(catalog.Rows[1].Ratios,
              (std::array<double, 6>{3.5, 0.5, 1, 0.9, 0.8, 0}));  // ME4.. as shown
    EXPECT_EQ(catalog.CurrentRow, catalog.Rows.At(1));
    EXPECT_EQ(Items("ComboBox1"), QStringList({"B", "Ахтунг"}));
    EXPECT_EQ(List("ComboBox1")->currentText(), QStringLiteral("Ахтунг"));
    EXPECT_EQ(List("ComboBox1")->currentIndex(), 0);  // the selection stays on "B"
    EXPECT_EQ(Field("ME2"), "0,5  ");                 // shown as stored
}

TEST_F(EditorRows, ExistingNameIsReplacedOnlyAfterYes) {
    AddRow("VAZ", {3.67, 2.1, 1.36, 1, 0.82, 0});
    Open();
    TypeField("ME1", "3,5");
    messages.answers = {false};
    Click("Button1");
    ASSERT_EQ(messages.asked.size(), 1u);
    EXPECT_EQ(messages.asked[0].text, kOverwrite.toStdString());
    EXPECT_EQ(messages.asked[0].caption, "Предупреждение!");
    EXPECT_DOUBLE_EQ(catalog.Rows[0].Ratios[0], 3.67);
    EXPECT_EQ(Field("ME1"), "3,67 ");  // what was typed is dropped

    TypeField("ME1", "3,5");
    TypeField("ME6", ",7");
    messages.answers = {true};
    Click("Button1");
    EXPECT_EQ(catalog.Rows.Count(), 1u);
    EXPECT_EQ(catalog.Rows[0].Ratios, (std::array<double, 6>{3.5, 2.1, 1.36, 1, 0.82, 0.7}));
    EXPECT_EQ(Field("ME6"), "0,7  ");
}

TEST_F(EditorRows, NamesDifferingInCaseAreDifferentRows) {
    AddRow("abc", {1, 0, 0, 0, 0, 0});
    Open();
    List("ComboBox1")->setEditText("ABC");  // pasted: no completion
    Click("Button1");
    EXPECT_TRUE(messages.asked.empty());
    EXPECT_EQ(catalog.Rows.Count(), 2u);
}

TEST_F(EditorRows, EmptyNameIsAccepted) {
    Open();
    Click("Button1");
    ASSERT_EQ(catalog.Rows.Count(), 1u);
    EXPECT_EQ(catalog.Rows[0].Name, "");
    EXPECT_EQ(Items("ComboBox1"), QStringList({""}));
}

TEST_F(EditorRows, UnreadableFieldStopsTheReplaceKeepingEarlierRatios) {
    AddRow("VAZ", {3.67, 2.1, 1.36, 1, 0.82, 0});
    Open();
    TypeField("ME1", "4");
    TypeField("ME2", "2,5");
    TypeField("ME3", "1,");
    Mask("ME3")->setCursorPosition(3);
    TypeKeys(Mask("ME3"), "5");  // "1, 5 ": a blank between digits
    ASSERT_EQ(Field("ME3"), "1, 5 ");
    TypeField("ME4", "9");
    messages.answers = {true};
    Click("Button1");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "'1, 5 ' is not a valid floating point value.");
    EXPECT_EQ(messages.shown[0].caption, AppTitle());
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(catalog.Rows[0].Ratios, (std::array<double, 6>{4, 2.5, 1.36, 1, 0.82, 0}));
    EXPECT_EQ(Field("ME4"), "9,   ");  // not refreshed
}

TEST_F(EditorRows, UnreadableFieldAddsNoNewRow) {
    AddRow("VAZ", {3.67, 2.1, 1.36, 1, 0.82, 0});
    Open();
    TypeName("ComboBox1", "New");
    TypeField("ME1", "1,");
    Mask("ME1")->setCursorPosition(3);
    TypeKeys(Mask("ME1"), "5");
    Click("Button1");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(catalog.Rows.Count(), 1u);
    EXPECT_EQ(Items("ComboBox1"), QStringList({"VAZ"}));
}

TEST_F(EditorRows, TypingCompletesToAnExistingNameWhichIsThenOverwritten) {
    AddRow(Cp("Стандартный"), {3.67, 2.1, 1.36, 1, 0.82, 0});
    AddRow(Cp("Спорт"), {3.1, 2, 1.4, 1, 0.8, 0});
    Open();  // shows "Спорт", the first in order
    QComboBox* box = List("ComboBox1");
    TypeName("ComboBox1", "ст");
    EXPECT_EQ(box->currentText(), QStringLiteral("Стандартный"));
    EXPECT_EQ(box->lineEdit()->selectedText(), QStringLiteral("андартный"));
    EXPECT_EQ(Field("ME1"), "3,67 ");  // looked up as soon as it was completed
    TypeKeys(box, "ан");               // typing on replaces the completed part and completes again
    EXPECT_EQ(box->currentText(), QStringLiteral("Стандартный"));
    EXPECT_EQ(box->lineEdit()->selectedText(), QStringLiteral("дартный"));
    messages.answers = {false};
    Click("Button1");
    EXPECT_EQ(Asked(), std::vector<std::string>{kOverwrite.toStdString()});
    EXPECT_EQ(catalog.Rows.Count(), 2u);
}

TEST_F(EditorRows, DeletingTheCompletionLeavesANewName) {
    AddRow(Cp("Стандартный"), {3.67, 2.1, 1.36, 1, 0.82, 0});
    Open();
    QComboBox* box = List("ComboBox1");
    TypeName("ComboBox1", "Ста");
    QTest::keyClick(box, Qt::Key_Delete);  // removes the selected completion
    EXPECT_EQ(box->currentText(), QStringLiteral("Ста"));
    QTest::keyClick(box, Qt::Key_Backspace);  // deleting never completes
    EXPECT_EQ(box->currentText(), QStringLiteral("Ст"));
    Click("Button1");
    EXPECT_TRUE(messages.asked.empty());
    EXPECT_EQ(catalog.Rows.Count(), 2u);
    EXPECT_EQ(catalog.Rows[1].Name, Cp("Ст"));
}

TEST_F(EditorRows, PickingAnotherRowShowsIt) {
    AddRow("A", {1, 0, 0, 0, 0, 0});
    AddRow("B", {2, 0, 0, 0, 0, 0});
    Open();
    EXPECT_EQ(Field("ME1"), "1,   ");
    QTest::keyClick(List("ComboBox1"), Qt::Key_Down);
    EXPECT_EQ(List("ComboBox1")->currentText(), "B");
    EXPECT_EQ(Field("ME1"), "2,   ");
    TypeName("ComboBox1", "X");  // no such row: the fields keep showing "B"
    EXPECT_EQ(Field("ME1"), "2,   ");
}

TEST_F(EditorRows, DeleteSelectsThePreviousItemOrTheNewFirst) {
    AddRow("C", {3, 0, 0, 0, 0, 0});
    AddRow("A", {1, 0, 0, 0, 0, 0});
    AddRow("B", {2, 0, 0, 0, 0, 0});
    Open();
    QTest::keyClick(List("ComboBox1"), Qt::Key_Down);  // "B", item 1
    messages.answers = {false};
    Click("Button4");
    EXPECT_EQ(Asked(), std::vector<std::string>{"Удалить запись ?"});
    EXPECT_EQ(messages.asked[0].caption, "Удаление");
    EXPECT_EQ(catalog.Rows.Count(), 3u);

    messages.answers = {true};
    Click("Button4");
    EXPECT_EQ(Items("ComboBox1"), QStringList({"A", "C"}));
    EXPECT_EQ(List("ComboBox1")->currentText(), "A");  // k - 1
    EXPECT_EQ(Field("ME1"), "1,   ");
    ASSERT_EQ(catalog.Rows.Count(), 2u);
    EXPECT_EQ(catalog.Rows[0].Name, "C");
    EXPECT_EQ(catalog.Rows[1].Name, "A");

    messages.answers = {true};
    Click("Button4");  // the first item: the new first is selected
    EXPECT_EQ(List("ComboBox1")->currentText(), "C");
    EXPECT_EQ(Field("ME1"), "3,   ");
    EXPECT_EQ(catalog.Rows.Count(), 1u);
}

TEST_F(EditorRows, DeleteOfAnUnknownNameAsksNothing) {
    AddRow("A", {1, 0, 0, 0, 0, 0});
    Open();
    TypeName("ComboBox1", "Zzz");
    Click("Button4");
    EXPECT_TRUE(messages.asked.empty());
    EXPECT_EQ(catalog.Rows.Count(), 1u);
}

TEST_F(EditorRows, DeletingTheCaseVariantRemovesItsOwnItem) {
    AddRow("ABC", {1, 0, 0, 0, 0, 0});
    AddRow("abc", {2, 0, 0, 0, 0, 0});
    Open();
    List("ComboBox1")->setEditText("abc");
    messages.answers = {true};
    Click("Button4");
    ASSERT_EQ(catalog.Rows.Count(), 1u);
    EXPECT_EQ(catalog.Rows[0].Name, "ABC");
    EXPECT_EQ(Items("ComboBox1"), QStringList({"ABC"}));  // the list still mirrors the catalog
}

TEST_F(EditorRows, DeletingTheLastRowShowsTheEmptyState) {
    AddRow("A", {3.5, 2, 0, 0, 0, 0});
    Open();
    messages.answers = {true};
    Click("Button4");
    EXPECT_TRUE(catalog.Rows.Empty());
    EXPECT_EQ(catalog.CurrentRow, nullptr);
    EXPECT_EQ(List("ComboBox1")->count(), 0);
    EXPECT_EQ(List("ComboBox1")->currentText(), "");
    for (const std::string& r : Ratios()) EXPECT_EQ(r, "0,000");
    // The dialog goes on working: a new row can be added.
    TypeName("ComboBox1", "B");
    Click("Button1");
    EXPECT_EQ(catalog.Rows.Count(), 1u);
}

TEST_F(EditorRows, NamesTheFileCannotHoldAreRefusedWithAReason) {
    Open();
    for (const QString& name :
         {QStringLiteral("Riads"), QStringLiteral("_"), QStringLiteral("Шина 漢字"),
          QStringLiteral("Два\nряда"), QStringLiteral("Два\rряда"), QStringLiteral("\x1AКонец")}) {
        messages.shown.clear();
        List("ComboBox1")->setEditText(name);
        Click("Button1");
        ASSERT_EQ(messages.shown.size(), 1u) << name.toStdString();
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
        EXPECT_TRUE(catalog.Rows.Empty()) << name.toStdString();
        EXPECT_EQ(List("ComboBox1")->count(), 0);
    }
    TypeName("ComboBox3", "Koless");
    Click("Button3");
    EXPECT_TRUE(catalog.Tyres.Empty());
    EXPECT_NE(messages.shown.back().text.find("Koless"), std::string::npos);
    EXPECT_TRUE(messages.asked.empty());
}

TEST_F(EditorRows, ControlCharactersTheFileKeepsAreAccepted) {
    Open();
    for (const QString& name :
         {QStringLiteral("ВАЗ\t2108"), QStringLiteral("\x01"), QStringLiteral("Ко\x1Aнец")}) {
        List("ComboBox1")->setEditText(name);
        Click("Button1");
        EXPECT_TRUE(messages.shown.empty()) << name.toStdString();
    }
    ASSERT_EQ(catalog.Rows.Count(), 3u);
    EXPECT_EQ(catalog.Rows[0].Name, Cp("ВАЗ\t2108"));
    EXPECT_EQ(catalog.Rows[2].Name, Cp("Ко\x1Aнец"));
    List("ComboBox3")->setEditText(QStringLiteral("Бл\t85"));
    Click("Button3");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(catalog.Tyres.Count(), 1u);
}

TEST_F(EditorRows, ANameTheCatalogHoldsIsNeverRefused) {
    AddRow(Cp("ВАЗ\t2108"), {3.67, 2.1, 1.36, 1, 0.82, 0});  // a tab, as a file can hold
    AddRow("Riads", {1, 0, 0, 0, 0, 0});                     // held however it got there
    AddTyre("Koless", 1800);
    Open();
    for (const QString& name : {QStringLiteral("ВАЗ\t2108"), QStringLiteral("Riads")}) {
        List("ComboBox1")->setEditText(name);
        TypeField("ME6", ",5");
        messages.answers = {true};
        Click("Button1");
        EXPECT_TRUE(messages.shown.empty()) << name.toStdString();
    }
    EXPECT_EQ(Asked().size(), 2u);
    EXPECT_EQ(catalog.Rows.Count(), 2u);
    EXPECT_DOUBLE_EQ(catalog.Rows[0].Ratios[5], 0.5);
    EXPECT_DOUBLE_EQ(catalog.Rows[1].Ratios[5], 0.5);

    List("ComboBox3")->setEditText(QStringLiteral("Koless"));
    TypeSpin("SE3", "1900");
    messages.answers = {true};
    Click("Button3");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(catalog.Tyres[0].Perimeter, 1900);
}

// The catalog file holds names of any length; 255 characters is only what can be typed.
using EditorLongNames = EditorFixture;

std::string LongName(char last) { return std::string(299, 'L') + last; }

TEST_F(EditorLongNames, ALongRowIsShownReplacedAndDeletedWhole) {
    AddRow("A", {1, 0, 0, 0, 0, 0});
    AddRow(LongName('1'), {3.5, 2, 1.4, 1, 0.8, 0});
    Open();
    QComboBox* box = List("ComboBox1");
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(box->currentText(), QString::fromStdString(LongName('1')));
    EXPECT_EQ(Field("ME1"), "3,5  ");

    TypeField("ME1", "4");
    messages.answers = {true};
    Click("Button1");
    EXPECT_EQ(Asked(), std::vector<std::string>{kOverwrite.toStdString()});
    ASSERT_EQ(catalog.Rows.Count(), 2u);
    EXPECT_DOUBLE_EQ(catalog.Rows[1].Ratios[0], 4);
    EXPECT_EQ(box->count(), 2);

    messages.answers = {true};
    Click("Button4");
    ASSERT_EQ(catalog.Rows.Count(), 1u);
    EXPECT_EQ(catalog.Rows[0].Name, "A");
    EXPECT_EQ(Items("ComboBox1"), QStringList({"A"}));
}

TEST_F(EditorLongNames, ALongTyreIsShownCompletedReplacedAndDeletedWhole) {
    AddTyre(LongName('2'), 1800);
    AddTyre("M", 1500);
    Open();
    QComboBox* box = List("ComboBox3");
    EXPECT_EQ(box->currentText(), QString::fromStdString(LongName('2')));
    EXPECT_EQ(Spin("SE3")->Value(), 1800);
    TypeName("ComboBox3", "M");
    EXPECT_EQ(Spin("SE3")->Value(), 1500);
    TypeName("ComboBox3", "l");  // completed to the whole long name
    EXPECT_EQ(box->currentText(), QString::fromStdString(LongName('2')));
    EXPECT_EQ(Spin("SE3")->Value(), 1800);

    TypeSpin("SE3", "1900");
    messages.answers = {true};
    Click("Button3");
    ASSERT_EQ(catalog.Tyres.Count(), 2u);
    EXPECT_EQ(catalog.Tyres[0].Perimeter, 1900);

    messages.answers = {true};
    Click("Button6");
    ASSERT_EQ(catalog.Tyres.Count(), 1u);
    EXPECT_EQ(catalog.Tyres[0].Name, "M");
}

TEST_F(EditorLongNames, TypingAndPastingStopAt255Characters) {
    AddRow(LongName('3'), {3.5, 2, 1.4, 1, 0.8, 0});
    Open();
    QComboBox* box = List("ComboBox1");
    QLineEdit* edit = box->lineEdit();
    // A long name shown can be shortened, but not made longer.
    edit->end(false);
    TypeKeys(box, "x");
    EXPECT_EQ(box->currentText().size(), 300);
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(box->currentText().size(), 299);
    TypeKeys(box, "x");
    EXPECT_EQ(box->currentText(), QString::fromStdString(LongName('3')).left(299));

    // Undo brings the long name back whole.
    TypeName("ComboBox1", "Q");
    ASSERT_EQ(box->currentText(), "Q");
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->currentText(), QString::fromStdString(LongName('3')).left(299));

    TypeName("ComboBox1", QString(300, QChar(u'Я')));
    EXPECT_EQ(box->currentText(), QString(255, QChar(u'Я')));

    // A paste is cut to what fits, the text after the cursor kept.
    box->setEditText(QStringLiteral("AB"));
    edit->setCursorPosition(1);
    QApplication::clipboard()->setText(QString(300, QChar(u'z')));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box->currentText(), QStringLiteral("A") + QString(253, QChar(u'z')) + "B");
    EXPECT_EQ(edit->cursorPosition(), 254);

    Click("Button1");  // a new row with the 255 characters
    ASSERT_EQ(catalog.Rows.Count(), 2u);
    EXPECT_EQ(catalog.Rows[1].Name.size(), 255u);
}

using EditorPairs = EditorFixture;

TEST_F(EditorPairs, NewPairIsAddedAndSelectedKeepingTheField) {
    AddPair(3.9);
    Open();
    TypeField("ME21", "4,1");
    EXPECT_EQ(Field("ME21"), "4,1  ");
    Click("Button2");
    ASSERT_EQ(catalog.Pairs.Count(), 2u);
    EXPECT_DOUBLE_EQ(catalog.Pairs[1], 4.1);
    EXPECT_EQ(catalog.CurrentPair, catalog.Pairs.At(1));
    EXPECT_EQ(Items("ComboBox2"), QStringList({"3,9", "4,1"}));
    EXPECT_EQ(List("ComboBox2")->currentText(), "4,1");
    EXPECT_EQ(Field("ME21"), "4,1  ");

    QTest::keyClick(List("ComboBox2"), Qt::Key_Up);  // picking a pair clears the field
    EXPECT_EQ(List("ComboBox2")->currentText(), "3,9");
    EXPECT_EQ(Field("ME21"), "0,   ");
}

TEST_F(EditorPairs, PresentPairIsFoundWhateverBlanksOrZerosTheFieldHolds) {
    AddPair(4.1);
    AddPair(3.545);
    Open();
    for (const char* typed : {"4,1", "4,100", "3,545"}) {
        messages.asked.clear();
        messages.answers = {true};
        TypeField("ME21", typed);
        Click("Button2");
        EXPECT_EQ(Asked(), std::vector<std::string>{kOverwrite.toStdString()}) << typed;
        EXPECT_EQ(catalog.Pairs.Count(), 2u) << typed;
        EXPECT_EQ(List("ComboBox2")->count(), 2) << typed;
    }
}

TEST_F(EditorPairs, ZeroBlankAndUnreadableValuesAddNothing) {
    Open();
    Click("Button2");  // blank field reads 0
    TypeField("ME21", "0");
    Click("Button2");
    EXPECT_TRUE(messages.shown.empty());
    TypeField("ME21", "1,");
    Mask("ME21")->setCursorPosition(3);
    TypeKeys(Mask("ME21"), "2");
    Click("Button2");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "'1, 2 ' is not a valid floating point value.");
    EXPECT_TRUE(catalog.Pairs.Empty());
    EXPECT_TRUE(messages.asked.empty());
}

TEST_F(EditorPairs, DeleteClearsTheFieldAndSelectsThePreviousPair) {
    AddPair(4.1);
    AddPair(3.9);
    AddPair(10.5);
    Open();
    QTest::keyClick(List("ComboBox2"), Qt::Key_End);  // "4,1", item 2
    TypeField("ME21", "5");  // after the pick, which cleared the field itself
    messages.answers = {true};
    Click("Button5");
    EXPECT_EQ(Items("ComboBox2"), QStringList({"10,5", "3,9"}));
    EXPECT_EQ(List("ComboBox2")->currentText(), "3,9");
    EXPECT_EQ(Field("ME21"), "0,   ");
    ASSERT_EQ(catalog.Pairs.Count(), 2u);
    EXPECT_DOUBLE_EQ(catalog.Pairs[0], 3.9);
    EXPECT_EQ(catalog.CurrentPair, nullptr);
}

TEST_F(EditorPairs, TypeAheadJumpsToTheFirstMatchAndRestartsAfterAPause) {
    for (double v : {3.9, 4.3, 4.1, 10.5, 4.55}) AddPair(v);
    Open();
    QComboBox* box = List("ComboBox2");
    QTest::keyClicks(box, "4");
    EXPECT_EQ(box->currentText(), "4,1");
    EXPECT_EQ(Field("ME21"), "0,   ");  // a user's pick
    QTest::keyClicks(box, ",5");
    EXPECT_EQ(box->currentText(), "4,55");
    QTest::qWait(PickComboBox::kTypeAheadMs + 100);
    QTest::keyClicks(box, "3");
    EXPECT_EQ(box->currentText(), "3,9");

    // In the open list the keys move the highlight; Enter picks.
    box->showPopup();
    QTest::qWait(PickComboBox::kTypeAheadMs + 100);
    QTest::keyClicks(box->view(), "4,3");
    EXPECT_EQ(box->view()->currentIndex().data().toString(), "4,3");
    EXPECT_EQ(box->currentText(), "3,9");
    QTest::keyClick(box->view(), Qt::Key_Return);
    EXPECT_EQ(box->currentText(), "4,3");
}

using EditorTyres = EditorFixture;

TEST_F(EditorTyres, AddReplaceAndDeleteTyres) {
    AddTyre("B", 1800);
    Open();
    TypeName("ComboBox3", "A");
    TypeSpin("SE3", "1763");
    Click("Button3");
    ASSERT_EQ(catalog.Tyres.Count(), 2u);
    EXPECT_EQ(catalog.Tyres[1].Perimeter, 1763);
    EXPECT_EQ(Items("ComboBox3"), QStringList({"A", "B"}));

    TypeSpin("SE3", "1900");
    messages.answers = {true};
    Click("Button3");
    EXPECT_EQ(catalog.Tyres[1].Perimeter, 1900);

    TypeName("ComboBox3", "B");
    EXPECT_EQ(Spin("SE3")->Value(), 1800);
    ClearSpin("SE3");  // not an integer: stored as 0
    messages.answers = {true};
    Click("Button3");
    EXPECT_EQ(catalog.Tyres[0].Perimeter, 0);
    TypeSpin("SE3", "-5");  // a sign can be typed; what is stored stays within the range
    messages.answers = {true};
    Click("Button3");
    EXPECT_EQ(catalog.Tyres[0].Perimeter, 0);

    messages.answers = {true};
    Click("Button6");  // "B" is item 1: "A" is selected and shown
    EXPECT_EQ(List("ComboBox3")->currentText(), "A");
    EXPECT_EQ(Spin("SE3")->Value(), 1900);
    messages.answers = {true};
    Click("Button6");
    EXPECT_TRUE(catalog.Tyres.Empty());
    EXPECT_EQ(catalog.CurrentTyre, nullptr);
    EXPECT_EQ(Spin("SE3")->text(), "0");
}

TEST_F(EditorTyres, NoToTheOverwriteQuestionRestoresThePerimeter) {
    AddTyre("B", 1800);
    Open();
    TypeSpin("SE3", "1900");
    messages.answers = {false};
    Click("Button3");
    EXPECT_EQ(Asked(), std::vector<std::string>{kOverwrite.toStdString()});
    EXPECT_EQ(catalog.Tyres[0].Perimeter, 1800);
    EXPECT_EQ(Spin("SE3")->Value(), 1800);
    EXPECT_EQ(Spin("SE3")->text(), "1800");
}

TEST_F(EditorTyres, CalculatorCountsBothSidewallsAndOnlyChangesThePerimeterField) {
    AddTyre("T", 1500);
    Open();
    struct Case {
        const char *rim, *width, *profile;
        int expected;
    };
    for (const Case& c : {Case{"13", "165", "70", 1763}, Case{"14", "175", "70", 1886},
                          Case{"15", "195", "65", 1993}, Case{"999", "9999", "9999", 100000}}) {
        TypeSpin("SE4", c.rim);
        TypeSpin("SE1", c.width);
        TypeSpin("SE2", c.profile);
        Click("BitBtn1");
        EXPECT_EQ(Spin("SE3")->Value(), c.expected) << c.rim << " " << c.width << " " << c.profile;
    }
    EXPECT_EQ(catalog.Tyres[0].Perimeter, 1500);

    TypeSpin("SE3", "1234");
    TypeSpin("SE1", "0");
    Click("BitBtn1");
    EXPECT_EQ(Spin("SE3")->Value(), 1234);
    ClearSpin("SE1");  // reads as 0 as well
    Click("BitBtn1");
    EXPECT_EQ(Spin("SE3")->text(), "1234");
}

TEST_F(EditorTyres, SpinEditsClampAndFillAnEmptyTextWhenLeft) {
    Open();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    SpinEdit* rim = Spin("SE4");
    TypeSpin("SE4", "99999");  // three characters at most
    EXPECT_EQ(rim->text(), "999");
    ClearSpin("SE4");
    EXPECT_EQ(rim->Value(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), rim);
    EXPECT_EQ(rim->text(), "0");  // filled in when left
    rim->setFocus();
    TypeSpin("SE4", "-5");
    EXPECT_EQ(rim->Value(), -5);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(rim->text(), "0");  // clamped when left
    rim->SetValue(5000);
    EXPECT_EQ(rim->text(), "1000");
    QTest::keyClick(rim, Qt::Key_Down);
    EXPECT_EQ(rim->Value(), 999);
}

using EditorClose = EditorFixture;

QByteArray FileBytes(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST_F(EditorClose, ClosingWritesTheCatalogEvenWithoutChanges) {
    AddPair(3.9);
    Open();
    ASSERT_EQ(FileBytes(DatPath()), "<missing>");
    dialog->close();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(FileBytes(DatPath()), "Riads\r\nParas\r\n_\r\n3,9\r\nKoless\r\n");
}

TEST_F(EditorClose, EscapeNeitherClosesNorLosesWhatWasTyped) {
    AddTyre(Cp("Ёжик"), 1400);
    Open();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    TypeName("ComboBox3", QStringLiteral("Ёж"));         // completed to "Ёжик"
    QTest::keyClick(List("ComboBox3"), Qt::Key_Delete);  // the completion dropped
    TypeSpin("SE3", "1501");
    QTest::keyClick(Spin("SE3"), Qt::Key_Escape);
    QTest::keyClick(List("ComboBox3"), Qt::Key_Escape);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(FileBytes(DatPath()), "<missing>");  // not closed: nothing written yet
    EXPECT_EQ(List("ComboBox3")->currentText(), QStringLiteral("Ёж"));
    EXPECT_EQ(Spin("SE3")->text(), "1501");

    // Escape still closes an open list's popup, and only that.
    QComboBox* box = List("ComboBox3");
    box->showPopup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box->view()->window()));
    QTest::keyClick(box->view(), Qt::Key_Escape);
    EXPECT_FALSE(box->view()->window()->isVisible());
    EXPECT_TRUE(dialog->isVisible());

    Click("Button3");
    dialog->close();  // the close box
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(FileBytes(DatPath()), QByteArray("Riads\r\nParas\r\nKoless\r\n_\r\n\xA8\xE6\xE8\xEA"
                                               "\r\n1400\r\n_\r\n\xA8\xE6\r\n1501\r\n"));
}

TEST_F(EditorClose, EnterInAFieldNeitherAddsNorCloses) {
    Open();
    TypeName("ComboBox1", "X");
    QTest::keyClick(List("ComboBox1"), Qt::Key_Return);
    QTest::keyClick(Mask("ME1"), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(catalog.Rows.Empty());
    EXPECT_EQ(List("ComboBox1")->count(), 0);
}

}  // namespace
}  // namespace kelm::testing

namespace kelm::testing {
namespace {

using EditorMaskedField = EditorFixture;

TEST_F(EditorMaskedField, KeysEditPositionsAndOtherWaysInKeepTheForm) {
    Open();
    MaskEdit* field = Mask("ME21");
    field->setFocus();
    field->setCursorPosition(0);
    TypeKeys(field, "a-. 7");  // only the digit is taken
    EXPECT_EQ(field->Text(), "7,   ");
    TypeKeys(field, "123");
    EXPECT_EQ(field->Text(), "7,123");
    QTest::keyClick(field, Qt::Key_Backspace);
    EXPECT_EQ(field->Text(), "7,12 ");
    field->setCursorPosition(0);
    QTest::keyClick(field, Qt::Key_Delete);
    EXPECT_EQ(field->Text(), " ,12 ");
    QTest::keyClick(field, Qt::Key_Backspace, Qt::ControlModifier);  // a word at a time
    QTest::keyClick(field, Qt::Key_K, Qt::ControlModifier);          // to the end of the line
    EXPECT_EQ(field->Text().size(), 5u);
    EXPECT_EQ(field->Text()[1], ',');

    field->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("2,75"));
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->Text(), "2,75 ");
    field->selectAll();
    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(field->Text(), " ,   ");
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("2,75 "));
    field->insert(QStringLiteral("99"));  // anything bypassing the keys is held to the form
    EXPECT_EQ(field->Text(), " ,   ");
}

TEST_F(EditorMaskedField, APointLocaleUsesThePointInEveryField) {
    GlobalNumberFormat().decimalSeparator = '.';
    struct Restore {
        ~Restore() { GlobalNumberFormat().decimalSeparator = ','; }
    } restore;
    AddRow("A", {3.9, 12.5, 0, 0, 0, 0});
    Open();
    EXPECT_EQ(Field("ME1"), "3.9  ");
    EXPECT_EQ(Field("ME2"), "1.5  ");
    EXPECT_EQ(Field("ME21"), " .   ");
    TypeField("ME21", "4.1");
    Click("Button2");
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(catalog.Pairs.Count(), 1u);
    EXPECT_DOUBLE_EQ(catalog.Pairs[0], 4.1);
    EXPECT_EQ(Items("ComboBox2"), QStringList({"4.1"}));
    TypeField("ME3", ".25");
    messages.answers = {true};
    Click("Button1");
    EXPECT_DOUBLE_EQ(catalog.Rows[0].Ratios[2], 0.25);
    Open();  // a new dialog starts with "0.000" where there is nothing to show
    EXPECT_EQ(Field("ME1"), "3.9  ");
    catalog.ClearCatalog();
    Open();
    EXPECT_EQ(Field("ME1"), "0.000");
}

TEST(EditorSortedList, InsertsAtTheTextOrderIgnoringCaseAndKeepsTheSelection) {
    QComboBox list;
    list.setEditable(true);
    list.setEditText(QStringLiteral("typed"));
    for (const char* item : {"b", "3,9", "A", "10,5", "C", "a"})
        InsertSortedItem(&list, QString::fromUtf8(item));
    QStringList items;
    for (int i = 0; i < list.count(); ++i) items << list.itemText(i);
    EXPECT_EQ(items, QStringList({"10,5", "3,9", "A", "a", "b", "C"}));
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_EQ(list.currentText(), QStringLiteral("typed"));

    QComboBox filled;  // a fill in one go gives the same order
    filled.setEditable(true);
    AddSortedItems(&filled, {"b", "3,9", "A", "10,5", "C", "a"});
    QStringList bulk;
    for (int i = 0; i < filled.count(); ++i) bulk << filled.itemText(i);
    EXPECT_EQ(bulk, items);
    EXPECT_EQ(filled.currentIndex(), -1);
}

}  // namespace
}  // namespace kelm::testing
