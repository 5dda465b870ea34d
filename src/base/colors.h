#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kelm {

// A colour as the program stores it: 0x00BBGGRR, red in the low byte (red is 255).
using Color = std::uint32_t;

constexpr std::uint8_t RedOf(Color c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(Color c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(Color c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }
constexpr Color MakeColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}

namespace colors {
constexpr Color Black = 0;
constexpr Color Maroon = 128;
constexpr Color Green = 32768;
constexpr Color Olive = 32896;
constexpr Color Navy = 8388608;
constexpr Color Purple = 8388736;
constexpr Color Teal = 8421376;
constexpr Color Gray = 8421504;
constexpr Color Silver = 12632256;
constexpr Color Red = 255;
constexpr Color Lime = 65280;
constexpr Color Yellow = 65535;
constexpr Color Blue = 16711680;
constexpr Color Fuchsia = 16711935;
constexpr Color Aqua = 16776960;
constexpr Color White = 16777215;
}  // namespace colors

struct NamedColor {
    std::string_view name;
    Color value;
};

// The sixteen colours the colour pickers offer, in their list order.
extern const std::array<NamedColor, 16> kStandardColors;

// Position of a colour in kStandardColors, or nothing when it is not one of them.
std::optional<std::size_t> StandardColorIndex(Color c);

}  // namespace kelm
