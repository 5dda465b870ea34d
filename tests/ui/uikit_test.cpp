#include "mainwindow/uikit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

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

// The lists' order must be exactly Qt's case-insensitive comparison, ties kept in the order
// of adding: short texts from a small alphabet make many ties and shared prefixes.  The
// alphabet has Latin and Cyrillic of both cases (Ё and ё too), figures, signs of
// Windows-1251 and a letter outside the basic plane in both cases.
TEST(UiKit, ListsSortAsQtComparesIgnoringCase) {
    const QString alphabet = QString::fromUtf8("aAbZzАаБбЁёЕеЯя09 ,-№«ß\U00010400\U00010428");
    QList<QString> units;  // one character each, a surrogate pair counting as one
    for (qsizetype i = 0; i < alphabet.size(); ++i) {
        const qsizetype n = alphabet.at(i).isHighSurrogate() ? 2 : 1;
        units << alphabet.mid(i, n);
        i += n - 1;
    }
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> length(0, 4);
    std::uniform_int_distribution<qsizetype> pick(0, units.size() - 1);
    QStringList items;
    for (int i = 0; i < 3000; ++i) {
        QString s;
        for (int k = length(rng); k > 0; --k) s += units[pick(rng)];
        items << s;
    }
    QStringList expected = items;
    std::stable_sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    SortLikeAList(items);
    EXPECT_EQ(items, expected);

    QStringList cyrillic{QString::fromUtf8("б"), QString::fromUtf8("А"), QString::fromUtf8("а"),
                         QString::fromUtf8("Б")};
    SortLikeAList(cyrillic);
    EXPECT_EQ(cyrillic, (QStringList{QString::fromUtf8("А"), QString::fromUtf8("а"), QString::fromUtf8("б"),
                                     QString::fromUtf8("Б")}));
}

}  // namespace
}  // namespace kelm
