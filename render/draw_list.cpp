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
    shown.clear();
}

bool DrawList::sameAs(const DrawList& other) const {
    const auto sameBytes = [](const auto& a, const auto& b) {
        return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(a[0])) == 0);
    };
    return width == other.width && height == other.height && clearColor == other.clearColor &&
           sameBytes(primitives, other.primitives) && sameBytes(opaque, other.opaque) &&
           sameBytes(shown, other.shown);
}

float colorComponent(uint32_t packed, unsigned index) {
    return static_cast<float>((packed >> (8 * index)) & 0xFFu) / 255.0f;
}

Primitive& boxQuad(DrawList& out, uint32_t kind, float left, float top, float right, float bottom, uint32_t color) {
    Primitive& p = out.add();
    p.p0[0] = left;
    p.p0[1] = top;
    p.p1[0] = right;
    p.p1[1] = top;
    p.p2[0] = left;
    p.p2[1] = bottom;
    p.color = color;
    p.kind = kind | kFlagAxisAligned;
    // A solid quad's source is the unit square.
    p.source[2] = 1.0f;
    p.source[3] = 1.0f;
    p.inverse[0] = 1.0f / (right - left);
    p.inverse[3] = 1.0f / (bottom - top);
    return p;
}

}  // namespace orv
