#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <functional>
#include <vector>

#include "mainwindow/geartablewindow.h"
#include "mainwindow_fixture.h"

namespace kelm::testing {
namespace {

// The gear table window's controls.
struct GearTableForm : WindowControls<GearTableWindow> {
    using WindowControls::WindowControls;
    QTableWidget* Grid1 = Find<QTableWidget>("Grid1");
    QPushButton* CopyButton1 = Find<QPushButton>("CopyButton1");

    explicit operator bool() const { return form && Grid1 && CopyButton1; }
};

class GearTableWindowTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        GlobalNumberFormat().thousandSeparator = " ";
    }

    // Ctrl+T on the main window, as the user presses it there.
    GearTableForm PressCtrlT(const Form1& f) {
        f->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(f.form));
        QTest::keyClick(f.ComboBox2, Qt::Key_T, Qt::ControlModifier);
        return GearTableForm(f->findChild<GearTableWindow*>(QStringLiteral("GearTableForm")));
    }

    // A column caption as one line (long ones are shown on two).
    static QString Caption(const QTableWidget* grid, int column) {
        return grid->horizontalHeaderItem(column)->text().replace('\n', ' ');
    }

    static QString Text(const QTableWidget* grid, int row, int column) {
        const QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text() : QString();
    }

    // The whole text of a block's heading line, which is shown cut where it is longer than
    // the table is wide.
    static QString Heading(const QTableWidget* grid, int row) {
        const QTableWidgetItem* item = grid->item(row, 0);
        EXPECT_EQ(grid->columnSpan(row, 0), kGearTableColumns) << row;
        return item ? item->toolTip() : QString();
    }
};

TEST_F(GearTableWindowTest, FollowsEveryRedrawAndOpensOnce) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    GearTableForm t = PressCtrlT(f);
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->isVisible());
    EXPECT_TRUE(t->isWindow());
    EXPECT_EQ(t->windowModality(), Qt::NonModal);
    EXPECT_EQ(t->windowTitle(), Ru("Таблица передач"));
    QTableWidget* grid = t.Grid1;

    // Set 1's heading, then gears 1 to 5; set 2 is hidden at the first start.
    ASSERT_EQ(grid->rowCount(), 7);
    EXPECT_EQ(Heading(grid, 0), Ru("Стандартный · 3,9 · Бл 85 165/70-13"));
    EXPECT_EQ(Text(grid, 0, 0), Heading(grid, 0));  // not cut: the table is wide enough
    EXPECT_EQ(grid->item(0, 0)->background().color(), QColor(255, 0, 0));
    EXPECT_EQ(Caption(grid, 3), Ru("км/ч при 6 000 об/мин"));
    EXPECT_EQ(Caption(grid, 4), Ru("Обороты после переключения"));
    const QStringList gear2 = {"2", "2", "7,8", "83,1", "3 429", "2 571", "7 222"};
    for (int c = 0; c < 7; ++c) EXPECT_EQ(Text(grid, 2, c), gear2[c]) << c;
    EXPECT_EQ(Text(grid, 1, 4), "");  // no shift into gear 1
    EXPECT_EQ(Heading(grid, 6), Ru("Набор 2 скрыт"));
    EXPECT_EQ(grid->item(6, 0)->background().color(), QColor(0, 0, 255));

    // The show toggle of set 2: a second block, in blue, with the pair 4,1.
    QTest::mouseClick(f.CB2, Qt::LeftButton);
    ASSERT_EQ(grid->rowCount(), 12);
    EXPECT_EQ(Heading(grid, 6), Ru("Стандартный · 4,1 · Бл 85 165/70-13"));
    EXPECT_EQ(grid->item(6, 0)->background().color(), QColor(0, 0, 255));

    // A colour and a selection picked by the user.
    f.ComboBox1->setFocus();
    QTest::keyClick(f.ColorBox1, Qt::Key_Down);
    ASSERT_EQ(f.ColorBox1->currentText(), "Lime");
    EXPECT_EQ(grid->item(0, 0)->background().color(), QColor(0, 255, 0));
    f.ComboBox1->setFocus();
    QTest::keyClick(f.ComboBox1, Qt::Key_Up);
    ASSERT_EQ(f.ComboBox1->currentText(), Ru("спорт"));
    EXPECT_EQ(grid->rowCount(), 7 + 6);  // the sport row has six gears
    EXPECT_EQ(Text(grid, 6, 0), "6");

    // The maximum engine speed names the fourth column and moves the shift speeds.
    f.SE1->SetValue(7000);
    EXPECT_EQ(Caption(grid, 3), Ru("км/ч при 7 000 об/мин"));
    EXPECT_EQ(Heading(grid, 0), Ru("спорт · 3,9 · Бл 85 165/70-13"));
    EXPECT_EQ(Text(grid, 2, 5), "2 406");  // 7000 - 7000 x 2,1 / 3,2, rounded

    // Set 1 hidden: one line says so, then set 2's block.
    QTest::mouseClick(f.CB1, Qt::LeftButton);
    ASSERT_EQ(grid->rowCount(), 7);
    EXPECT_EQ(Heading(grid, 0), Ru("Набор 1 скрыт"));
    EXPECT_EQ(Heading(grid, 1), Ru("Стандартный · 4,1 · Бл 85 165/70-13"));

    // Ctrl+T again brings the same window; closing it and pressing again shows it again.
    EXPECT_EQ(PressCtrlT(f).form, t.form);
    t->close();
    EXPECT_FALSE(t->isVisible());
    QTest::mouseClick(f.CB1, Qt::LeftButton);  // set 1 back while the table is closed
    EXPECT_EQ(PressCtrlT(f).form, t.form);
    EXPECT_TRUE(t->isVisible());
    EXPECT_EQ(grid->rowCount(), 13);  // opened with the numbers of the last redraw
    EXPECT_EQ(f->findChildren<GearTableWindow*>().size(), 1);
    EXPECT_TRUE(messages_.shown.empty());
}

// Names of 255 characters, the longest the catalog editor takes: a gear row and a tyre
// with the sample's numbers.
std::string LongCatalog(const std::string& row, const std::string& tyre) {
    return Cp("Riads\r\n_\r\nСтандартный\r\n3,5\r\n2\r\n1,4\r\n1\r\n0,8\r\n0\r\n_\r\n" + row +
              "\r\n3,5\r\n2\r\n1,4\r\n1\r\n0,8\r\n0\r\nParas\r\n_\r\n3,9\r\n_\r\n4,1\r\n"
              "Koless\r\n_\r\nБл 85 165/70-13\r\n1800\r\n_\r\n" +
              tyre + "\r\n1800\r\n");
}

// Every column whole and in view, without a scroll bar: what a table that fits the screen
// must look like after any change.
void ExpectWholeTable(const QTableWidget* grid, const char* what) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !grid->horizontalScrollBar()->isVisible(); }, 200));
    EXPECT_FALSE(grid->verticalScrollBar()->isVisible());
    const QHeaderView* header = grid->horizontalHeader();
    const QAbstractItemView* view = grid;  // where the width its cells want is public
    for (int c = 0; c < grid->columnCount(); ++c) {
        EXPECT_GE(grid->columnWidth(c), view->sizeHintForColumn(c)) << "column " << c;
        EXPECT_GE(grid->columnWidth(c), header->sectionSizeHint(c)) << "column " << c;
    }
    EXPECT_LE(header->length(), grid->viewport()->width());
    EXPECT_LE(grid->rowCount() * grid->verticalHeader()->defaultSectionSize(),
              grid->viewport()->height());
}

TEST_F(GearTableWindowTest, LongNamesAreCutInTheHeadingAndNeverWidenTheTable) {
    const std::string row = (Ru("Ряд") + Ru(" Ш").repeated(126)).toStdString();
    const std::string tyre = (Ru("Шина") + Ru(" Ж").repeated(125) + "!").toStdString();
    ASSERT_EQ(Cp(row).size(), 255u);
    ASSERT_EQ(Cp(tyre).size(), 255u);
    WriteCatalog(LongCatalog(row, tyre));

    // The sample's names first: the width of the window and of its columns.
    Form1 f = Open();
    GearTableForm t = PressCtrlT(f);
    ASSERT_TRUE(t);
    const QSize sampleSize = t->size();
    std::vector<int> sampleColumns;
    for (int c = 0; c < kGearTableColumns; ++c) sampleColumns.push_back(t.Grid1->columnWidth(c));

    // The long names chosen in set 1 while the table is open, then in a new window.
    const auto check = [&](const GearTableForm& table, const char* how) {
        SCOPED_TRACE(how);
        const QTableWidget* grid = table.Grid1;
        const QString whole = Ru(row.c_str()) + Ru(" · 3,9 · ") + Ru(tyre.c_str());
        EXPECT_EQ(Heading(grid, 0), whole);
        EXPECT_EQ(table->size(), sampleSize);
        for (int c = 0; c < kGearTableColumns; ++c)
            EXPECT_EQ(grid->columnWidth(c), sampleColumns[static_cast<std::size_t>(c)]) << c;
        // Cut with "…" to the width the heading spans, which is the table's.
        const QTableWidgetItem* heading = grid->item(0, 0);
        EXPECT_TRUE(heading->text().endsWith(QChar(0x2026))) << heading->text().toStdString();
        EXPECT_TRUE(whole.startsWith(heading->text().chopped(1)));
        const QRect span = grid->visualRect(grid->model()->index(0, 0));
        EXPECT_GE(span.width(), grid->horizontalHeader()->length() - 1);  // less its grid line
        EXPECT_LE(QFontMetrics(heading->font()).horizontalAdvance(heading->text()), span.width());
        ExpectWholeTable(grid, how);
    };
    f.ComboBox1->setCurrentIndex(f.ComboBox1->findText(Ru(row.c_str())));
    f.ComboBox7->setCurrentIndex(f.ComboBox7->findText(Ru(tyre.c_str())));
    f->Grafic();
    check(t, "chosen with the table open");

    form_.reset();
    WriteSettings("ComboBox1=" + row + "\r\nComboBox7=" + tyre + "\r\n");
    Form1 g = Open();
    check(PressCtrlT(g), "the table opened with them");
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(GearTableWindowTest, FitsItsColumnsWheneverTheTableChangesShape) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    GearTableForm t = PressCtrlT(f);
    ASSERT_TRUE(t);
    const struct {
        const char* what;
        std::function<void()> change;
        int rows;
    } steps[] = {
        {"opened with set 1 of five gears", [] {}, 7},
        {"set 2 shown", [&] { QTest::mouseClick(f.CB2, Qt::LeftButton); }, 12},
        {"six gears in set 1",
         [&] {
             f.ComboBox1->setFocus();
             QTest::keyClick(f.ComboBox1, Qt::Key_Up);
         },
         13},
        {"100000 rpm: speeds of thousands", [&] { f.SE1->SetValue(100000); }, 13},
        {"set 1 hidden", [&] { QTest::mouseClick(f.CB1, Qt::LeftButton); }, 7},
        {"set 2 hidden too", [&] { QTest::mouseClick(f.CB2, Qt::LeftButton); }, 2},
        {"both shown again",
         [&] {
             QTest::mouseClick(f.CB1, Qt::LeftButton);
             QTest::mouseClick(f.CB2, Qt::LeftButton);
         },
         13},
    };
    for (const auto& step : steps) {
        step.change();
        ASSERT_EQ(t.Grid1->rowCount(), step.rows) << step.what;
        ExpectWholeTable(t.Grid1, step.what);
    }
    // Speeds of thousands are grouped as the chart groups them.
    EXPECT_EQ(Caption(t.Grid1, 3), Ru("км/ч при 100 000 об/мин"));
    EXPECT_EQ(Text(t.Grid1, 12, 3), "3 292,7");

    // A change of colour keeps the table's shape, and the size the user gave the window.
    const QSize larger = t->size() + QSize(40, 30);
    t->resize(larger);
    f.ComboBox1->setFocus();
    QTest::keyClick(f.ColorBox1, Qt::Key_Down);
    EXPECT_EQ(t->size(), larger);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(GearTableWindowTest, OpensAtTheScreensRightEdgeWithoutRoomBesideThenStaysWherePut) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    const QRect room = f->screen()->availableGeometry();
    // A main window too wide for the table beside it.
    f->resize(room.width() * 3 / 4, f->height());
    f->move(room.center() - f->rect().center());
    GearTableForm t = PressCtrlT(f);
    ASSERT_TRUE(t);
    const QRect table = t->frameGeometry();
    EXPECT_EQ(table.right(), room.right());
    EXPECT_TRUE(room.contains(table)) << table.x() << "," << table.y();

    // Speeds of thousands while it is closed: wider columns, a wider window, still whole on
    // the screen when it opens again.
    t->close();
    f.SE1->SetValue(100000);
    ASSERT_EQ(PressCtrlT(f).form, t.form);
    EXPECT_GT(t->width(), table.width());
    EXPECT_TRUE(room.contains(t->frameGeometry())) << t->x() << "+" << t->width();
    ExpectWholeTable(t.Grid1, "opened again wider");

    // Moved by the user, it stays there through redraws, a change of shape and a new opening.
    const QPoint put = room.topLeft() + QPoint(10, 20);
    t->move(put);
    QTest::mouseClick(f.CB2, Qt::LeftButton);
    EXPECT_EQ(t->pos(), put);
    t->close();
    EXPECT_EQ(PressCtrlT(f)->pos(), put);
}

TEST_F(GearTableWindowTest, EscapeClosesIt) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    GearTableForm t = PressCtrlT(f);
    ASSERT_TRUE(t);
    for (QWidget* focus : {static_cast<QWidget*>(t.Grid1), static_cast<QWidget*>(t.CopyButton1)}) {
        SCOPED_TRACE(focus->objectName().toStdString());
        ASSERT_EQ(PressCtrlT(f).form, t.form);
        t->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(t.form));
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Escape);
        EXPECT_FALSE(t->isVisible());
    }
    EXPECT_TRUE(f->isVisible());
}

TEST_F(GearTableWindowTest, CopiesHtmlAndTabSeparatedPlainNumbers) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    GearTableForm t = PressCtrlT(f);
    ASSERT_TRUE(t);
    // The application's active window, not only one sharing its activation with the main
    // window (which would take Ctrl+C for the chart).
    t->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == t.form; }));
    QClipboard* clipboard = QGuiApplication::clipboard();

    const auto check = [&](const char* how) {
        const QMimeData* mime = clipboard->mimeData();
        ASSERT_TRUE(mime->hasHtml()) << how;
        EXPECT_FALSE(mime->hasImage()) << how;  // not the chart's picture
        const QString html = mime->html();
        EXPECT_TRUE(html.contains("charset=utf-8")) << how;
        EXPECT_TRUE(html.contains("<td align=\"right\">3429</td>")) << how;
        const QStringList lines = mime->text().split("\r\n");
        ASSERT_EQ(lines.size(), 9) << how;  // the last line ends too
        EXPECT_EQ(lines[0], Ru("Передача\tПередаточное число\tОбщее\tкм/ч при 6000 об/мин\t"
                               "Обороты после переключения\tПровал оборотов\t"
                               "Обороты при 100 км/ч"))
            << how;
        EXPECT_EQ(lines[1], Ru("Стандартный · 3,9 · Бл 85 165/70-13")) << how;
        EXPECT_EQ(lines[2], "1\t3,5\t13,65\t47,5\t\t\t12639") << how;
        EXPECT_EQ(lines[3], "2\t2\t7,8\t83,1\t3429\t2571\t7222") << how;
        EXPECT_EQ(lines[6], "5\t0,8\t3,12\t207,7\t4800\t1200\t2889") << how;
        EXPECT_EQ(lines[7], Ru("Набор 2 скрыт")) << how;
    };

    // With a cell chosen, still the whole table (an item view copies just its cell).
    t.Grid1->setFocus();
    t.Grid1->setCurrentCell(2, 4);
    clipboard->setText("before");
    QTest::keyClick(t.Grid1, Qt::Key_C, Qt::ControlModifier);
    check("Ctrl+C in the grid");
    clipboard->setText("before");
    t.CopyButton1->setFocus();
    QTest::keyClick(t.CopyButton1, Qt::Key_C, Qt::ControlModifier);
    check("Ctrl+C on the button");
    clipboard->setText("before");
    QTest::mouseClick(t.CopyButton1, Qt::LeftButton);
    check("the button");
    EXPECT_EQ(t.CopyButton1->text(), Ru("Копировать"));
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(GearTableWindowTest, FailingSetSaysWhyAndItsErrorIsShownOnce) {
    // A main pair of 0 makes set 1 fail; set 2 has a good pair.
    WriteCatalog(
        Cp("Riads\r\n_\r\nСтандартный\r\n3,5\r\n2\r\n0\r\n0\r\n0\r\n0\r\n"
           "Paras\r\n_\r\n0\r\n_\r\n3,9\r\nKoless\r\n_\r\nБл 85 165/70-13\r\n1800\r\n"));
    WriteSettings("ComboBox4=0\r\nComboBox5=3,9\r\nCB2=1\r\n");
    Form1 f = Open();
    ASSERT_EQ(messages_.shown.size(), 1u);
    GearTableForm t = PressCtrlT(f);
    ASSERT_TRUE(t);
    EXPECT_EQ(messages_.shown.size(), 1u);  // opening the table raises nothing
    // Set 1 failed, and set 2 was not drawn: a line for each.
    ASSERT_EQ(t.Grid1->rowCount(), 2);
    EXPECT_EQ(Heading(t.Grid1, 0), Ru("Набор 1 не рассчитан: Floating point division by zero."));
    EXPECT_EQ(Heading(t.Grid1, 1),
              Ru("Набор 2 не рассчитан: расчёт остановлен ошибкой в наборе 1"));

    QTest::mouseClick(f.CB1, Qt::LeftButton);  // set 1 hidden: set 2 is drawn
    EXPECT_EQ(messages_.shown.size(), 1u);
    ASSERT_EQ(t.Grid1->rowCount(), 4);
    EXPECT_EQ(Heading(t.Grid1, 0), Ru("Набор 1 скрыт"));
    EXPECT_EQ(Heading(t.Grid1, 1), Ru("Стандартный · 3,9 · Бл 85 165/70-13"));

    QTest::mouseClick(f.CB1, Qt::LeftButton);  // back: one error box, the lines again
    EXPECT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[1].text, "Floating point division by zero.");
    EXPECT_EQ(t.Grid1->rowCount(), 2);
}

}  // namespace
}  // namespace kelm::testing
