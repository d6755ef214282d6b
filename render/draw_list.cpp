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

void DrawList::add(const Primitive& primitive, const PixelBox& opaqueArea) {
    primitives.push_back(primitive);
    opaque.push_back(opaqueArea);
}

uint32_t packColor(const Color& color, float alpha) {
    return static_cast<uint32_t>(toUnorm8(color[0])) | static_cast<uint32_t>(toUnorm8(color[1])) << 8 |
           static_cast<uint32_t>(toUnorm8(color[2])) << 16 | static_cast<uint32_t>(toUnorm8(alpha)) << 24;
}

float colorComponent(uint32_t packed, unsigned index) {
    return static_cast<float>((packed >> (8 * index)) & 0xFFu) / 255.0f;
}

void farCorner(const Primitive& quad, float& x, float& y) {
    if (quad.has(kFlagAxisAligned)) {
        x = quad.p1[0];
        y = quad.p2[1];
    } else {
        x = quad.p1[0] + quad.p2[0] - quad.p0[0];
        y = quad.p1[1] + quad.p2[1] - quad.p0[1];
    }
}

PixelBox boundsOf(const Primitive& p) {
    float x3 = p.p2[0];
    float y3 = p.p2[1];
    if (p.kindNumber() != kPrimTriangle) {
        farCorner(p, x3, y3);
    }
    return {std::min({p.p0[0], p.p1[0], p.p2[0], x3}), std::min({p.p0[1], p.p1[1], p.p2[1], y3}),
            std::max({p.p0[0], p.p1[0], p.p2[0], x3}), std::max({p.p0[1], p.p1[1], p.p2[1], y3})};
}

}  // namespace orv
