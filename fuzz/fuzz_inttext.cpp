// Integer text: the result agrees with a plain reference reading, and an integer read
// formats to a text that reads back to the same integer.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "base/errors.h"
#include "base/numtext.h"

namespace {

// The rule written out the slow way: spaces, sign, "$"/"x"/"X"/"0x"/"0X" + hex digits or
// decimal digits, nothing after them, within 32 bits.
std::optional<std::int32_t> Reference(const std::string& t) {
    std::size_t i = t.find_first_not_of(' ');
    if (i == std::string::npos) return std::nullopt;
    bool neg = false;
    if (t[i] == '+' || t[i] == '-') neg = t[i++] == '-';
    int base = 10;
    if (t.compare(i, 1, "$") == 0 || t.compare(i, 1, "x") == 0 || t.compare(i, 1, "X") == 0) {
        base = 16;
        i += 1;
    } else if (t.compare(i, 2, "0x") == 0 || t.compare(i, 2, "0X") == 0) {
        base = 16;
        i += 2;
    }
    if (i >= t.size()) return std::nullopt;
    __int128 v = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        int d = (c >= '0' && c <= '9')                 ? c - '0'
                : (base == 16 && c >= 'a' && c <= 'f') ? c - 'a' + 10
                : (base == 16 && c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
        if (d < 0) return std::nullopt;
        v = v * base + d;
        if (v > (__int128{1} << 40)) return std::nullopt;
    }
    if (neg) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto value = kelm::TryStrToInt(text);
    if (value != Reference(text)) std::abort();
    try {
        if (kelm::StrToInt(text) != *value) std::abort();
    } catch (const kelm::ConvertError&) {
        if (value) std::abort();
    }
    if (value && kelm::StrToInt(kelm::IntToStr(*value)) != *value) std::abort();
    return 0;
}
