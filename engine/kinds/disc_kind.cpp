#include "engine/kinds/disc_kind.hpp"

#include "engine/kinds/kind_registry.hpp"
#include "engine/shape_lowering.hpp"
#include "render/coverage.hpp"

namespace orv {

void DiscKind::lower(const ObjectCore& core, bool solid, DrawList& out) const {
    const uint32_t colour = solid ? core.colour | 0xFF000000u : core.colour;
    const QuadCorners c = circleCorners(core.x, core.y, radius);
    // No point is inside a circle of negative (or NaN) radius.
    if (!(radius > 0.0) || !finite(c.left, c.top, c.right, c.bottom)) {
        return;
    }
    Primitive& p = boxQuad(out, kPrimDisc, c.left, c.top, c.right, c.bottom, colour);
    // Where the pixel lies in the square, -1 to 1 across, less 1.
    p.inverse[0] = 2.0f / (c.right - c.left);
    p.inverse[3] = 2.0f / (c.bottom - c.top);
    // An outline thinner than the radius is a ring, which hides nothing inside it.
    if (outline > 0.0 && outline < radius) {
        p.kind |= kFlagRing;
        // The hole's size as a part of the disc's, the same on both axes.
        p.source[0] = p.source[1] = static_cast<float>((radius - outline) / radius);
        return;
    }
    if (colour >> 24 == 0xFFu) {
        out.opaque.back() = insideOfDisc(boundsOf(p));
    }
}

GameObject makeCircle(double x, double y, double radius, uint32_t rgba) {
    GameObject object;
    object.x = x;
    object.y = y;
    object.colour = rgba;
    object.kind = DiscKind{radius};
    return object;
}

GameObject makeDisc(double x, double y, double radius, uint32_t rgba, double outline) {
    requireFinite({x, y}, "a disc's centre");
    requireWidth(radius, "a radius");
    requireWidth(outline, "an outline");
    GameObject object = makeCircle(x, y, radius, rgba);
    object.kind = DiscKind{radius, outline};
    return object;
}

}  // namespace orv
