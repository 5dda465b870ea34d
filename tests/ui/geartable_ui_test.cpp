#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>

#include "mainwindow/geartablewindow.h"
#include "mainwindow_fixture.h"

namespace kelm::testing {
namespace {

class GearTableWindowTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        GlobalNumberFormat().thousandSeparator = " ";
    }

    // Ctrl+T on the main window, as the user presses it there.
    GearTableWindow* PressCtrlT(const Form1& f) {
        f->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&f.form));
        QTest::keyClick(f.ComboBox2, Qt::Key_T, Qt::ControlModifier);
        return f->findChild<GearTableWindow*>(QStringLiteral("GearTableForm"));
    }

    // A column caption as one line (long ones are shown on two).
    static QString Caption(const QTableWidget* grid, int column) {
        return grid->horizontalHeaderItem(column)->text().replace('\n', ' ');
    }

    static QString Text(const QTableWidget* grid, int row, int column) {
        const QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text() : QString();
    }
};

TEST_F(GearTableWindowTest, FollowsEveryRedrawAndOpensOnce) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    GearTableWindow* t = PressCtrlT(f);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->isVisible());
    EXPECT_TRUE(t->isWindow());
    EXPECT_EQ(t->windowModality(), Qt::NonModal);
    EXPECT_EQ(t->windowTitle(), Ru("Таблица передач"));
    QTableWidget* grid = t->Grid1;

    // Set 1 only (set 2 is hidden at the first start): its heading, then gears 1 to 5.
    ASSERT_EQ(grid->rowCount(), 6);
    EXPECT_EQ(Text(grid, 0, 0), Ru("Стандартный · 3,9 · Бл 85 165/70-13"));
    EXPECT_EQ(grid->item(0, 0)->background().color(), QColor(255, 0, 0));
    EXPECT_EQ(grid->columnSpan(0, 0), 7);
    EXPECT_EQ(Caption(grid, 3), Ru("км/ч при 6000 об/мин"));
    EXPECT_EQ(Caption(grid, 4), Ru("Обороты после переключения"));
    const QStringList gear2 = {"2", "2", "7,8", "83,1", "3 429", "2 571", "7 222"};
    for (int c = 0; c < 7; ++c) EXPECT_EQ(Text(grid, 2, c), gear2[c]) << c;
    EXPECT_EQ(Text(grid, 1, 4), "");  // no shift into gear 1

    // The show toggle of set 2: a second block, in blue, with the pair 4,1.
    QTest::mouseClick(f.CB2, Qt::LeftButton);
    ASSERT_EQ(grid->rowCount(), 12);
    EXPECT_EQ(Text(grid, 6, 0), Ru("Стандартный · 4,1 · Бл 85 165/70-13"));
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
    EXPECT_EQ(Caption(grid, 3), Ru("км/ч при 7000 об/мин"));
    EXPECT_EQ(grid->item(0, 0)->text(), Ru("спорт · 3,9 · Бл 85 165/70-13"));
    EXPECT_EQ(Text(grid, 2, 5), "2 406");  // 7000 - 7000 x 2,1 / 3,2, rounded

    // Set 1 hidden: only set 2's block is left.
    QTest::mouseClick(f.CB1, Qt::LeftButton);
    ASSERT_EQ(grid->rowCount(), 6);
    EXPECT_EQ(Text(grid, 0, 0), Ru("Стандартный · 4,1 · Бл 85 165/70-13"));

    // Ctrl+T again brings the same window; closing it and pressing again shows it again.
    EXPECT_EQ(PressCtrlT(f), t);
    t->close();
    EXPECT_FALSE(t->isVisible());
    QTest::mouseClick(f.CB1, Qt::LeftButton);  // set 1 back while the table is closed
    EXPECT_EQ(PressCtrlT(f), t);
    EXPECT_TRUE(t->isVisible());
    EXPECT_EQ(grid->rowCount(), 13);  // opened with the numbers of the last redraw
    EXPECT_EQ(f->findChildren<GearTableWindow*>().size(), 1);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(GearTableWindowTest, CopiesHtmlAndTabSeparatedPlainNumbers) {
    WriteCatalog(SampleCatalogFile(','));
    Form1 f = Open();
    GearTableWindow* t = PressCtrlT(f);
    ASSERT_NE(t, nullptr);
    // The application's active window, not only one sharing its activation with the main
    // window (which would take Ctrl+C for the chart).
    t->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == t; }));
    QClipboard* clipboard = QGuiApplication::clipboard();

    const auto check = [&](const char* how) {
        const QMimeData* mime = clipboard->mimeData();
        ASSERT_TRUE(mime->hasHtml()) << how;
        EXPECT_FALSE(mime->hasImage()) << how;  // not the chart's picture
        const QString html = mime->html();
        EXPECT_TRUE(html.startsWith("<table")) << how;
        EXPECT_TRUE(html.contains("<td align=\"right\">3429</td>")) << how;
        const QStringList lines = mime->text().split("\r\n");
        ASSERT_GE(lines.size(), 8) << how;
        EXPECT_EQ(lines[0], Ru("Передача\tПередаточное число\tОбщее\tкм/ч при 6000 об/мин\t"
                               "Обороты после переключения\tПровал оборотов\t"
                               "Обороты при 100 км/ч"))
            << how;
        EXPECT_EQ(lines[1], Ru("Стандартный\t3,9\tБл 85 165/70-13")) << how;
        EXPECT_EQ(lines[2], "1\t3,5\t13,65\t47,5\t\t\t12639") << how;
        EXPECT_EQ(lines[3], "2\t2\t7,8\t83,1\t3429\t2571\t7222") << how;
        EXPECT_EQ(lines[6], "5\t0,8\t3,12\t207,7\t4800\t1200\t2889") << how;
    };

    // With a cell chosen, still the whole table (an item view copies just its cell).
    t->Grid1->setFocus();
    t->Grid1->setCurrentCell(2, 4);
    clipboard->setText("before");
    QTest::keyClick(t->Grid1, Qt::Key_C, Qt::ControlModifier);
    check("Ctrl+C in the grid");
    clipboard->setText("before");
    t->CopyButton1->setFocus();
    QTest::keyClick(t->CopyButton1, Qt::Key_C, Qt::ControlModifier);
    check("Ctrl+C on the button");
    clipboard->setText("before");
    QTest::mouseClick(t->CopyButton1, Qt::LeftButton);
    check("the button");
    EXPECT_EQ(t->CopyButton1->text(), Ru("Копировать"));
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(GearTableWindowTest, FailingSetHasNoBlockAndItsErrorIsShownOnce) {
    // A main pair of 0 makes set 1 fail; set 2 has a good pair.
    WriteCatalog(
        Cp("Riads\r\n_\r\nСтандартный\r\n3,5\r\n2\r\n0\r\n0\r\n0\r\n0\r\n"
           "Paras\r\n_\r\n0\r\n_\r\n3,9\r\nKoless\r\n_\r\nБл 85 165/70-13\r\n1800\r\n"));
    WriteSettings("ComboBox4=0\r\nComboBox5=3,9\r\nCB2=1\r\n");
    Form1 f = Open();
    ASSERT_EQ(messages_.shown.size(), 1u);
    GearTableWindow* t = PressCtrlT(f);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(messages_.shown.size(), 1u);  // opening the table raises nothing
    EXPECT_EQ(t->Grid1->rowCount(), 0);     // set 1 failed, and set 2 was not drawn

    QTest::mouseClick(f.CB1, Qt::LeftButton);  // set 1 hidden: set 2 is drawn
    EXPECT_EQ(messages_.shown.size(), 1u);
    ASSERT_EQ(t->Grid1->rowCount(), 3);
    EXPECT_EQ(Text(t->Grid1, 0, 0), Ru("Стандартный · 3,9 · Бл 85 165/70-13"));

    QTest::mouseClick(f.CB1, Qt::LeftButton);  // back: one error box, the table emptied
    EXPECT_EQ(messages_.shown.size(), 2u);
    EXPECT_EQ(messages_.shown[1].text, "Floating point division by zero.");
    EXPECT_EQ(t->Grid1->rowCount(), 0);
}

}  // namespace
}  // namespace kelm::testing
