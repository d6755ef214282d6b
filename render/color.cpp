#include "render/color.hpp"

#include <algorithm>
#include <cmath>

namespace orv {

Color unpackColor(std::int32_t packed) {
    const auto bits = static_cast<std::uint32_t>(packed);
    const auto channel = [bits](unsigned shift) {
        return static_cast<float>((bits >> shift) & 0xFFu) / 255.0f;
    };
    return {channel(16), channel(8), channel(0)};
}

std::uint8_t toUnorm8(float component) {
    // NaN compares false both ways and lands on 0.
    const float clamped = component > 0.0f ? std::min(component, 1.0f) : 0.0f;
    // Not negative, so truncating rounds down (and needs no call into libm).
    return static_cast<std::uint8_t>(static_cast<int>(clamped * 255.0f + 0.5f));
}

}  // namespace orv
