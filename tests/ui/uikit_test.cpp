#include "widgets/uikit.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <memory>

namespace kelm {
namespace {

TEST(UiKit, NamesCrossTheWidgetEdgeUnchanged) {
    const std::string bytes = "\xC1\xEB 85 165/70-13";  // "Бл 85 165/70-13" in Windows-1251
    EXPECT_EQ(FromCp1251(bytes), QString::fromUtf8("Бл 85 165/70-13"));
    EXPECT_EQ(ToCp1251(FromCp1251(bytes)), bytes);
    EXPECT_FALSE(ToCp1251(QString::fromUtf8("漢字")).has_value());
}

TEST(UiKit, EveryByteSurvivesTheWidgetEdge) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(ToCp1251(FromCp1251(all)), all);
}

TEST(UiKit, AFollowingWindowGoesBesideTheMainOneWhereTheScreenHasRoom) {
    const QRect screen(0, 0, 1600, 900);
    const QSize table(560, 460);
    // Right of the window, level with its top.
    EXPECT_EQ(PlaceBesideIn(screen, QRect(100, 50, 640, 480), table), QPoint(748, 50));
    // No room on the right: left of it.
    EXPECT_EQ(PlaceBesideIn(screen, QRect(900, 50, 640, 480), table), QPoint(332, 50));
    // Near the bottom, it is raised so that it stays whole on the screen.
    EXPECT_EQ(PlaceBesideIn(screen, QRect(100, 700, 640, 480), table), QPoint(748, 440));
    // No room on either side: left to the window manager.
    EXPECT_EQ(PlaceBesideIn(QRect(0, 0, 800, 600), QRect(0, 0, 640, 480), table), std::nullopt);
}

TEST(UiKit, QtsOwnTextsAreRussian) {
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

}  // namespace
}  // namespace kelm
