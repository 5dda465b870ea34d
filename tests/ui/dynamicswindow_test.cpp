#include "dynamicsui/dynamicswindow.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <functional>

#include "dynamics/dynamicsfile.h"
#include "dynamics/dynamicsjson.h"
#include "dynamicswindow_fixture.h"

namespace kelm::testing {
namespace {

TEST_F(DynamicsWindowTest, CtrlDOpensOneWindowThatFollowsTheMainWindow) {
    Form1 f = OpenExample();
    RazgonForm d = PressCtrlD(f);
    ASSERT_TRUE(d);
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(d->isWindow());
    EXPECT_EQ(d->windowModality(), Qt::NonModal);
    EXPECT_EQ(d->windowTitle(), Ru("Динамика разгона"));
    EXPECT_EQ(d.Tabs1->tabText(0), Ru("Разгон"));
    EXPECT_EQ(d.Tabs1->tabText(1), Ru("Тяговый баланс"));
    EXPECT_EQ(Heading(d.Grid1, 1),
              Ru("4-ступ. классическая 3,67-2,10-1,36-1,00 · 3,9 · 175/70 R13"));
    EXPECT_EQ(Heading(d.Grid1, 2), Ru("Набор 2 скрыт"));
    EXPECT_EQ(d.EngineBox1->currentText(), Ru("1,6 л 80 л.с."));
    EXPECT_EQ(Cell(d.Grid1, "Максимальная скорость, км/ч", 1), "159,4");

    // Each change of the main window, and what the window shows after it.
    const struct {
        const char* what;
        std::function<void()> change;
        std::function<void()> check;
    } steps[] = {
        {"SE1 lowered to 5000: the shifts at 5000 rev/min", [&] { f.SE1->SetValue(5000); },
         [&] { EXPECT_EQ(Cell(d.Grid1, "Переключение 1→2, об/мин", 1), Ru("5 000")); }},
        {"set 2 shown: a column of its own, in blue",
         [&] { QTest::mouseClick(f.CB2, Qt::LeftButton); },
         [&] {
             EXPECT_EQ(Heading(d.Grid1, 2),
                       Ru("5-ступ. 3,67-2,10-1,36-1,00-0,82 · 4,1 · 175/70 R13"));
             EXPECT_EQ(d.Grid1->item(0, 2)->background().color(), QColor(0, 0, 255));
             EXPECT_EQ(Cell(d.Grid1, "Переключение 4→5, об/мин", 2), Ru("4 800"));  // its curve
             EXPECT_EQ(Cell(d.Grid1, "Переключение 4→5, об/мин", 1), "");           // four gears
             EXPECT_EQ(d->Sets()[1].result->gears.size(), 5u);
         }},
        {"another row picked in set 1",
         [&] {
             f.ComboBox1->setFocus();
             QTest::keyClick(f.ComboBox1, Qt::Key_Down);
         },
         [&] {
             EXPECT_EQ(Heading(d.Grid1, 1),
                       Ru("5-ступ. 3,67-2,10-1,36-1,00-0,82 · 3,9 · 175/70 R13"));
             EXPECT_EQ(d->Sets()[0].result->gears.size(), 5u);
         }},
        {"set 1's colour",
         [&] {
             f.ComboBox1->setFocus();
             QTest::keyClick(f.ColorBox1, Qt::Key_Down);
         },
         [&] { EXPECT_EQ(d.Grid1->item(0, 1)->background().color(), QColor(0, 255, 0)); }},
        {"set 1 hidden", [&] { QTest::mouseClick(f.CB1, Qt::LeftButton); },
         [&] {
             EXPECT_EQ(Heading(d.Grid1, 1), Ru("Набор 1 скрыт"));
             EXPECT_EQ(Cell(d.Grid1, "Разгон 0–100 км/ч, с", 1), "");
         }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.change();
        step.check();
    }

    // Ctrl+D again brings the same window, the only one; closed and opened again, it shows
    // the main window as it is now.
    EXPECT_EQ(PressCtrlD(f).form, d.form);
    d->close();
    QTest::mouseClick(f.CB1, Qt::LeftButton);
    EXPECT_EQ(PressCtrlD(f).form, d.form);
    EXPECT_TRUE(d->isVisible());
    EXPECT_NE(Heading(d.Grid1, 1), Ru("Набор 1 скрыт"));
    EXPECT_EQ(f->findChildren<DynamicsWindow*>().size(), 1);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(DynamicsWindowTest, TheCopyHoldsExampleAsFigures) {
    Form1 f = OpenExample();
    RazgonForm d = OpenActive(f);
    ASSERT_TRUE(d);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("before");
    d.EngineBox1->setFocus();
    QTest::keyClick(d.EngineBox1, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* mime = clipboard->mimeData();
    const QStringList lines = mime->text().split(QStringLiteral("\r\n"));
    const QStringList expected = {
        Ru("Двигатель\t1,6 л 80 л.с.\t"),       Ru("Автомобиль\tСедан 1120 кг\t"),
        Ru("Разгон 0–60 км/ч, с\t7,9\t"),       Ru("Разгон 0–100 км/ч, с\t16,8\t"),
        Ru("400 м с места, с\t21,0\t"),         Ru("Максимальная скорость, км/ч\t159,4\t"),
        Ru("Переключение 1→2, об/мин\t6000\t"),
    };
    for (const QString& line : expected) EXPECT_TRUE(lines.contains(line)) << line.toStdString();
    EXPECT_TRUE(lines.front().startsWith(Ru("\t4-ступ. классическая")));
    EXPECT_TRUE(mime->html().contains(QStringLiteral("charset=utf-8")));
    EXPECT_TRUE(mime->html().contains(QStringLiteral("<td align=\"right\">16,8</td>")));
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(DynamicsWindowTest, TabKeysMoveTheChartsWhateverHasTheFocus) {
    Form1 f = OpenExample();
    RazgonForm d = OpenActive(f);
    ASSERT_TRUE(d);
    const struct {
        QWidget* focus;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int tab;
    } steps[] = {
        {d.EngineBox1, Qt::Key_Tab, Qt::ControlModifier, 1},
        {d.EngineBox1, Qt::Key_Tab, Qt::ControlModifier, 2},
        {d.EngineBox1, Qt::Key_Tab, Qt::ControlModifier, 0},  // round to the first
        {d.LaunchEdit, Qt::Key_PageDown, Qt::ControlModifier, 1},
        {d.Grid1, Qt::Key_PageUp, Qt::ControlModifier, 0},
        {d.ShiftTimeEdit, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier, 2},
        {d.CarBox2, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 1},
        {d.ChartRazgon, Qt::Key_PageUp, Qt::ControlModifier, 0},
        {d.EngineBox2, Qt::Key_PageUp, Qt::ControlModifier, 2},  // round to the last
        {d.PairFromEdit, Qt::Key_PageUp, Qt::ControlModifier, 1},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.focus->objectName().toStdString());
        s.focus->setFocus();
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : s.focus, s.key, s.modifiers);
        EXPECT_EQ(d.Tabs1->currentIndex(), s.tab);
    }
    EXPECT_EQ(d->ShownChart(), d.ChartBalance);
}

// Tab goes round the window's controls and leaves the table of results for the next one,
// rather than walking its cells, which hold nothing to act on.
TEST_F(DynamicsWindowTest, TabGoesRoundTheWindowThroughTheTable) {
    Form1 f = OpenExample();
    RazgonForm d = OpenActive(f);
    ASSERT_TRUE(d);
    d.EngineBox1->setFocus();
    bool table = false;
    for (int i = 0; i < 30 && !(i > 0 && QApplication::focusWidget() == d.EngineBox1); ++i) {
        table = table || QApplication::focusWidget() == d.Grid1;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_TRUE(table);
    EXPECT_EQ(QApplication::focusWidget(), d.EngineBox1);
}

TEST_F(DynamicsWindowTest, CopySaveAndPrintKeysWinInATextField) {
    Form1 f = OpenExample();
    RazgonForm d = OpenActive(f);
    ASSERT_TRUE(d);
    CancellingPrinterSetup printer;
    CountingSaveDialog save;
    for (ChartPanel* chart : {d.ChartRazgon, d.ChartBalance}) {
        chart->SetPrinterSetup(&printer);
        chart->SetSaveFileDialog(&save);
    }
    // The launch speed's field holds selected text, which it would copy itself.
    d.LaunchEdit->setFocus();
    d.LaunchEdit->selectAll();
    QWidget* field = QApplication::focusWidget();
    ASSERT_TRUE(field == d.LaunchEdit || d.LaunchEdit->isAncestorOf(field));
    ASSERT_TRUE(d.LaunchEdit->findChild<QLineEdit*>()->hasSelectedText());
    QGuiApplication::clipboard()->setText("before");
    QTest::keyClick(field, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QGuiApplication::clipboard()->text().contains(Ru("Разгон 0–60 км/ч, с\t7,9")));
    QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(save.calls, 1);
    QTest::keyClick(field, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printer.calls, 1);
    for (ChartPanel* chart : {d.ChartRazgon, d.ChartBalance}) {
        chart->SetPrinterSetup(nullptr);
        chart->SetSaveFileDialog(nullptr);
    }
    // Escape closes the window.
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());
}

TEST_F(DynamicsWindowTest, AnUnknownEngineShowsDashesAndANote) {
    DynamicsData data = LoadDynamics(DynamicsPath());  // no file yet: the sample's
    data.Run.Engine1 = "Нет такого";
    ASSERT_TRUE(SaveDynamics(data, DynamicsPath()));
    Form1 f = OpenExample();
    RazgonForm d = PressCtrlD(f);
    ASSERT_TRUE(d);
    d->resize(1000, d->height());  // wide enough for the whole note
    QApplication::processEvents();
    EXPECT_EQ(d.EngineBox1->currentIndex(), -1);  // no choice shown, none made up
    EXPECT_EQ(d.EngineBox1->placeholderText(), Ru("«Нет такого» — нет в списке"));
    EXPECT_EQ(Cell(d.Grid1, "Двигатель", 1), Ru("«Нет такого» — нет в списке"));
    EXPECT_EQ(Cell(d.Grid1, "Разгон 0–100 км/ч, с", 1), Ru("—"));
    EXPECT_EQ(Cell(d.Grid1, "Максимальная скорость, км/ч", 1), Ru("—"));
    EXPECT_EQ(Cell(d.Grid1, "Примечание", 1), Ru("Выберите двигатель"));

    // Picking one drives the set at once, and the note goes.
    d.EngineBox1->setFocus();
    QTest::keyClick(d.EngineBox1, Qt::Key_Home);
    EXPECT_EQ(d.EngineBox1->currentIndex(), 0);
    EXPECT_NE(Cell(d.Grid1, "Разгон 0–100 км/ч, с", 1), Ru("—"));
    EXPECT_EQ(d.Grid1->rowCount(), 3 + 7 + 2 * 3);  // no note row
    EXPECT_TRUE(messages_.shown.empty());
}

// The window is placed on the screen before it is shown, by the size it has then: that is the
// size it shows at, whatever the screen's room, and hiding or showing a set (which names the
// set "Набор 2 скрыт") never widens it beyond the screen's edge.
TEST_F(DynamicsWindowTest, TheWindowShowsAtTheSizeItWasPlacedBy) {
    Form1 f = OpenExample();
    DynamicsWindow window(TheCatalog(), f->Dynamics(), DynamicsPath());
    const QSize placed = window.size();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.size(), placed);

    RazgonForm d = PressCtrlD(f);  // set 2 hidden
    ASSERT_TRUE(d);
    const QLabel* label = d->findChild<QLabel*>(QStringLiteral("SetLabel1"));
    ASSERT_NE(label, nullptr);
    const int wide = label->width();
    QTest::mouseClick(f.CB2, Qt::LeftButton);  // both shown
    QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    EXPECT_EQ(label->width(), wide);
}

// Names of the longest an engine or car may have, chosen or missing from the list, leave the
// window on the screen: it is no wider than with short ones.  A drop-down shows what it can of
// a missing one, and the whole of a name that fits.
TEST_F(DynamicsWindowTest, LongNamesDoNotWidenTheWindow) {
    DynamicsData data = SampleDynamics();
    const DynamicsWindow sample(TheCatalog(), data, DynamicsPath());
    data.Engines[0].Name = std::string(85, 'W') + std::string(170, 'x');  // 255 characters
    data.Run.Engine1 = data.Engines[0].Name;
    data.Run.Car2 = std::string(255, 'W');    // none of the list
    data.Run.Engine2 = std::string(14, 'W');  // none of the list, wider than the least
    DynamicsWindow named(TheCatalog(), data, DynamicsPath());
    const RazgonForm d(&named);
    ASSERT_TRUE(d);
    EXPECT_EQ(d.EngineBox1->currentText().size(), 255);
    EXPECT_EQ(named.minimumSizeHint().width(), sample.minimumSizeHint().width());

    named.resize(900, named.height());  // a drop-down as wide as the tail of a note
    named.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&named));
    for (const QComboBox* list : {d.CarBox2, d.EngineBox2}) {
        const QString text = list->placeholderText();
        EXPECT_TRUE(text.endsWith(Ru("в списке"))) << text.toStdString();
        EXPECT_LT(list->fontMetrics().horizontalAdvance(text), list->width());
    }
    named.resize(1800, named.height());
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.EngineBox2->width() > 600; }));
    EXPECT_EQ(d.EngineBox2->placeholderText(), Ru("«WWWWWWWWWWWWWW» — нет в списке"));
    EXPECT_TRUE(d.CarBox2->placeholderText().contains(QChar(0x2026)));
}

// An 800-pixel-wide screen holds the window with its frame: narrower than its run's choices on
// one line, it puts them on two; wide, it keeps them on one.
TEST_F(DynamicsWindowTest, TheRunsChoicesWrapSoTheWindowFitsASmallScreen) {
    Form1 f = OpenExample();
    RazgonForm d = PressCtrlD(f);
    ASSERT_TRUE(d);
    EXPECT_LE(d->minimumSizeHint().width(), 800 - 16);
    const struct {
        int width;
        bool oneLine;
    } widths[] = {{1232, true}, {900, true}, {780, false}, {d->minimumSizeHint().width(), false}};
    for (const auto& w : widths) {
        SCOPED_TRACE(w.width);
        d->resize(w.width, 552);
        QApplication::processEvents();
        EXPECT_EQ(d->width(), w.width);
        const int launch = d.LaunchEdit->mapTo(d.form, QPoint()).y();
        EXPECT_EQ(launch == d.ShiftBox->mapTo(d.form, QPoint()).y(), w.oneLine);
        EXPECT_LE(d.ShiftTimeEdit->mapTo(d.form, QPoint(d.ShiftTimeEdit->width(), 0)).x(),
                  d->width());
    }
}

TEST_F(DynamicsWindowTest, ChoicesAreKeptInTheDynamicsFile) {
    Form1 f = OpenExample();
    RazgonForm d = OpenActive(f);
    ASSERT_TRUE(d);
    const auto stored = [&] { return LoadDynamics(DynamicsPath()).Run; };

    // A drop-down is written at once; a number when its field is left, or when the windows
    // close.
    d.EngineBox2->setFocus();
    QTest::keyClick(d.EngineBox2, Qt::Key_Home);
    const std::string first = d.EngineBox2->itemText(0).toStdString();
    EXPECT_EQ(stored().Engine2, first);
    d.ShiftBox->setFocus();
    QTest::keyClick(d.ShiftBox, Qt::Key_Down);
    EXPECT_EQ(stored().Shift, ShiftRule::Best);

    TypeOver(d.LaunchEdit, "3000");
    EXPECT_EQ(f->Dynamics().Run.Launch, 3000);  // driven at once
    EXPECT_EQ(stored().Launch, 2500);           // not written while typed
    d.ShiftTimeEdit->setFocus();                // the launch field is left
    EXPECT_EQ(stored().Launch, 3000);

    TypeOver(d.ShiftTimeEdit, "0,3");
    EXPECT_EQ(f->Dynamics().Run.ShiftTime, 0.3);
    EXPECT_TRUE(messages_.shown.empty());

    // A time out of range drives nothing (the "1" typed on the way did), and is refused when
    // the field is left: the time kept is driven again.
    d.LaunchEdit->setFocus();
    TypeOver(d.ShiftTimeEdit, "12");
    EXPECT_EQ(f->Dynamics().Run.ShiftTime, 1);
    d.LaunchEdit->setFocus();
    EXPECT_EQ(f->Dynamics().Run.ShiftTime, 0.3);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, "Время переключения, с: 12 — вне пределов от 0 до 10.");
    EXPECT_EQ(d.ShiftTimeEdit->Text(), Ru("0,30"));

    ASSERT_TRUE(CloseWindow());
    const RunSettings run = stored();
    EXPECT_EQ(run.ShiftTime, 0.3);
    EXPECT_EQ(run.Engine1, "1,6 л 80 л.с.");
}

// Closed while a number is being typed, the window keeps what the field would take, and
// never a part of what it refuses (the "1" of a "12" typed for the shift time).
TEST_F(DynamicsWindowTest, ClosedWhileTypingTheFileGetsWhatTheFieldTakes) {
    Form1 f = OpenExample();
    const auto stored = [&] { return LoadDynamics(DynamicsPath()).Run.ShiftTime; };
    const struct {
        const char* typed;
        double kept;
        std::size_t messages;
    } cases[] = {{"12", 0.5, 1}, {"0,3", 0.3, 1}};  // messages so far
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        RazgonForm d = OpenActive(f);
        ASSERT_TRUE(d);
        TypeOver(d.ShiftTimeEdit, c.typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(stored(), c.kept);
        EXPECT_EQ(f->Dynamics().Run.ShiftTime, c.kept);
        EXPECT_EQ(messages_.shown.size(), c.messages);
    }
}

// A file that cannot be written is said once for each choice: the message box, which takes
// the focus from the field the user has just left, does not make the window try again.
TEST_F(DynamicsWindowTest, AFailedSaveIsSaidOnce) {
    struct ModalMessages : RecordingMessages {
        void ShowMessage(const std::string& text, const std::string& caption,
                         MessageIcon icon) override {
            RecordingMessages::ShowMessage(text, caption, icon);
            if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
        }
    } messages;
    Form1 f = OpenExample();
    f->SetDynamicsPath(dir_ / "нет такой папки/Kelm-dynamics.json");
    RazgonForm d = OpenActive(f);
    ASSERT_TRUE(d);
    TypeOver(d.LaunchEdit, "3000");
    d.ShiftTimeEdit->setFocus();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].text.starts_with("Не удалось сохранить файл двигателей"));
    d.ShiftBox->setFocus();
    QTest::keyClick(d.ShiftBox, Qt::Key_Down);
    EXPECT_EQ(messages.shown.size(), 2u);
}

TEST_F(DynamicsWindowTest, TheEditorOpensOnTheSetsChoiceAndTheWindowShowsWhatItChanged) {
    Form1 f = OpenExample();
    QTest::mouseClick(f.CB2, Qt::LeftButton);  // set 2 shown: the sample's estate
    RazgonForm d = OpenActive(f);
    ASSERT_TRUE(d);
    const QString estate = d.CarBox2->currentText();
    ASSERT_FALSE(estate.isEmpty());
    bool ran = false;
    QTimer::singleShot(0, [&] {
        QWidget* editor = QApplication::activeModalWidget();
        ASSERT_NE(editor, nullptr);
        ran = true;
        EXPECT_EQ(editor->findChild<QTabWidget*>("PageControl1")->currentIndex(), 1);  // cars
        auto* name = editor->findChild<QLineEdit*>("CarName");
        EXPECT_EQ(name->text(), estate);
        name->setText(Ru("Универсал с прицепом"));  // renamed: the run follows
        editor->close();
    });
    QTest::mouseClick(d->findChild<QToolButton*>("CarEdit2"), Qt::LeftButton);
    EXPECT_TRUE(ran);
    EXPECT_EQ(d.CarBox2->currentText(), Ru("Универсал с прицепом"));
    EXPECT_EQ(Cell(d.Grid1, "Автомобиль", 2), Ru("Универсал с прицепом"));
    EXPECT_NE(Cell(d.Grid1, "Разгон 0–100 км/ч, с", 2), Ru("—"));
    EXPECT_EQ(LoadDynamics(DynamicsPath()).Run.Car2, "Универсал с прицепом");
    EXPECT_TRUE(messages_.shown.empty());
}

// Under a real locale (run in ctest entries of their own, see locale_test.cpp): the copy
// has the system's decimal separator.
using SystemLocaleDynamics = UnderSystemLocale<DynamicsWindowTest>;

TEST_F(SystemLocaleDynamics, TheCopyHasTheSystemsDecimalSeparator) {
    ASSERT_EQ(GlobalNumberFormat().decimalSeparator, separator_);
    Form1 f = OpenExample(separator_);
    RazgonForm d = PressCtrlD(f);
    ASSERT_TRUE(d);
    d->CopyButton1Click();
    const QString text = QGuiApplication::clipboard()->text();
    for (const char* figure : {"7?9", "16?8", "21?0", "159?4"}) {
        QString f8 = QString::fromLatin1(figure);
        f8.replace(QLatin1Char('?'), QLatin1Char(separator_));
        EXPECT_TRUE(text.contains(QLatin1Char('\t') + f8 + QLatin1Char('\t'))) << figure;
    }
    EXPECT_TRUE(messages_.shown.empty());
}

}  // namespace
}  // namespace kelm::testing
