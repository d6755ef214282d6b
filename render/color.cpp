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

}  // namespace orv
