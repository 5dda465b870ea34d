#include "base/numtext.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <utility>

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

// The significant digits (no trailing zeros) and the decimal exponent of a number text.
std::pair<std::string, int> DigitsAndExponent(const std::string& text) {
    std::string t = text[0] == '-' ? text.substr(1) : text;
    int exponent = 0;
    if (const auto e = t.find('E'); e != std::string::npos) {
        exponent = std::stoi(t.substr(e + 1));
        t = t.substr(0, e);
        if (const auto sep = t.find(','); sep != std::string::npos) t.erase(sep, 1);
    } else {
        const auto sep = t.find(',');
        std::string whole = t.substr(0, sep);
        std::string fraction = sep == std::string::npos ? "" : t.substr(sep + 1);
        if (whole != "0") {
            exponent = static_cast<int>(whole.size()) - 1;
            t = whole + fraction;
        } else {
            const auto zeros = fraction.find_first_not_of('0');
            exponent = -static_cast<int>(zeros) - 1;
            t = fraction.substr(zeros);
        }
    }
    while (t.size() > 1 && t.back() == '0') t.pop_back();
    return {t, exponent};
}

// The same of the value rounded to 15 significant digits, by the library's own rounding.
std::pair<std::string, int> RoundedTo15(double value) {
    char buf[64];
    const auto end =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14)
            .ptr;
    const std::string sci(buf, end);
    const auto e = sci.find('e');
    std::string digits = sci.substr(0, 1) + sci.substr(2, e - 2);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    return {digits, std::stoi(sci.substr(e + 1))};
}

// Whatever way the text is found, it is the value rounded to 15 digits: over values of
// every magnitude (subnormal ones too), catalog-like values with few decimals, and
// values a hair away from those.
TEST(FloatToStr, AlwaysTheValueRoundedToFifteenDigits) {
    std::mt19937_64 rng(5);
    std::uniform_int_distribution<int> decimals(0, 6);
    std::uniform_real_distribution<double> magnitude(-6, 16);
    for (int i = 0; i < 100000; ++i) {
        std::uint64_t bits = rng();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        const double scale = std::pow(10.0, decimals(rng));
        const double tidy = std::round(std::pow(10.0, magnitude(rng)) * scale) / scale;
        const double nudged = std::nextafter(tidy, (i & 1) ? 1e300 : -1e300);
        for (double v : {any, tidy, nudged, -tidy}) {
            if (!std::isfinite(v) || v == 0) continue;
            ASSERT_EQ(DigitsAndExponent(FloatToStr(v, ',')), RoundedTo15(v)) << FloatToStr(v, ',');
        }
    }
    const double smallest = std::numeric_limits<double>::denorm_min();
    EXPECT_EQ(FloatToStr(smallest, ','), "4,94065645841247E-324");
    EXPECT_EQ(FloatToStr(0.1 + 0.2, ','), "0,3");
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
    const char* bad[] = {"",   "  ",  "3.9",   "3,9x", "3,␣5", "3, 5", "-",   "+,",   "E5",
                         "1E", "1E+", "1,2,3", "0x10", "--1",  "1 2",  "\t1", "1e999"};
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

TEST(ReadTypedNumber, EitherSeparatorAndDigitGroupsButNothingAmbiguous) {
    SeparatorScope point('.');  // the user's separator plays no part
    const struct {
        const char* text;
        std::optional<double> value;
    } cases[] = {
        {"95,5", 95.5},
        {"95.5", 95.5},
        {" 112 ", 112},
        {"1 000", 1000},
        {"1\xC2\xA0"
         "000,5",
         1000.5},  // no-break space between digit groups
        {"12\xE2\x80\xAF"
         "345",
         12345},  // narrow no-break space
        {"\t-0,015\t", -0.015},
        {"1e3", 1000},
        {",5", 0.5},
        {"1.000,5", std::nullopt},  // both separators: not guessed
        {"1,2,3", std::nullopt},
        {"", std::nullopt},
        {",", std::nullopt},  // no digit: not zero, unlike the catalog's number text
        {"abc", std::nullopt},
        {"12 кг", std::nullopt},
        {"1e999", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadTypedNumber(c.text), c.value);
    }
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
    for (const char* text : {"1800 ", "", "-", "abc", "2147483648", "-2147483649", "$", "0x", "1,5",
                             "99999999999999999999", "$7FFFFFFF0"}) {
        try {
            StrToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const ConvertError& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::string("'") + text + "' is not a valid integer value");
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

// Fixed decimals, grouped where asked, and a number however large: to_chars into a short
// buffer fails past about 60 digits, which once printed the buffer's garbage.
TEST(FormatFixed, GroupsAndNeverCutsALargeNumber) {
    const NumberFormat saved = GlobalNumberFormat();
    GlobalNumberFormat().decimalSeparator = ',';
    const struct {
        double value;
        int decimals;
        const char* separator;
        const char* text;
    } cases[] = {
        {1093.25, 1, " ", "1 093,2"},  // correctly rounded: 1093.25 is exact, ties to even
        {1093.3, 1, " ", "1 093,3"},
        {1093.3, 1, "", "1093,3"},
        {999.96, 1, " ", "1 000,0"},
        {47.4725, 1, " ", "47,5"},
        {-0.04, 1, " ", "0,0"},  // no "-0,0"
        {-1234567.89, 2, ".", "-1.234.567,89"},
        {0, 0, " ", "0"},
        {999999999999999.0, 1, " ", "999 999 999 999 999,0"},
        {1.66153846153846e62, 1, " ", "1,66153846153846E62"},
        {1e15, 1, " ", "1E15"},
        {std::numeric_limits<double>::infinity(), 1, " ", "INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatFixed(c.value, c.decimals, c.separator), c.text) << c.value;
    GlobalNumberFormat() = saved;
}

}  // namespace
}  // namespace kelm
