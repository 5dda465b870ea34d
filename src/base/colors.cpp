#include "base/colors.h"

namespace kelm {

const std::array<NamedColor, 16> kStandardColors = {{
    {"Black", colors::Black},
    {"Maroon", colors::Maroon},
    {"Green", colors::Green},
    {"Olive", colors::Olive},
    {"Navy", colors::Navy},
    {"Purple", colors::Purple},
    {"Teal", colors::Teal},
    {"Gray", colors::Gray},
    {"Silver", colors::Silver},
    {"Red", colors::Red},
    {"Lime", colors::Lime},
    {"Yellow", colors::Yellow},
    {"Blue", colors::Blue},
    {"Fuchsia", colors::Fuchsia},
    {"Aqua", colors::Aqua},
    {"White", colors::White},
}};

std::optional<std::size_t> StandardColorIndex(Color c) {
    for (std::size_t i = 0; i < kStandardColors.size(); ++i) {
        if (kStandardColors[i].value == c) return i;
    }
    return std::nullopt;
}

}  // namespace kelm
