#include "engine/kinds/rectangle_kind.hpp"

#include <cmath>

#include "engine/kinds/kind_registry.hpp"
#include "engine/shape_lowering.hpp"
#include "render/coverage.hpp"

namespace orv {

HitArea RectangleKind::hitArea(const ObjectCore& core, bool) const {
    if (std::fmod(core.angle, 360.0) != 0.0 || radius > 0.0) {
        return HitArea{HitArea::Shape::Pieces, {}, 0.0};
    }
    return HitArea{HitArea::Shape::Box, rectangleCorners(core.x, core.y, width, height), 0.0};
}

void RectangleKind::lower(const ObjectCore& core, bool solid, DrawList& out) const {
    const uint32_t colour = solid ? core.colour | 0xFF000000u : core.colour;
    if (radius > 0.0) {
        lowerRounded(core, solid, colour, out);
        return;
    }
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

// A rounded box, turned about its centre. Its shape (solid) is what it covers, outline or
// not: the cross of two boxes and a disc at each corner.
void RectangleKind::lowerRounded(const ObjectCore& core, bool solid, uint32_t colour, DrawList& out) const {
    const double w = std::fabs(width);
    const double h = std::fabs(height);
    if (!(w > 0.0) || !(h > 0.0)) {
        return;
    }
    const double r = std::fmin(radius, std::fmin(w, h) / 2.0);
    const double cx = std::fmin(core.x, core.x + width) + w / 2.0;
    const double cy = std::fmin(core.y, core.y + height) + h / 2.0;
    const Turn t = turnOf(core.angle);
    // A point given from the centre, turned.
    const auto at = [&](double dx, double dy, float (&p)[2]) {
        p[0] = static_cast<float>(cx + t.c * dx - t.s * dy);
        p[1] = static_cast<float>(cy + t.s * dx + t.c * dy);
    };
    if (solid) {
        const auto box = [&](double l, double tp, double rt, double b) {
            solidQuad(out, cx + t.c * l - t.s * tp, cy + t.s * l + t.c * tp, t.c * (rt - l), t.s * (rt - l),
                      -t.s * (b - tp), t.c * (b - tp), colour);
        };
        box(-w / 2.0 + r, -h / 2.0, w / 2.0 - r, h / 2.0);
        box(-w / 2.0, -h / 2.0 + r, w / 2.0, h / 2.0 - r);
        for (const double sx : {-1.0, 1.0}) {
            for (const double sy : {-1.0, 1.0}) {
                float centre[2];
                at(sx * (w / 2.0 - r), sy * (h / 2.0 - r), centre);
                const QuadCorners c = circleCorners(centre[0], centre[1], r);
                Primitive& p = boxQuad(out, kPrimDisc, c.left, c.top, c.right, c.bottom, colour);
                p.inverse[0] = 2.0f / (c.right - c.left);
                p.inverse[3] = 2.0f / (c.bottom - c.top);
            }
        }
        return;
    }
    Primitive& p = out.add();
    at(-w / 2.0, -h / 2.0, p.p0);
    at(w / 2.0, -h / 2.0, p.p1);
    at(-w / 2.0, h / 2.0, p.p2);
    if (!finite(p.p0[0], p.p0[1], p.p1[0], p.p1[1]) || !finite(p.p2[0], p.p2[1], p.p1[0] + p.p2[0], 0.0f)) {
        out.primitives.pop_back();
        out.opaque.pop_back();
        out.shown.pop_back();
        return;
    }
    p.color = colour;
    p.kind = kPrimRoundedBox | (t.s == 0.0 ? kFlagAxisAligned : 0u);
    p.source[0] = static_cast<float>(w);
    p.source[1] = static_cast<float>(h);
    p.source[2] = static_cast<float>(r);
    p.source[3] = static_cast<float>(outline);
    p.inverse[0] = static_cast<float>(t.c / w);
    p.inverse[1] = static_cast<float>(t.s / w);
    p.inverse[2] = static_cast<float>(-t.s / h);
    p.inverse[3] = static_cast<float>(t.c / h);
    if (colour >> 24 == 0xFFu) {
        out.opaque.back() = insideOfRoundedBox(p);
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
