#include "engine/kinds/rectangle_kind.hpp"

#include <cmath>

#include "engine/kinds/kind_registry.hpp"
#include "engine/shape_lowering.hpp"

namespace orv {

HitArea RectangleKind::hitArea(const ObjectCore& core, bool) const {
    if (std::fmod(core.angle, 360.0) != 0.0 || radius > 0.0) {
        return HitArea{HitArea::Shape::Pieces, {}, 0.0};
    }
    return HitArea{HitArea::Shape::Box, rectangleCorners(core.x, core.y, width, height), 0.0};
}

void RectangleKind::lower(const ObjectCore& core, bool solid, DrawList& out) const {
    const uint32_t colour = solid ? core.colour | 0xFF000000u : core.colour;
    if (core.angle != 0.0 || outline > 0.0) {
        lowerTurned(core, colour, out);
        return;
    }
    const QuadCorners c = rectangleCorners(core.x, core.y, width, height);
    if (!finite(c.left, c.top, c.right, c.bottom)) {
        return;
    }
    const Primitive& p = boxQuad(out, kPrimQuad, c.left, c.top, c.right, c.bottom, colour);
    // Its pixels are exactly those of its box (and hide what is below only if it is opaque).
    if (colour >> 24 == 0xFFu) {
        out.opaque.back() = boundsOf(p);
    }
}

// Turned by its angle about its centre, and its outline if it has one: four quads that do
// not overlap, so a colour seen through is blended once everywhere.
void RectangleKind::lowerTurned(const ObjectCore& core, uint32_t colour, DrawList& out) const {
    const double w = std::fabs(width);
    const double h = std::fabs(height);
    const double left = std::fmin(core.x, core.x + width);
    const double top = std::fmin(core.y, core.y + height);
    const Turn t = turnOf(core.angle);
    // A box given from the rectangle's top-left corner, turned about its centre.
    const auto box = [&](double l, double tp, double r, double b) {
        if (t.none()) {
            solidQuad(out, left + l, top + tp, r - l, 0.0, 0.0, b - tp, colour);
            return;
        }
        const double dx = l - w / 2.0;
        const double dy = tp - h / 2.0;
        solidQuad(out, left + w / 2.0 + t.c * dx - t.s * dy, top + h / 2.0 + t.s * dx + t.c * dy, t.c * (r - l),
                  t.s * (r - l), -t.s * (b - tp), t.c * (b - tp), colour);
    };
    const double s = outline;
    if (!(s > 0.0) || 2.0 * s >= w || 2.0 * s >= h) {
        box(0.0, 0.0, w, h);
        return;
    }
    box(0.0, 0.0, w, s);          // top, the whole width
    box(0.0, h - s, w, h);        // bottom, the whole width
    box(0.0, s, s, h - s);        // left, between them
    box(w - s, s, w, h - s);      // right
}

GameObject makeRectangle(double x, double y, double w, double h, uint32_t rgba) {
    GameObject object;
    object.x = x;
    object.y = y;
    object.colour = rgba;
    object.kind = RectangleKind{w, h};
    return object;
}

GameObject makeRect(double x, double y, double w, double h, uint32_t rgba, double outline, double angle,
                    double radius) {
    requireFinite({x, y, w, h}, "a rectangle's place and size");
    requireFinite({angle}, "an angle");
    requireWidth(outline, "an outline");
    requireWidth(radius, "a corner radius");
    GameObject object = makeRectangle(x, y, w, h, rgba);
    object.angle = angle;
    object.kind = RectangleKind{w, h, outline, radius};
    return object;
}

}  // namespace orv
