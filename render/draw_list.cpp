#include "render/draw_list.hpp"

#include <algorithm>

namespace orv {

void DrawList::begin(uint32_t frameWidth, uint32_t frameHeight, uint32_t clear) {
    width = frameWidth;
    height = frameHeight;
    clearColor = clear;
    primitives.clear();
    opaque.clear();
}

float colorComponent(uint32_t packed, unsigned index) {
    return static_cast<float>((packed >> (8 * index)) & 0xFFu) / 255.0f;
}

}  // namespace orv
