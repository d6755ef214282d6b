#include "render/draw_list.hpp"

#include <algorithm>
#include <cstring>

namespace orv {

void DrawList::begin(uint32_t frameWidth, uint32_t frameHeight, uint32_t clear) {
    width = frameWidth;
    height = frameHeight;
    clearColor = clear;
    primitives.clear();
    opaque.clear();
}

bool DrawList::sameAs(const DrawList& other) const {
    const auto sameBytes = [](const auto& a, const auto& b) {
        return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(a[0])) == 0);
    };
    return width == other.width && height == other.height && clearColor == other.clearColor &&
           sameBytes(primitives, other.primitives) && sameBytes(opaque, other.opaque);
}

float colorComponent(uint32_t packed, unsigned index) {
    return static_cast<float>((packed >> (8 * index)) & 0xFFu) / 255.0f;
}

}  // namespace orv
