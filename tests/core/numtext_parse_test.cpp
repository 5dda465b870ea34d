#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>

#include "base/numtext.h"

namespace kelm {
namespace {

// Reading number text must give the correctly rounded double whichever way the reader
// gets there; from_chars is the reference.  The texts cover the short numbers of a
// catalog and the long or extreme ones around the limits of exact arithmetic.
TEST(NumberTextReading, AgreesWithCorrectRoundingOnRandomTexts) {
    std::mt19937_64 random(20240611);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int n = 0; n < 200000; ++n) {
        std::string digits;
        const int count = pick(1, 20);
        for (int d = 0; d < count; ++d) digits += static_cast<char>('0' + pick(0, 9));
        const int point = pick(0, count);  // where the separator goes; count: none
        std::string text = pick(0, 3) == 0 ? "-" : "";
        text += digits.substr(0, static_cast<std::size_t>(point));
        if (point < count) text += "," + digits.substr(static_cast<std::size_t>(point));
        if (pick(0, 2) == 0) {
            text += pick(0, 1) ? "E" : "e";
            const int exponent = pick(-330, 330);
            if (exponent < 0) text += '-';
            std::string e;
            for (int a = std::abs(exponent); a > 0 || e.empty(); a /= 10)
                e.insert(e.begin(), char('0' + a % 10));
            text += e;
        }
        std::string reference = text;
        for (char& c : reference) c = c == ',' ? '.' : c;
        double expected = 0;
        const auto res =
            std::from_chars(reference.data(), reference.data() + reference.size(), expected);
        if (res.ec != std::errc()) continue;  // overflow and underflow have their own rules
        const auto got = TryStrToFloat(text, ',');
        ASSERT_TRUE(got.has_value()) << text;
        ASSERT_EQ(*got, expected) << text;
        ASSERT_EQ(std::signbit(*got), std::signbit(expected)) << text;
    }
}

TEST(NumberTextReading, EdgesOfTheExactShortcut) {
    EXPECT_EQ(StrToFloat("999999999999999", ','), 999999999999999.0);
    EXPECT_EQ(StrToFloat("9007199254740993", ','), 9007199254740992.0);  // 2^53 + 1 rounds to even
    EXPECT_EQ(StrToFloat("1E22", ','), 1e22);
    EXPECT_EQ(StrToFloat("1E23", ','), 1e23);
    EXPECT_EQ(StrToFloat("0,0000000000000000000001", ','), 1e-22);
    EXPECT_EQ(StrToFloat("123456789012345E-37", ','), 123456789012345e-37);
    EXPECT_EQ(StrToFloat("0,1", ','), 0.1);
    EXPECT_EQ(StrToFloat("3,636", ','), 3.636);
    EXPECT_EQ(StrToFloat("-0,000", ','), 0.0);
    EXPECT_TRUE(std::signbit(StrToFloat("-0,000", ',')));
}

}  // namespace
}  // namespace kelm
