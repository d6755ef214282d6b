#include "engine/kinds/ellipse_kind.hpp"

#include <cmath>

#include "engine/kinds/kind_registry.hpp"
#include "engine/shape_lowering.hpp"
#include "render/coverage.hpp"

namespace orv {

void EllipseKind::lower(const ObjectCore& core, bool solid, DrawList& out) const {
    const uint32_t colour = solid ? core.colour | 0xFF000000u : core.colour;
    if (!(rx > 0.0) || !(ry > 0.0)) {
        return;
    }
    const Turn t = turnOf(core.angle);
    Primitive* p = nullptr;
    if (t.s == 0.0) {
        // Upright (or half turned, the same ellipse): the disc of its box.
        const QuadCorners c = rectangleCorners(core.x - rx, core.y - ry, 2.0 * rx, 2.0 * ry);
        if (!finite(c.left, c.top, c.right, c.bottom) || !(c.left < c.right) || !(c.top < c.bottom)) {
            return;
        }
        p = &boxQuad(out, kPrimDisc, c.left, c.top, c.right, c.bottom, colour);
        p->inverse[0] = 2.0f / (c.right - c.left);
        p->inverse[3] = 2.0f / (c.bottom - c.top);
    } else {
        // The box's corner and sides, turned about the centre; the inverse of the sides as
        // stored maps a pixel's offset onto 0..2 across each axis.
        const double ux = 2.0 * rx * t.c;
        const double uy = 2.0 * rx * t.s;
        const double vx = -2.0 * ry * t.s;
        const double vy = 2.0 * ry * t.c;
        const float p0x = static_cast<float>(core.x - (ux + vx) / 2.0);
        const float p0y = static_cast<float>(core.y - (uy + vy) / 2.0);
        const float e1x = static_cast<float>(core.x - (ux + vx) / 2.0 + ux) - p0x;
        const float e1y = static_cast<float>(core.y - (uy + vy) / 2.0 + uy) - p0y;
        const float e2x = static_cast<float>(core.x - (ux + vx) / 2.0 + vx) - p0x;
        const float e2y = static_cast<float>(core.y - (uy + vy) / 2.0 + vy) - p0y;
        const float det = e1x * e2y - e2x * e1y;
        if (!(det != 0.0f) || !std::isfinite(det) || !finite(p0x, p0y, p0x + e1x + e2x, p0y + e1y + e2y)) {
            return;
        }
        p = &out.add();
        p->p0[0] = p0x;
        p->p0[1] = p0y;
        p->p1[0] = p0x + e1x;
        p->p1[1] = p0y + e1y;
        p->p2[0] = p0x + e2x;
        p->p2[1] = p0y + e2y;
        p->color = colour;
        p->kind = kPrimDisc;
        p->inverse[0] = 2.0f * e2y / det;
        p->inverse[1] = -2.0f * e2x / det;
        p->inverse[2] = -2.0f * e1y / det;
        p->inverse[3] = 2.0f * e1x / det;
    }
    // An outline thinner than both radii is a band, which hides nothing inside it.
    if (outline > 0.0 && outline < rx && outline < ry) {
        p->kind |= kFlagRing;
        p->source[0] = static_cast<float>((rx - outline) / rx);
        p->source[1] = static_cast<float>((ry - outline) / ry);
        return;
    }
    if (colour >> 24 == 0xFFu) {
        out.opaque.back() = t.s == 0.0 ? insideOfDisc(boundsOf(*p)) : insideOfEllipse(*p);
    }
}

GameObject makeEllipse(double x, double y, double rx, double ry, uint32_t rgba, double angle, double outline) {
    requireFinite({x, y}, "an ellipse's centre");
    requireFinite({angle}, "an angle");
    requireWidth(rx, "a radius");
    requireWidth(ry, "a radius");
    requireWidth(outline, "an outline");
    GameObject object;
    object.x = x;
    object.y = y;
    object.angle = angle;
    object.colour = rgba;
    object.kind = EllipseKind{rx, ry, outline};
    return object;
}

}  // namespace orv
