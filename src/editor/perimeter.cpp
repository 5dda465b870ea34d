#include "editor/perimeter.h"

#include <numbers>

namespace kelm {

std::optional<std::int64_t> TyrePerimeter(std::int32_t rimInches, std::int32_t widthMm,
                                          std::int32_t profilePercent) {
    if (rimInches <= 0 || widthMm <= 0 || profilePercent <= 0) return std::nullopt;
    // long double is the 80-bit extended type on the x86 targets we build for; the whole
    // sum is formed in it so that values just below a whole millimetre do not round up.
    const long double rim = static_cast<long double>(rimInches) * 25.4L;
    const long double share = static_cast<long double>(widthMm) / 100.0f;
    const long double sidewall = static_cast<long double>(profilePercent) * share;
    const long double diameter = rim + 2 * sidewall;
    const long double circumference = diameter * std::numbers::pi_v<long double>;
    return static_cast<std::int64_t>(circumference);
}

}  // namespace kelm
