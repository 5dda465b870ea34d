// Real number text: any bytes either read as a number or raise the conversion error, and
// a number that was read formats to a text that reads back to a number with the same text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/errors.h"
#include "base/numtext.h"

namespace {

void Check(const std::string& text, char sep) {
    const auto value = kelm::TryStrToFloat(text, sep);
    try {
        const double thrown = kelm::StrToFloat(text, sep);
        if (!value || !(thrown == *value || (thrown != thrown && *value != *value))) std::abort();
    } catch (const kelm::ConvertError&) {
        if (value) std::abort();
    }
    if (!value) return;
    const std::string once = kelm::FloatToStr(*value, sep);
    const auto back = kelm::TryStrToFloat(once, sep);
    if (!back) std::abort();
    if (kelm::FloatToStr(*back, sep) != once) std::abort();
    // Either separator works where the file reader allows both.
    if (kelm::StrToFloatAnySeparator(once) != *back) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Check(text, ',');
    Check(text, '.');
    return 0;
}
