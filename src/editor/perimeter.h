#pragma once

#include <cstdint>
#include <optional>

namespace kelm {

// Rolling circumference of a tyre in millimetres from its size: rim diameter in inches,
// section width in millimetres and profile (sidewall height in percent of the width).
// The wheel's diameter is the rim plus a sidewall above and below it, so the result is
// pi * (rim * 25.4 + 2 * width * profile / 100), worked out in extended precision and
// truncated toward zero (13", 165/70 gives 1763).  Nothing when any input is 0 or less:
// there is no tyre to measure.
std::optional<std::int64_t> TyrePerimeter(std::int32_t rimInches, std::int32_t widthMm,
                                          std::int32_t profilePercent);

}  // namespace kelm
