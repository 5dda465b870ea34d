#include "base/numtext.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/errors.h"

namespace kelm {
namespace {

// Runs a test body under a given decimal separator and puts the old one back.
class SeparatorScope {
public:
    explicit SeparatorScope(char sep) : saved_(GlobalNumberFormat()) {
        GlobalNumberFormat().decimalSeparator = sep;
    }
    ~SeparatorScope() { GlobalNumberFormat() = saved_; }

private:
    NumberFormat saved_;
};

TEST(FloatToStr, ShortestFifteenDigitsWithComma) {
    SeparatorScope comma(',');
    EXPECT_EQ(FloatToStr(3.9), "3,9");
    EXPECT_EQ(FloatToStr(4), "4");
    EXPECT_EQ(FloatToStr(1802), "1802");
    EXPECT_EQ(FloatToStr(0), "0");
    EXPECT_EQ(FloatToStr(-0.0), "0");
    EXPECT_EQ(FloatToStr(0.000123), "0,000123");
    EXPECT_EQ(FloatToStr(0.0001), "0,0001");
    EXPECT_EQ(FloatToStr(1.0 / 3), "0,333333333333333");
    EXPECT_EQ(FloatToStr(2.0 / 3), "0,666666666666667");
    EXPECT_EQ(FloatToStr(0.00001), "1E-5");
    EXPECT_EQ(FloatToStr(-0.000012345), "-1,2345E-5");
    EXPECT_EQ(FloatToStr(3.636), "3,636");
    EXPECT_EQ(FloatToStr(-2.5), "-2,5");
    EXPECT_EQ(FloatToStr(100), "100");
    EXPECT_EQ(FloatToStr(123456789012345.0), "123456789012345");
    EXPECT_EQ(FloatToStr(1e15), "1E15");
    EXPECT_EQ(FloatToStr(1.5e300), "1,5E300");
    // Rounding to 15 digits decides the notation: this rounds up to 1E15.
    EXPECT_EQ(FloatToStr(999999999999999.9), "1E15");
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0,3");
}

TEST(FloatToStr, PointSeparator) {
    SeparatorScope point('.');
    EXPECT_EQ(FloatToStr(3.9), "3.9");
    EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(FloatToStr(0.00001), "1E-5");
    EXPECT_EQ(FloatToStr(1802), "1802");
}

TEST(StrToFloat, AcceptedForms) {
    SeparatorScope comma(',');
    EXPECT_EQ(StrToFloat("3,9"), 3.9);
    EXPECT_EQ(StrToFloat("  3,9  "), 3.9);
    EXPECT_EQ(StrToFloat("3,9  "), 3.9);
    EXPECT_EQ(StrToFloat("-2,5"), -2.5);
    EXPECT_EQ(StrToFloat("+7"), 7.0);
    EXPECT_EQ(StrToFloat("3,"), 3.0);
    EXPECT_EQ(StrToFloat(" ,5  "), 0.5);
    EXPECT_EQ(StrToFloat(","), 0.0);
    EXPECT_EQ(StrToFloat(" ,   "), 0.0);
    EXPECT_EQ(StrToFloat("1E-5"), 0.00001);
    EXPECT_EQ(StrToFloat("1,5e+3"), 1500.0);
    EXPECT_EQ(StrToFloat("1E-400"), 0.0);
}

TEST(StrToFloat, CorrectRoundingRoundTripsEveryFormattedValue) {
    SeparatorScope comma(',');
    // Values whose 15-digit text must come back as exactly the nearest double.
    for (double v : {0.1, 1.0 / 3, 3.545, 6e-5, 123456.789, 2.2250738585072014e-308}) {
        const std::string text = FloatToStr(v);
        EXPECT_EQ(StrToFloat(text), StrToFloat(text, ',')) << text;
        EXPECT_EQ(FloatToStr(StrToFloat(text)), text);
    }
    EXPECT_EQ(StrToFloat("0,1"), 0.1);
    EXPECT_EQ(StrToFloat("0,333333333333333"), 0.333333333333333);
    // A long digit string is rounded once, correctly.
    EXPECT_EQ(StrToFloat("9007199254740993"), 9007199254740992.0);
    EXPECT_EQ(StrToFloat("9007199254740993,0000000001"), 9007199254740994.0);
}

TEST(StrToFloat, RejectsWithTheWholeTextInTheMessage) {
    SeparatorScope comma(',');
    const char* bad[] = {"", "  ", "3.9", "3,9x", "3,␣5", "3, 5", "-", "+,", "E5", "1E", "1E+",
                         "1,2,3", "0x10", "--1", "1 2", "\t1", "1e999"};
    for (const char* text : bad) {
        try {
            StrToFloat(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("'") + text + "' is not a valid floating point value");
        }
    }
}

TEST(StrToFloat, PointLocaleRejectsComma) {
    SeparatorScope point('.');
    EXPECT_EQ(StrToFloat("3.9"), 3.9);
    EXPECT_THROW(StrToFloat("3,9"), ConvertError);
    EXPECT_EQ(StrToFloatAnySeparator("3,9"), 3.9);
    EXPECT_EQ(StrToFloatAnySeparator("3.9"), 3.9);
    EXPECT_THROW(StrToFloatAnySeparator("3,9.1"), ConvertError);
}

TEST(StrToInt, DecimalHexAndRange) {
    EXPECT_EQ(StrToInt("1800"), 1800);
    EXPECT_EQ(StrToInt("  -5"), -5);
    EXPECT_EQ(StrToInt("+5"), 5);
    EXPECT_EQ(StrToInt("$1770"), 6000);
    EXPECT_EQ(StrToInt("0x1770"), 6000);
    EXPECT_EQ(StrToInt("0X1770"), 6000);
    EXPECT_EQ(StrToInt("-$10"), -16);
    EXPECT_EQ(StrToInt("2147483647"), 2147483647);
    EXPECT_EQ(StrToInt("-2147483648"), -2147483647 - 1);
    for (const char* text : {"1800 ", "", "-", "abc", "2147483648", "-2147483649", "$", "0x",
                             "1,5", "99999999999999999999", "$7FFFFFFF0"}) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConvertError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("'") + text + "' is not a valid integer value");
        }
    }
    EXPECT_EQ(StrToIntDef("abc", 6000), 6000);
    EXPECT_EQ(StrToIntDef("-", 0), 0);
    EXPECT_FALSE(TryStrToInt("").has_value());
}

TEST(FormatGrouped, RoundsAndGroups) {
    EXPECT_EQ(FormatGrouped(0, " "), "0");
    EXPECT_EQ(FormatGrouped(999.4, " "), "999");
    EXPECT_EQ(FormatGrouped(6000, " "), "6 000");
    EXPECT_EQ(FormatGrouped(1234567.6, ","), "1,234,568");
    EXPECT_EQ(FormatGrouped(-4800, "."), "-4.800");
    EXPECT_EQ(FormatGrouped(47.4725, " "), "47");
}

}  // namespace
}  // namespace kelm
