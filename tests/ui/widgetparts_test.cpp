#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <memory>

#include "base/numtext.h"
#include "widgets/coreedge.h"
#include "widgets/decimalspin.h"
#include "widgets/messageboxes.h"
#include "widgets/placement.h"
#include "widgets/qttranslations.h"

namespace kelm {
namespace {

TEST(CoreEdge, NamesCrossTheWidgetEdgeUnchanged) {
    const std::string bytes = "\xC1\xEB 85 165/70-13";  // "Бл 85 165/70-13" in Windows-1251
    EXPECT_EQ(FromCp1251(bytes), QString::fromUtf8("Бл 85 165/70-13"));
    EXPECT_EQ(ToCp1251(FromCp1251(bytes)), bytes);
    EXPECT_FALSE(ToCp1251(QString::fromUtf8("漢字")).has_value());
}

TEST(CoreEdge, EveryByteSurvivesTheWidgetEdge) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(ToCp1251(FromCp1251(all)), all);
}

TEST(Placement, AFollowingWindowGoesBesideTheMainOneWhereTheScreenHasRoom) {
    const QRect screen(0, 0, 1600, 900);
    const QSize table(560, 460);
    // Right of the window, level with its top.
    EXPECT_EQ(PlaceFollowingWindow(screen, QRect(100, 50, 640, 480), table), QPoint(748, 50));
    // No room on the right: left of it.
    EXPECT_EQ(PlaceFollowingWindow(screen, QRect(900, 50, 640, 480), table), QPoint(332, 50));
    // Near the bottom, it is raised so that it stays whole on the screen.
    EXPECT_EQ(PlaceFollowingWindow(screen, QRect(100, 700, 640, 480), table), QPoint(748, 440));
}

// Where neither side has room: at the screen's right edge, at the height that covers the
// least of the main window (level with it where nothing is gained by moving).
TEST(Placement, WithoutRoomBesideItGoesToTheRightEdgeCoveringTheLeast) {
    const QSize table(560, 460);
    const struct {
        const char* what;
        QRect screen, main;
        QPoint at;
    } cases[] = {
        {"a small screen, the window at its top: the bottom covers less", QRect(0, 0, 800, 600),
         QRect(0, 0, 640, 480), QPoint(240, 140)},
        {"a window centred on a small screen: the top covers no more than level",
         QRect(0, 0, 1024, 768), QRect(192, 144, 640, 480), QPoint(464, 0)},
        {"a low window on a tall screen: above it, clear of it", QRect(0, 0, 1000, 1200),
         QRect(200, 600, 640, 480), QPoint(440, 0)},
        {"a high window on a tall screen: below it", QRect(0, 0, 1000, 1200),
         QRect(200, 40, 640, 480), QPoint(440, 740)},
        {"a maximised window", QRect(0, 24, 1280, 776), QRect(0, 24, 1280, 776), QPoint(720, 24)},
        {"a second screen to the right", QRect(1920, 0, 800, 600), QRect(1950, 60, 700, 500),
         QPoint(2160, 0)},
        {"a table wider than the screen keeps its left edge on it", QRect(0, 0, 500, 600),
         QRect(0, 0, 480, 400), QPoint(0, 140)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceFollowingWindow(c.screen, c.main, table), c.at) << c.what;
}

TEST(DecimalSpin, ShowsItsDecimalsWithoutLosingDigitsAndStepsOnItsGridWithinItsRange) {
    const NumberFormat saved = GlobalNumberFormat();
    GlobalNumberFormat().decimalSeparator = ',';
    DecimalSpin spin;
    spin.SetRange(0.05, 2);
    spin.SetDecimals(2);
    spin.SetStep(0.01);
    const struct {
        double value;
        const char* shown;
    } shown[] = {{0.48, "0,48"}, {2, "2,00"}, {0.485, "0,485"}, {1e-7, "1E-7"}};
    for (const auto& c : shown) {
        spin.SetValue(c.value);
        EXPECT_EQ(spin.Text(), c.shown) << c.value;
        EXPECT_FALSE(spin.Edited());
        EXPECT_EQ(spin.TypedValue(), c.value);
    }
    spin.SetValue(0.485);
    spin.stepBy(1);
    EXPECT_EQ(spin.Value(), 0.5);  // 0.495 lands on the grid of the field's decimals
    spin.SetValue(1.995);
    spin.stepBy(3);
    EXPECT_EQ(spin.Value(), 2);  // held at the top
    spin.stepBy(-1000);
    EXPECT_EQ(spin.Value(), 0.05);

    // Typing takes digits, both separators, blanks and an exponent; other letters are refused.
    spin.show();
    spin.setFocus();
    spin.selectAll();
    QTest::keyClicks(&spin, "1a.b2x");
    EXPECT_EQ(spin.Text(), "1.2");
    EXPECT_TRUE(spin.Edited());
    EXPECT_EQ(spin.TypedValue(), 1.2);
    EXPECT_EQ(spin.Value(), 0.05);  // the owner takes it, or not
    spin.Revert();
    EXPECT_EQ(spin.Text(), "0,05");
    GlobalNumberFormat() = saved;
}

// Qt's frame of a main window under an X11 window manager, as it came now and then: one
// pixel at the window's corner.  The table went right of that "window", over the real one.
TEST(Placement, AFrameThatDoesNotHoldItsWindowIsNotBelieved) {
    const QRect window(320, 160, 640, 480), frame(319, 140, 642, 505), dot(320, 160, 1, 1);
    EXPECT_EQ(OuterGeometry(frame, window), frame);
    EXPECT_EQ(OuterGeometry(dot, window), window);
    EXPECT_EQ(
        PlaceFollowingWindow(QRect(0, 0, 1280, 800), OuterGeometry(dot, window), QSize(626, 529)),
        QPoint(654, 0));
}

TEST(QtTranslations, QtsOwnTextsAreRussian) {
    ASSERT_TRUE(UseRussianQtTexts());
    ASSERT_TRUE(UseRussianQtTexts());  // once is enough; again changes nothing

    // The question box: "Да" and "Нет"; "Нет" answers no.
    QStringList buttons;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::No})
            buttons << box->button(b)->text().remove(QLatin1Char('&'));
        box->button(QMessageBox::No)->click();
    });
    QtMessages messages;
    EXPECT_FALSE(messages.AskYesNo("Удалить?", "Kelm"));
    EXPECT_EQ(buttons, QStringList({QString::fromUtf8("Да"), QString::fromUtf8("Нет")}));

    // The context menu of a text field.
    QLineEdit field;
    std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList items;
    for (const QAction* a : menu->actions()) items << a->text().remove(QLatin1Char('&'));
    EXPECT_TRUE(items.join('|').contains(QString::fromUtf8("Копировать")))
        << items.join('|').toStdString();
    EXPECT_FALSE(items.join('|').contains(QStringLiteral("Copy")));
}

// A short text under a longer caption ("Не найден файл" under "Ошибка диска!"): the box is
// wide enough for the caption, which the window manager would otherwise cut.
TEST(MessageBoxes, ACaptionLongerThanTheTextIsNotCut) {
    int width = 0, caption = 0, frame = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        width = box->width();
        caption = box->fontMetrics().horizontalAdvance(box->windowTitle());
        frame = 8 * box->fontMetrics().height();  // a title bar's icon and three buttons
        box->button(QMessageBox::Ok)->click();
    });
    QtMessages().ShowMessage("Не найден файл", "Ошибка диска!", MessageIcon::None);
    EXPECT_GE(width, caption + frame);
}

}  // namespace
}  // namespace kelm
