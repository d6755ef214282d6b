#pragma once
// Colours as the engine keeps them: three float components, each 0 to 1.

#include <array>
#include <cstdint>

namespace orv {

using Color = std::array<float, 3>;

// Each byte of 0xRRGGBB divided by 255 in float; bits 24 to 31 are ignored.
Color unpackColor(std::int32_t packed);

// A component as an 8-bit normalised value, rounded as a colour attachment stores it.
inline std::uint8_t toUnorm8(float component) {
    // NaN compares false both ways and lands on 0.
    const float clamped = component > 0.0f ? (component < 1.0f ? component : 1.0f) : 0.0f;
    // Not negative, so truncating rounds down (and needs no call into libm).
    return static_cast<std::uint8_t>(static_cast<int>(clamped * 255.0f + 0.5f));
}

}  // namespace orv
