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
