#include "catalog/catalog.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/numtext.h"

namespace kelm {
namespace {

Riad* AddRow(Catalog& c, const std::string& name) {
    auto r = std::make_unique<Riad>();
    r->Name = name;
    return c.AppendRow(std::move(r));
}

MainPair* AddPair(Catalog& c, double v) { return c.AppendPair(std::make_unique<MainPair>(v)); }

Koles* AddTyre(Catalog& c, const std::string& name, int p) {
    auto k = std::make_unique<Koles>();
    k->Name = name;
    k->Perimeter = p;
    return c.AppendTyre(std::move(k));
}

TEST(Lookup, EmptyListLeavesTheReferenceAlone) {
    Catalog c;
    EXPECT_FALSE(c.FindTyre("x"));
    EXPECT_EQ(c.CurrentTyre, nullptr);
    EXPECT_FALSE(c.FindRow(""));
    EXPECT_EQ(c.CurrentRow, nullptr);
}

TEST(Lookup, FirstOfEqualNamesAndLastWalkedOnMiss) {
    Catalog c;
    Riad* a1 = AddRow(c, "A");
    AddRow(c, "A");
    Riad* b = AddRow(c, "B");
    EXPECT_TRUE(c.FindRow("A"));
    EXPECT_EQ(c.CurrentRow, a1);
    EXPECT_FALSE(c.FindRow("a"));  // case counts
    EXPECT_EQ(c.CurrentRow, b);
    EXPECT_FALSE(c.FindRow("A "));  // no trimming
    EXPECT_FALSE(c.FindRow(""));
    Riad* empty = AddRow(c, "");
    EXPECT_TRUE(c.FindRow(""));
    EXPECT_EQ(c.CurrentRow, empty);
}

TEST(Lookup, NamesCompareAsBytes) {
    Catalog c;
    // "Стандартный" and "стандартный" in Windows-1251 differ in the first byte only.
    Koles* upper = AddTyre(c, "\xD1\xF2\xE0\xED\xE4\xE0\xF0\xF2\xED\xFB\xE9", 1800);
    EXPECT_FALSE(c.FindTyre("\xF1\xF2\xE0\xED\xE4\xE0\xF0\xF2\xED\xFB\xE9"));
    EXPECT_TRUE(c.FindTyre("\xD1\xF2\xE0\xED\xE4\xE0\xF0\xF2\xED\xFB\xE9"));
    EXPECT_EQ(c.CurrentTyre, upper);
}

TEST(Lookup, PairsByExactNumberText) {
    const NumberFormat saved = GlobalNumberFormat();
    GlobalNumberFormat().decimalSeparator = ',';
    Catalog c;
    MainPair* p39 = AddPair(c, 3.9);
    MainPair* p4 = AddPair(c, 4);
    MainPair* third = AddPair(c, 1.0 / 3);
    EXPECT_TRUE(c.FindPair("3,9"));
    EXPECT_EQ(c.CurrentPair, p39);
    for (const char* miss : {"3,900", "3,90", "03,9", "3.9", "3,9 "}) {
        EXPECT_FALSE(c.FindPair(miss)) << miss;
        EXPECT_EQ(c.CurrentPair, third);
    }
    EXPECT_TRUE(c.FindPair("4"));
    EXPECT_EQ(c.CurrentPair, p4);
    EXPECT_TRUE(c.FindPair("0,333333333333333"));
    EXPECT_EQ(c.CurrentPair, third);

    // Two values equal to 15 digits share their text: the first is found.
    Catalog d;
    MainPair* first = AddPair(d, 4.1);
    AddPair(d, 4.1000000000000005);
    EXPECT_TRUE(d.FindPair("4,1"));
    EXPECT_EQ(d.CurrentPair, first);

    GlobalNumberFormat().decimalSeparator = '.';
    EXPECT_TRUE(c.FindPair("3.9"));
    EXPECT_FALSE(c.FindPair("3,9"));
    GlobalNumberFormat() = saved;
}

// The one rule the editor and the acceleration window add pairs by: above 0, and never a
// value whose number text a pair has.
TEST(Records, APairIsAddedOnceByItsNumberText) {
    const NumberFormat saved = GlobalNumberFormat();
    Catalog c;
    AddPair(c, 4.1);
    const struct {
        char separator;
        double value;
        PairAdd outcome;
    } cases[] = {
        {',', 0, PairAdd::Refused},
        {',', NAN, PairAdd::Refused},
        {',', 4.1000000000000005, PairAdd::Present},  // the same text, "4,1"
        {',', 427 / 100.0, PairAdd::Added},           // "4,27"
        {'.', 4.27, PairAdd::Present},                // the text under the separator of the moment
    };
    for (const auto& k : cases) {
        GlobalNumberFormat().decimalSeparator = k.separator;
        c.CurrentPair = nullptr;
        EXPECT_EQ(AddPairOnce(c, k.value), k.outcome) << k.value;
        // The pair of that text, found or new, is the current one.
        EXPECT_EQ(c.CurrentPair ? FloatToStr(*c.CurrentPair) : "",
                  k.outcome == PairAdd::Refused ? "" : FloatToStr(k.value));
    }
    EXPECT_EQ(c.Pairs.Count(), 2u);
    GlobalNumberFormat() = saved;
}

// Lookups remember each pair's text; what the editor does between two lookups (a value
// changed through the reference, pairs removed, added or the catalog cleared and loaded
// again) must show in the next one.
TEST(Lookup, PairTextsFollowEveryChange) {
    const NumberFormat saved = GlobalNumberFormat();
    GlobalNumberFormat().decimalSeparator = ',';
    Catalog c;
    MainPair* p39 = AddPair(c, 3.9);
    MainPair* p41 = AddPair(c, 4.1);
    ASSERT_TRUE(c.FindPair("4,1"));

    *c.CurrentPair = 4.3;  // replaced in place, as the editor does
    EXPECT_FALSE(c.FindPair("4,1"));
    EXPECT_TRUE(c.FindPair("4,3"));
    EXPECT_EQ(c.CurrentPair, p41);

    ASSERT_TRUE(c.RemovePair(p39));  // 4.3 moves to the first position
    EXPECT_FALSE(c.FindPair("3,9"));
    EXPECT_TRUE(c.FindPair("4,3"));
    MainPair* p5 = AddPair(c, 5.125);
    EXPECT_TRUE(c.FindPair("5,125"));
    EXPECT_EQ(c.CurrentPair, p5);

    c.ClearCatalog();
    MainPair* again = AddPair(c, 3.7);
    EXPECT_FALSE(c.FindPair("4,3"));
    EXPECT_TRUE(c.FindPair("3,7"));
    EXPECT_EQ(c.CurrentPair, again);
    GlobalNumberFormat() = saved;
}

TEST(Records, RemoveByIdentityKeepsOrderAndEmptiesTheReference) {
    Catalog c;
    Riad* a = AddRow(c, "A");
    Riad* b = AddRow(c, "B");
    Riad* a2 = AddRow(c, "A");
    ASSERT_TRUE(c.FindRow("B"));
    EXPECT_TRUE(c.RemoveRow(b));
    EXPECT_EQ(c.CurrentRow, nullptr);
    ASSERT_EQ(c.Rows.Count(), 2u);
    EXPECT_EQ(c.Rows.At(0), a);
    EXPECT_EQ(c.Rows.At(1), a2);  // the second "A" by identity, not by name
    EXPECT_FALSE(c.RemoveRow(b));

    // Removing another record leaves the reference where it was.
    ASSERT_TRUE(c.FindRow("A"));
    EXPECT_TRUE(c.RemoveRow(a2));
    EXPECT_EQ(c.CurrentRow, a);

    // Overwriting in place keeps the position.
    c.CurrentRow->Ratios[0] = 3.5;
    EXPECT_EQ(c.Rows[0].Ratios[0], 3.5);
}

TEST(Records, ClearCatalogEmptiesListsAndReferences) {
    Catalog c;
    AddRow(c, "A");
    AddPair(c, 3.9);
    AddTyre(c, "T", 1);
    c.FindRow("A");
    c.FindTyre("T");
    c.ClearCatalog();
    EXPECT_EQ(c.Rows.Count() + c.Pairs.Count() + c.Tyres.Count(), 0u);
    EXPECT_EQ(c.CurrentRow, nullptr);
    EXPECT_EQ(c.CurrentTyre, nullptr);
    c.ClearCatalog();  // on an empty catalog: nothing happens
    EXPECT_TRUE(c.Rows.Empty());
}

}  // namespace
}  // namespace kelm
