#pragma once
// Colour text as the added functions read it: "#rgb", "#rrggbb", "#rrggbbaa" (hex, either
// case) and the CSS named colours (case-insensitive, with "transparent"). Plain C++: no
// interpreter, nothing printed.

#include <cstdint>
#include <optional>
#include <string_view>

namespace orv {

// Packed RGBA as the draw list holds it (red in the low byte); nothing for anything else.
std::optional<std::uint32_t> parseColourText(std::string_view text);

// 0xRRGGBB (bits 24 to 31 ignored) packed as RGBA, red in the low byte.
constexpr std::uint32_t rgbaOfHex(std::uint32_t rrggbb, std::uint32_t alpha = 0xFFu) {
    return ((rrggbb >> 16) & 0xFFu) | (rrggbb & 0xFF00u) | (rrggbb & 0xFFu) << 16 | (alpha & 0xFFu) << 24;
}

}  // namespace orv
