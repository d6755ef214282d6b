#pragma once
// Colours as the engine keeps them: three float components, each 0 to 1.

#include <array>
#include <cstdint>

namespace orv {

using Color = std::array<float, 3>;

// Each byte of 0xRRGGBB divided by 255 in float; bits 24 to 31 are ignored.
Color unpackColor(std::int32_t packed);

// A component as an 8-bit normalised value, rounded as a colour attachment stores it.
std::uint8_t toUnorm8(float component);

}  // namespace orv
