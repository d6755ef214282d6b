#pragma once
// What a frame draws, resolved: primitives in window pixels, topmost first, as the scene
// was lowered into them. The renderers translate primitives; they never see the objects the
// primitives came from.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/color.hpp"

namespace orv {

#include "render/draw_layout.h"

struct Primitive {
    QEL_PRIMITIVE_FIELDS

    uint32_t kindNumber() const { return kind & kKindMask; }
    bool has(uint32_t flag) const { return (kind & flag) != 0; }
};

static_assert(sizeof(Primitive) == kPrimitiveSize, "primitive record layout is shared with the shaders");
static_assert(offsetof(Primitive, p0) == kOffsetP0, "primitive record layout");
static_assert(offsetof(Primitive, p1) == kOffsetP1, "primitive record layout");
static_assert(offsetof(Primitive, p2) == kOffsetP2, "primitive record layout");
static_assert(offsetof(Primitive, color) == kOffsetColor, "primitive record layout");
static_assert(offsetof(Primitive, kind) == kOffsetKind, "primitive record layout");
static_assert(offsetof(Primitive, source) == kOffsetSource, "primitive record layout");
static_assert(offsetof(Primitive, inverse) == kOffsetInverse, "primitive record layout");

// An axis-aligned area in window pixels. Empty unless left <= right and top <= bottom.
struct PixelBox {
    float left = 0.0f;
    float top = 0.0f;
    float right = -1.0f;
    float bottom = -1.0f;
};

struct DrawList {
    uint32_t width = 0;
    uint32_t height = 0;
    // Packed as the primitives' colours are; what no primitive covers.
    uint32_t clearColor = 0;
    std::vector<Primitive> primitives;
    // Per primitive: where it paints every pixel centre fully opaque, if anywhere (a hint:
    // what lies under it there need not be drawn).
    std::vector<PixelBox> opaque;
    // Per primitive: the box outside which it surely paints nothing, if tighter than its own
    // (a picture's transparent margins, at one texel a pixel); empty for its own box.
    std::vector<PixelBox> shown;

    void begin(uint32_t frameWidth, uint32_t frameHeight, uint32_t clear);
    // The next primitive, zeroed, to be filled in place; opaque nowhere until said otherwise.
    Primitive& add() {
        opaque.emplace_back();
        shown.emplace_back();
        return primitives.emplace_back();
    }
    size_t size() const { return primitives.size(); }
    // Whether both draw the same pixels: the same size, clear colour and primitives, bit for bit.
    bool sameAs(const DrawList& other) const;
};

// An axis-aligned quad between the corners (left, top) and (right, bottom), as given (a
// negative size swaps its sides), added to the list; a solid one's source is the unit square.
Primitive& boxQuad(DrawList& out, uint32_t kind, float left, float top, float right, float bottom, uint32_t color);

// The colour packed as the draw list holds it (alpha 0 to 1).
inline uint32_t packColor(const Color& color, float alpha = 1.0f) {
    return static_cast<uint32_t>(toUnorm8(color[0])) | static_cast<uint32_t>(toUnorm8(color[1])) << 8 |
           static_cast<uint32_t>(toUnorm8(color[2])) << 16 | static_cast<uint32_t>(toUnorm8(alpha)) << 24;
}
// A packed colour's component (0 red, 1 green, 2 blue, 3 alpha) as a float, 0 to 1.
float colorComponent(uint32_t packed, unsigned index);

// The quad's fourth corner, at (u, v) = (1, 1): exact for an axis-aligned quad.
inline void farCorner(const Primitive& quad, float& x, float& y) {
    if (quad.has(kFlagAxisAligned)) {
        x = quad.p1[0];
        y = quad.p2[1];
    } else {
        x = quad.p1[0] + quad.p2[0] - quad.p0[0];
        y = quad.p1[1] + quad.p2[1] - quad.p0[1];
    }
}

// The smallest box holding the primitive's corners (for a disc, its quad).
inline PixelBox boundsOf(const Primitive& p) {
    if (p.has(kFlagAxisAligned)) {
        return {std::min(p.p0[0], p.p1[0]), std::min(p.p0[1], p.p2[1]), std::max(p.p0[0], p.p1[0]),
                std::max(p.p0[1], p.p2[1])};
    }
    float x3 = p.p2[0];
    float y3 = p.p2[1];
    if (p.kindNumber() != kPrimTriangle) {
        farCorner(p, x3, y3);
    }
    return {std::min({p.p0[0], p.p1[0], p.p2[0], x3}), std::min({p.p0[1], p.p1[1], p.p2[1], y3}),
            std::max({p.p0[0], p.p1[0], p.p2[0], x3}), std::max({p.p0[1], p.p1[1], p.p2[1], y3})};
}

}  // namespace orv
