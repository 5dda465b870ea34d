#include <gtest/gtest.h>

#include <cstdio>

#include "base/cp1251.h"
#include "base/errors.h"
#include "base/numtext.h"
#include "catalog/catalog.h"
#include "catalog/catalogfile.h"
#include "editor/namecheck.h"
#include "editor/numbermask.h"
#include "editor/perimeter.h"
#include "file_test_support.h"
#include "recording_messages.h"

namespace kelm {
namespace {

TEST(TyrePerimeter, CountsBothSidewalls) {
    EXPECT_EQ(TyrePerimeter(13, 165, 70), 1763);  // pi * 561.2 = 1763.06
    EXPECT_EQ(TyrePerimeter(14, 175, 70), 1886);  // pi * 600.6 = 1886.84: truncated, not rounded
    EXPECT_EQ(TyrePerimeter(15, 195, 65), 1993);  // pi * 634.5 = 1993.34
    EXPECT_EQ(TyrePerimeter(1000, 10000, 10000), 6362981);  // pi * 2025400, no overflow
}

TEST(TyrePerimeter, NothingWithoutAWholeSize) {
    EXPECT_FALSE(TyrePerimeter(0, 175, 70));
    EXPECT_FALSE(TyrePerimeter(14, 0, 70));
    EXPECT_FALSE(TyrePerimeter(14, 175, 0));
    EXPECT_FALSE(TyrePerimeter(-14, 175, 70));
}

TEST(NumberMask, ShowsANumberTextInFivePositions) {
    const NumberMask comma(',');
    EXPECT_EQ(comma.Format("3,9"), "3,9  ");
    EXPECT_EQ(comma.Format("12,5"), "1,5  ");
    EXPECT_EQ(comma.Format("3,5454"), "3,545");  // cut, not rounded
    EXPECT_EQ(comma.Format("4"), "4,   ");
    EXPECT_EQ(comma.Format("0"), "0,   ");
    EXPECT_EQ(comma.Format(",5"), " ,5  ");
    EXPECT_EQ(comma.Format(""), " ,   ");
    EXPECT_EQ(comma.Blank(), " ,   ");
    // Under a decimal point the field's separator is the point, and nothing is lost.
    const NumberMask point('.');
    EXPECT_EQ(point.Format(FloatToStr(3.9, '.')), "3.9  ");
    EXPECT_EQ(point.Format(FloatToStr(4, '.')), "4.   ");
    EXPECT_TRUE(point.IsWellFormed("3.9  "));
    EXPECT_FALSE(point.IsWellFormed("3,9  "));
    EXPECT_FALSE(comma.IsWellFormed("3,9"));
}

NumberMask::State At(std::string text, int cursor, int selStart = 0, int selLength = 0) {
    return {std::move(text), cursor, selStart, selLength};
}

TEST(NumberMask, TypingOverwritesDigitPositionsAndSkipsTheSeparator) {
    const NumberMask m(',');
    auto s = At(" ,   ", 0);
    EXPECT_TRUE(m.Type(s, '4'));
    EXPECT_EQ(s.text, "4,   ");
    EXPECT_EQ(s.cursor, 2);  // past the separator
    EXPECT_TRUE(m.Type(s, '1'));
    EXPECT_TRUE(m.Type(s, '0'));
    EXPECT_TRUE(m.Type(s, '5'));
    EXPECT_EQ(s.text, "4,105");
    EXPECT_FALSE(m.Type(s, '7'));  // no position left
    EXPECT_EQ(s.text, "4,105");

    s = At("0,000", 1);  // cursor right before the separator
    EXPECT_TRUE(m.Type(s, '9'));
    EXPECT_EQ(s.text, "0,900");
    EXPECT_EQ(s.cursor, 3);

    s = At("0,000", 0);
    for (char refused : {'a', ' ', '-', '.', '+'}) EXPECT_FALSE(m.Type(s, refused)) << refused;
    EXPECT_EQ(s.text, "0,000");
    EXPECT_EQ(s.cursor, 0);
}

TEST(NumberMask, SeparatorJumpsToTheDecimalsOnlyFromTheFront) {
    const NumberMask m(',');
    auto s = At(" ,   ", 0);
    EXPECT_TRUE(m.Type(s, ','));
    EXPECT_EQ(s.cursor, 2);
    EXPECT_EQ(s.text, " ,   ");
    EXPECT_TRUE(m.Type(s, '5'));
    EXPECT_EQ(s.text, " ,5  ");
    EXPECT_FALSE(m.Type(s, ','));  // already in the decimals
    EXPECT_EQ(s.cursor, 3);

    s = At(" ,   ", 0);  // "4,1" typed: the cursor skips the separator before it is typed
    for (char c : std::string("4,1")) EXPECT_TRUE(m.Type(s, c)) << c;
    EXPECT_EQ(s.text, "4,1  ");
    s = At("3,   ", 1);
    EXPECT_TRUE(m.Type(s, ','));
    EXPECT_EQ(s.cursor, 2);
    EXPECT_EQ(s.text, "3,   ");
}

TEST(NumberMask, BackspaceAndDeleteBlankOnePositionAndKeepTheSeparator) {
    const NumberMask m(',');
    auto s = At("3,545", 5);
    EXPECT_TRUE(m.Backspace(s));
    EXPECT_EQ(s.text, "3,54 ");
    EXPECT_EQ(s.cursor, 4);
    s = At("3,545", 2);
    EXPECT_TRUE(m.Backspace(s));  // jumps over the separator
    EXPECT_EQ(s.text, " ,545");
    EXPECT_EQ(s.cursor, 0);
    EXPECT_FALSE(m.Backspace(s));
    EXPECT_EQ(s.text, " ,545");

    s = At("3,545", 1);
    EXPECT_TRUE(m.Delete(s));
    EXPECT_EQ(s.text, "3, 45");
    s = At("3,545", 3);
    EXPECT_TRUE(m.Delete(s));
    EXPECT_EQ(s.text, "3,5 5");
    EXPECT_EQ(s.cursor, 3);
    s = At("3,545", 5);
    EXPECT_FALSE(m.Delete(s));
}

TEST(NumberMask, ASelectionIsBlankedBeforeTyping) {
    const NumberMask m(',');
    auto s = At("3,545", 5, 0, 5);  // everything selected
    EXPECT_TRUE(m.Type(s, '7'));
    EXPECT_EQ(s.text, "7,   ");
    EXPECT_EQ(s.cursor, 2);
    EXPECT_EQ(s.selLength, 0);

    s = At("3,545", 4, 2, 2);
    EXPECT_TRUE(m.Delete(s));
    EXPECT_EQ(s.text, "3,  5");
    EXPECT_EQ(s.cursor, 2);

    s = At("3,545", 5, 0, 5);
    EXPECT_FALSE(m.Type(s, 'x'));  // a refused key keeps the selection's content
    EXPECT_EQ(s.text, "3,545");
}

TEST(CatalogName, MarkerLinesLineBreaksALeadingEndMarkAndForeignCharactersAreRefused) {
    for (const char* marker : {"_", "Riads", "Paras", "Koless"}) {
        const auto problem = CatalogNameProblem(marker);
        ASSERT_TRUE(problem) << marker;
        EXPECT_NE(problem->find(marker), std::string::npos) << *problem;
    }
    EXPECT_TRUE(CatalogNameProblem("ВАЗ\n2108"));
    EXPECT_TRUE(CatalogNameProblem("ВАЗ\r2108"));
    EXPECT_TRUE(CatalogNameProblem("\r"));
    EXPECT_TRUE(
        CatalogNameProblem("\x1A"
                           "ВАЗ"));  // would end the file when read back
    const auto foreign = CatalogNameProblem("Шина 漢");
    ASSERT_TRUE(foreign);
    EXPECT_NE(foreign->find("漢"), std::string::npos) << *foreign;
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += c < 0x20 || c == 0x7F ? hex : std::string(1, char(c));
    }
    return out;
}

// Names the file gives back unchanged, control characters included.
const char* const kKeptNames[] = {"",
                                  " ",
                                  "Стандартный",
                                  "Бл 85 165/70-13",
                                  "riads",
                                  "Koless 2",
                                  " Paras",
                                  "__",
                                  "Ёлка №1",
                                  "ВАЗ\t2108",
                                  "\t",
                                  "\x01\x02\x1F",
                                  "Del\x7F",
                                  "ВАЗ\x1A"
                                  "2108",
                                  " \x1A"};

TEST(CatalogName, OrdinaryNamesAndControlCharactersPass) {
    for (const char* name : kKeptNames) {
        EXPECT_FALSE(CatalogNameProblem(name)) << name;
        EXPECT_TRUE(Utf8ToCp1251(name)) << name;
    }
}

// What the check lets through survives a save and a load unchanged; what it refuses (and
// Windows-1251 can hold) does not: the check and the file agree.
TEST(CatalogName, TheCheckAgreesWithASaveAndLoadRoundTrip) {
    testing::RecordingMessages messages;
    testing::TempFolder folder;
    const std::string path = folder / "Kelm.dat";
    std::vector<std::string> names(std::begin(kKeptNames), std::end(kKeptNames));
    for (const char* refused : {"_", "Riads", "Paras", "Koless", "A\nB", "A\rB", "A\r\nB", "\x1A",
                                "\x1A"
                                "ВАЗ",
                                "\r"})
        names.push_back(refused);

    for (const std::string& name : names) {
        // Each name alone, so that a lost record cannot hide another's fate.
        Catalog one;
        auto copy = std::make_unique<Koles>();
        copy->Name = *Utf8ToCp1251(name);
        copy->Perimeter = 1800;
        one.AppendTyre(std::move(copy));
        SaveCatalog(one, path);
        Catalog loaded;
        try {
            LoadCatalog(loaded, path);
        } catch (const ConvertError&) {
        }
        const bool comesBack = loaded.Tyres.Count() == 1 &&
                               loaded.Tyres[0].Name == one.Tyres[0].Name &&
                               loaded.Tyres[0].Perimeter == 1800;
        EXPECT_EQ(comesBack, !CatalogNameProblem(name)) << Escaped(name);
    }
    EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace kelm
