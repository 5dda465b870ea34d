#include "base/numtext.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "base/errors.h"

namespace kelm {

NumberFormat& GlobalNumberFormat() {
    static NumberFormat format;
    return format;
}

// ---------------------------------------------------------------------------------------
// Number to text

std::string FloatToStr(double value) { return FloatToStr(value, DecimalSeparator()); }

std::string FloatToStr(double value, char sep) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    // 15 significant digits, correctly rounded: "d.dddddddddddddde[+-]xx".  The text is
    // put together in buffers on the stack: a catalog of ten thousand pairs is formatted
    // at every start.  The shortest text that reads back as a normal value lies within
    // half its last binary place of it, less than half a unit of its 15th digit; so where
    // that text has no more than 15 digits it is the rounded one, got at a fraction of
    // the cost.  Catalog values (3,9 or 1802) always are.
    char sci[32];
    auto res = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific);
    const char* const begin = sci;
    const char* const mantissaEnd = std::find(begin, static_cast<const char*>(res.ptr), 'e');
    const auto shortestDigits = (mantissaEnd - begin) - (*begin == '-' ? 1 : 0) -
                                (std::find(begin, mantissaEnd, '.') != mantissaEnd ? 1 : 0);
    if (shortestDigits > 15 || std::fabs(value) < std::numeric_limits<double>::min()) {
        res = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific, 14);
    }
    const char* p = sci;
    const bool negative = *p == '-';
    if (negative) ++p;
    char digits[16];
    std::size_t count = 0;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (*p != '.') digits[count++] = *p;
    }
    int exponent = 0;
    if (p < res.ptr) {
        ++p;  // the 'e'
        if (p < res.ptr && *p == '+') ++p;
        std::from_chars(p, res.ptr, exponent);
    }
    while (count > 1 && digits[count - 1] == '0') --count;

    char out[48];
    char* o = out;
    const auto put = [&o](const char* from, std::size_t n) { o = std::copy_n(from, n, o); };
    if (negative) *o++ = '-';
    if (exponent >= -4 && exponent < 15) {
        if (exponent < 0) {
            *o++ = '0';
            *o++ = sep;
            o = std::fill_n(o, -exponent - 1, '0');
            put(digits, count);
        } else {
            const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
            if (count <= intDigits) {
                put(digits, count);
                o = std::fill_n(o, intDigits - count, '0');
            } else {
                put(digits, intDigits);
                *o++ = sep;
                put(digits + intDigits, count - intDigits);
            }
        }
    } else {
        *o++ = digits[0];
        if (count > 1) {
            *o++ = sep;
            put(digits + 1, count - 1);
        }
        *o++ = 'E';
        o = std::to_chars(o, out + sizeof out, exponent).ptr;
    }
    return std::string(out, o);
}

// ---------------------------------------------------------------------------------------
// Text to number

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Parses the grammar of a real number; the separators accepted are sepA and sepB (the
// same character when only one is allowed).
std::optional<double> ParseFloat(std::string_view text, char sepA, char sepB) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    std::string_view t = text.substr(b, e - b);
    if (t.empty()) return std::nullopt;

    std::size_t i = 0;
    bool negative = false;
    bool hadSign = false;
    if (t[i] == '+' || t[i] == '-') {
        negative = t[i] == '-';
        hadSign = true;
        ++i;
    }
    std::size_t mantissaDigits = 0;
    int leadingIntDigits = 0;  // integer digits after leading zeros
    int leadingFracZeros = 0;  // fraction zeros before the first non-zero digit
    bool seenNonZero = false;
    // The significant digits as an integer, while they fit, for the exact fast path.
    std::uint64_t significand = 0;
    int significantDigits = 0;
    auto addSignificant = [&](char digit) {
        if (++significantDigits <= 19)
            significand = significand * 10 + static_cast<unsigned>(digit - '0');
    };
    const std::size_t intBegin = i;
    while (i < t.size() && IsDigit(t[i])) {
        if (t[i] != '0') seenNonZero = true;
        if (seenNonZero) {
            ++leadingIntDigits;
            addSignificant(t[i]);
        }
        ++i;
        ++mantissaDigits;
    }
    const std::string_view intDigits = t.substr(intBegin, i - intBegin);
    bool hadSeparator = false;
    std::string_view fracDigits;
    if (i < t.size() && (t[i] == sepA || t[i] == sepB)) {
        hadSeparator = true;
        ++i;
        const std::size_t fracBegin = i;
        while (i < t.size() && IsDigit(t[i])) {
            if (t[i] != '0') seenNonZero = true;
            if (!seenNonZero) {
                ++leadingFracZeros;
            } else {
                addSignificant(t[i]);
            }
            ++i;
            ++mantissaDigits;
        }
        fracDigits = t.substr(fracBegin, i - fracBegin);
    }
    if (mantissaDigits == 0) {
        // Only the separator (and the blanks around it) reads as zero.
        if (hadSeparator && !hadSign && i == t.size()) return 0.0;
        return std::nullopt;
    }
    long long exponent = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
            expNegative = t[i] == '-';
            ++i;
        }
        if (i >= t.size() || !IsDigit(t[i])) return std::nullopt;
        while (i < t.size() && IsDigit(t[i])) {
            if (exponent < 100000000) exponent = exponent * 10 + (t[i] - '0');
            ++i;
        }
        if (expNegative) exponent = -exponent;
    }
    if (i != t.size()) return std::nullopt;
    if (!seenNonZero) return negative ? -0.0 : 0.0;

    // Fast path for the usual short numbers: with at most 15 significant digits the
    // significand and a power of ten up to 1e22 are exact doubles, so one multiplication
    // or division gives the correctly rounded value, the same as from_chars.
    const long long scale = exponent - static_cast<long long>(fracDigits.size());
    if (significantDigits <= 15 && scale >= -22 && scale <= 22) {
        static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                  1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        const double v = static_cast<double>(significand);
        const double value = scale < 0 ? v / kPowersOfTen[-scale] : v * kPowersOfTen[scale];
        return negative ? -value : value;
    }

    // The same number in from_chars' own syntax ("." and no plus sign), built in a buffer
    // on the stack unless the text is very long: catalogs hold many numbers.
    char shortText[64];
    std::string longText;
    const std::size_t capacity = mantissaDigits + 24;
    char* normal = shortText;
    if (capacity > sizeof shortText) {
        longText.resize(capacity);
        normal = longText.data();
    }
    char* end = std::copy(intDigits.begin(), intDigits.end(), normal);
    if (hadSeparator) {
        *end++ = '.';
        end = std::copy(fracDigits.begin(), fracDigits.end(), end);
    }
    if (exponent != 0) {
        *end++ = 'e';
        end = std::to_chars(end, normal + capacity, exponent).ptr;
    }
    double value = 0;
    const auto res = std::from_chars(normal, end, value);
    if (res.ec == std::errc::result_out_of_range) {
        // Decide between overflow (an error) and underflow (zero) by the magnitude.
        const long long magnitude =
            exponent + (leadingIntDigits > 0 ? leadingIntDigits - 1 : -(leadingFracZeros + 1));
        if (magnitude > 0) return std::nullopt;
        return negative ? -0.0 : 0.0;
    }
    if (res.ec != std::errc() || res.ptr != end) return std::nullopt;
    return negative ? -value : value;
}

}  // namespace

std::optional<double> TryStrToFloat(std::string_view text, char decimalSeparator) {
    return ParseFloat(text, decimalSeparator, decimalSeparator);
}

double StrToFloat(std::string_view text, char decimalSeparator) {
    if (auto v = ParseFloat(text, decimalSeparator, decimalSeparator)) return *v;
    throw ConvertError(NotAFloatMessage(std::string(text)));
}

double StrToFloat(std::string_view text) { return StrToFloat(text, DecimalSeparator()); }

double StrToFloatAnySeparator(std::string_view text) {
    if (auto v = ParseFloat(text, ',', '.')) return *v;
    throw ConvertError(NotAFloatMessage(std::string(text)));
}

// ---------------------------------------------------------------------------------------
// Integers

std::optional<std::int32_t> TryStrToInt(std::string_view t) {
    std::size_t i = 0;
    while (i < t.size() && t[i] == ' ') ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < t.size() && (t[i] == '$' || t[i] == 'x' || t[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < t.size() && t[i] == '0' && (t[i + 1] == 'x' || t[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= t.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * base + d;
        if (value > std::int64_t{1} << 32) return std::nullopt;  // far out of range already
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToInt(std::string_view text) {
    if (auto v = TryStrToInt(text)) return *v;
    throw ConvertError(NotAnIntegerMessage(std::string(text)));
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t def) {
    return TryStrToInt(text).value_or(def);
}

std::string IntToStr(std::int64_t value) { return std::to_string(value); }

// ---------------------------------------------------------------------------------------
// "#,##0"

std::string FormatGrouped(double value, std::string_view sep) {
    if (!std::isfinite(value)) return FloatToStr(value);
    const double rounded = std::round(value);
    if (std::fabs(rounded) >= 1e18) return FloatToStr(rounded);
    long long whole = static_cast<long long>(rounded);
    const bool negative = whole < 0;
    std::string digits = std::to_string(negative ? -whole : whole);
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += sep;
        out += digits[i];
    }
    return negative ? "-" + out : out;
}

std::string FormatGrouped(double value) {
    return FormatGrouped(value, GlobalNumberFormat().thousandSeparator);
}

}  // namespace kelm
