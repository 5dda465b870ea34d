#include "widgets/listorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace kelm {
namespace {

// Short random texts over an alphabet: many ties, many texts that start another.
QStringList RandomTexts(const QList<QString>& alphabet, int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> length(0, 4);
    std::uniform_int_distribution<qsizetype> pick(0, alphabet.size() - 1);
    QStringList items;
    for (int i = 0; i < count; ++i) {
        QString s;
        for (int k = length(rng); k > 0; --k) s += alphabet[pick(rng)];
        items << s;
    }
    return items;
}

// The lists' order must be exactly Qt's case-insensitive comparison, ties kept in the order
// of adding.
void ExpectSortedAsQtCompares(QStringList items) {
    QStringList expected = items;
    std::stable_sort(expected.begin(), expected.end(), ListLess);
    SortLikeAList(items);
    EXPECT_EQ(items, expected);
}

QList<QString> Characters(const QString& text) {
    QList<QString> out;  // a surrogate pair counts as one character
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() ? 2 : 1;
        out << text.mid(i, n);
        i += n - 1;
    }
    return out;
}

// Latin and Cyrillic of both cases (Ё and ё too), figures and signs of Windows-1251: the
// catalog's own letters, few enough for one byte per letter in the keys.
TEST(ListOrder, CatalogLettersSortAsQtCompares) {
    ExpectSortedAsQtCompares(
        RandomTexts(Characters(QString::fromUtf8("aAbZzАаБбЁёЕеЯя09 ,-№«ß")), 3000, 7));
}

// More than 255 different letters, the character 0 among them: two bytes per letter.
TEST(ListOrder, ManyDifferentLettersSortAsQtCompares) {
    QList<QString> alphabet;
    for (char16_t u = 0; u < 0x500; u += 3) alphabet << QString(QChar(u));
    alphabet << QString(QChar(u'\0')) << QString(QChar(u'Я')) << QString(QChar(u'я'));
    ExpectSortedAsQtCompares(RandomTexts(alphabet, 3000, 11));
}

// Letters outside the basic plane, in both cases (𐐀 folds to 𐐨), and lone surrogates.
TEST(ListOrder, LettersOutsideTheBasicPlaneSortAsQtCompares) {
    QList<QString> alphabet = Characters(QString::fromUtf8("aAЯя\U00010400\U00010428\U0001F600"));
    alphabet << QString(QChar(0xD801)) << QString(QChar(0xDC28));
    ExpectSortedAsQtCompares(RandomTexts(alphabet, 3000, 13));
}

TEST(ListOrder, LetterCaseIsIgnoredAndTiesKeepTheirOrder) {
    QStringList cyrillic{QString::fromUtf8("б"),    QString::fromUtf8("А"),
                         QString::fromUtf8("а"),    QString::fromUtf8("Б"),
                         QString::fromUtf8("10,5"), QString::fromUtf8("3,9")};
    SortLikeAList(cyrillic);
    EXPECT_EQ(cyrillic, (QStringList{QString::fromUtf8("10,5"), QString::fromUtf8("3,9"),
                                     QString::fromUtf8("А"), QString::fromUtf8("а"),
                                     QString::fromUtf8("б"), QString::fromUtf8("Б")}));
}

}  // namespace
}  // namespace kelm
