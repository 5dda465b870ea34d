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

namespace {

// A value rounded to 15 significant digits: its digits without trailing zeros (at least
// one) and the decimal exponent of the first of them.
struct RoundedDigits {
    bool negative = false;
    char digits[16];
    std::size_t count = 0;
    int exponent = 0;
};

RoundedDigits RoundTo15Digits(double value) {
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
    RoundedDigits r;
    const char* p = sci;
    r.negative = *p == '-';
    if (r.negative) ++p;
    for (; p < res.ptr && *p != 'e'; ++p) {
        if (*p != '.') r.digits[r.count++] = *p;
    }
    if (p < res.ptr) {
        ++p;  // the 'e'
        if (p < res.ptr && *p == '+') ++p;
        std::from_chars(p, res.ptr, r.exponent);
    }
    while (r.count > 1 && r.digits[r.count - 1] == '0') --r.count;
    return r;
}

// Plain notation: "0,000123", "1802", "3,9".
char* WriteFixed(const RoundedDigits& r, char sep, char* o) {
    const auto put = [&o](const char* from, std::size_t n) { o = std::copy_n(from, n, o); };
    if (r.exponent < 0) {
        *o++ = '0';
        *o++ = sep;
        o = std::fill_n(o, -r.exponent - 1, '0');
        put(r.digits, r.count);
        return o;
    }
    const std::size_t intDigits = static_cast<std::size_t>(r.exponent) + 1;
    if (r.count <= intDigits) {
        put(r.digits, r.count);
        return std::fill_n(o, intDigits - r.count, '0');
    }
    put(r.digits, intDigits);
    *o++ = sep;
    put(r.digits + intDigits, r.count - intDigits);
    return o;
}

// Scientific notation: "1E-5", "1,5E20"; no plus sign, no leading zeros in the exponent.
char* WriteScientific(const RoundedDigits& r, char sep, char* o, char* limit) {
    *o++ = r.digits[0];
    if (r.count > 1) {
        *o++ = sep;
        o = std::copy_n(r.digits + 1, r.count - 1, o);
    }
    *o++ = 'E';
    return std::to_chars(o, limit, r.exponent).ptr;
}

}  // namespace

std::string FloatToStr(double value) { return FloatToStr(value, DecimalSeparator()); }

std::string FloatToStr(double value, char sep) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    const RoundedDigits r = RoundTo15Digits(value);
    char out[48];
    char* o = out;
    if (r.negative) *o++ = '-';
    if (r.exponent >= -4 && r.exponent < 15)
        o = WriteFixed(r, sep, o);
    else
        o = WriteScientific(r, sep, o, out + sizeof out);
    return std::string(out, o);
}

// ---------------------------------------------------------------------------------------
// Text to number

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks (spaces only) around a number are allowed.
std::string_view TrimBlanks(std::string_view text) {
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    return text.substr(b, e - b);
}

// The digits before and after the separator, with what the two ways of converting them
// need to know.
struct Mantissa {
    std::string_view intDigits;
    std::string_view fracDigits;
    bool hadSeparator = false;
    std::size_t digitCount = 0;
    int leadingIntDigits = 0;  // integer digits after leading zeros
    int leadingFracZeros = 0;  // fraction zeros before the first non-zero digit
    bool seenNonZero = false;
    // The significant digits as an integer, while they fit, for the exact fast path.
    std::uint64_t significand = 0;
    int significantDigits = 0;

    void AddSignificant(char digit) {
        if (++significantDigits <= 19)
            significand = significand * 10 + static_cast<unsigned>(digit - '0');
    }
};

// Reads digits, optionally a separator (sepA or sepB) and more digits, from t at i.
Mantissa ScanMantissa(std::string_view t, std::size_t& i, char sepA, char sepB) {
    Mantissa m;
    const std::size_t intBegin = i;
    for (; i < t.size() && IsDigit(t[i]); ++i, ++m.digitCount) {
        if (t[i] != '0') m.seenNonZero = true;
        if (m.seenNonZero) {
            ++m.leadingIntDigits;
            m.AddSignificant(t[i]);
        }
    }
    m.intDigits = t.substr(intBegin, i - intBegin);
    if (i < t.size() && (t[i] == sepA || t[i] == sepB)) {
        m.hadSeparator = true;
        ++i;
        const std::size_t fracBegin = i;
        for (; i < t.size() && IsDigit(t[i]); ++i, ++m.digitCount) {
            if (t[i] != '0') m.seenNonZero = true;
            if (!m.seenNonZero)
                ++m.leadingFracZeros;
            else
                m.AddSignificant(t[i]);
        }
        m.fracDigits = t.substr(fracBegin, i - fracBegin);
    }
    return m;
}

// Reads "E" or "e", an optional sign and digits from t at i, when they are there.  False
// when the "E" has no digits after it.  Exponents far beyond any double are capped; they
// overflow or underflow all the same.
bool ScanExponent(std::string_view t, std::size_t& i, long long& exponent) {
    exponent = 0;
    if (i >= t.size() || (t[i] != 'e' && t[i] != 'E')) return true;
    ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    if (i >= t.size() || !IsDigit(t[i])) return false;
    for (; i < t.size() && IsDigit(t[i]); ++i) {
        if (exponent < 100000000) exponent = exponent * 10 + (t[i] - '0');
    }
    if (negative) exponent = -exponent;
    return true;
}

// The usual short numbers: with at most 15 significant digits the significand and a power
// of ten up to 1e22 are exact doubles, so one multiplication or division gives the
// correctly rounded value, the same as from_chars.  Nothing when the number is not such.
std::optional<double> ExactShortValue(const Mantissa& m, long long exponent) {
    const long long scale = exponent - static_cast<long long>(m.fracDigits.size());
    if (m.significantDigits > 15 || scale < -22 || scale > 22) return std::nullopt;
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                              1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const double v = static_cast<double>(m.significand);
    return scale < 0 ? v / kPowersOfTen[-scale] : v * kPowersOfTen[scale];
}

// Any other number, through from_chars, correctly rounded; nothing when it overflows.
std::optional<double> ValueViaFromChars(const Mantissa& m, long long exponent) {
    // The same number in from_chars' own syntax ("." and no plus sign), built in a buffer
    // on the stack unless the text is very long: catalogs hold many numbers.
    char shortText[64];
    std::string longText;
    const std::size_t capacity = m.digitCount + 24;
    char* normal = shortText;
    if (capacity > sizeof shortText) {
        longText.resize(capacity);
        normal = longText.data();
    }
    char* end = std::copy(m.intDigits.begin(), m.intDigits.end(), normal);
    if (m.hadSeparator) {
        *end++ = '.';
        end = std::copy(m.fracDigits.begin(), m.fracDigits.end(), end);
    }
    if (exponent != 0) {
        *end++ = 'e';
        end = std::to_chars(end, normal + capacity, exponent).ptr;
    }
    double value = 0;
    const auto res = std::from_chars(normal, end, value);
    if (res.ec == std::errc::result_out_of_range) {
        // Decide between overflow (an error) and underflow (zero) by the magnitude.
        const long long magnitude = exponent + (m.leadingIntDigits > 0 ? m.leadingIntDigits - 1
                                                                       : -(m.leadingFracZeros + 1));
        if (magnitude > 0) return std::nullopt;
        return 0.0;
    }
    if (res.ec != std::errc() || res.ptr != end) return std::nullopt;
    return value;
}

// Parses the grammar of a real number; the separators accepted are sepA and sepB (the
// same character when only one is allowed).
std::optional<double> ParseFloat(std::string_view text, char sepA, char sepB) {
    const std::string_view t = TrimBlanks(text);
    if (t.empty()) return std::nullopt;

    std::size_t i = 0;
    const bool hadSign = t[i] == '+' || t[i] == '-';
    const bool negative = t[i] == '-';
    if (hadSign) ++i;
    const Mantissa m = ScanMantissa(t, i, sepA, sepB);
    if (m.digitCount == 0) {
        // Only the separator (and the blanks around it) reads as zero.
        if (m.hadSeparator && !hadSign && i == t.size()) return 0.0;
        return std::nullopt;
    }
    long long exponent = 0;
    if (!ScanExponent(t, i, exponent) || i != t.size()) return std::nullopt;
    if (!m.seenNonZero) return negative ? -0.0 : 0.0;

    std::optional<double> value = ExactShortValue(m, exponent);
    if (!value) value = ValueViaFromChars(m, exponent);
    if (!value) return std::nullopt;
    return negative ? -*value : *value;
}

}  // namespace

std::optional<double> TryStrToFloat(std::string_view text, char decimalSeparator) {
    return ParseFloat(text, decimalSeparator, decimalSeparator);
}

std::optional<double> ReadTypedNumber(std::string_view text) {
    static constexpr std::string_view kBlanks[] = {" ", "\t", "\xC2\xA0", "\xE2\x80\x89",
                                                   "\xE2\x80\xAF"};
    std::string t;
    t.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        std::size_t skip = 0;
        for (std::string_view b : kBlanks) {
            if (text.substr(i, b.size()) == b) skip = b.size();
        }
        if (skip == 0) t += text[i++];
        i += skip;
    }
    if (t.find_first_of("0123456789") == std::string::npos) return std::nullopt;
    if (t.find(',') != std::string::npos && t.find('.') != std::string::npos) return std::nullopt;
    const auto value = ParseFloat(t, ',', '.');
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
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

namespace {

// A whole number's digits with the separator between groups of three from the right.
std::string GroupDigits(std::string_view digits, std::string_view sep) {
    std::string out;
    const std::size_t n = digits.size();
    out.reserve(n + n / 3 * sep.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += sep;
        out += digits[i];
    }
    return out;
}

}  // namespace

std::string FormatGrouped(double value, std::string_view sep) {
    if (!std::isfinite(value)) return FloatToStr(value);
    const double rounded = std::round(value);
    if (std::fabs(rounded) >= 1e18) return FloatToStr(rounded);
    long long whole = static_cast<long long>(rounded);
    const bool negative = whole < 0;
    const std::string out = GroupDigits(std::to_string(negative ? -whole : whole), sep);
    return negative ? "-" + out : out;
}

std::string FormatGrouped(double value) {
    return FormatGrouped(value, GlobalNumberFormat().thousandSeparator);
}

std::string FormatFixed(double value, int decimals, std::string_view sep) {
    if (!std::isfinite(value) || std::fabs(value) >= 1e15) return FloatToStr(value);
    // Below 1e15 the text has at most 16 whole digits, the point and the decimals.
    char buffer[40];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                   std::chars_format::fixed, std::clamp(decimals, 0, 15));
    const std::string_view text(buffer, static_cast<std::size_t>(res.ptr - buffer));
    const std::size_t point = text.find('.');
    std::string out = GroupDigits(text.substr(0, point), sep);
    if (point != std::string_view::npos) {
        out += DecimalSeparator();
        out += text.substr(point + 1);
    }
    // No "-0,0" for a small negative value rounded away.
    if (std::signbit(value) && text.find_first_not_of("0.") != std::string_view::npos)
        out.insert(0, "-");
    return out;
}

}  // namespace kelm
