#pragma once
// An ellipse about its centre (x, y) with radii rx along x and ry along y before its turn,
// turned about its centre, filled or outlined (the band between it and the ellipse of radii
// less the outline).

#include <array>

#include "engine/object_core.hpp"
#include "engine/shape_geometry.hpp"
#include "render/draw_list.hpp"

namespace orv {

struct GameObject;

struct EllipseKind {
    static constexpr const char* kName = "ellipse";
    static constexpr bool kMoves = true;

    double rx = 0.0;
    double ry = 0.0;
    double outline = 0.0;

    void lower(const ObjectCore& core, bool solid, DrawList& out) const;
    // Hit and collided as its whole ellipse, outlined or not, as a circle is.
    HitArea hitArea(const ObjectCore&, bool) const { return HitArea{HitArea::Shape::Pieces, {}, 0.0}; }
    void resize(ObjectCore&, double x, double y) {
        rx = x;
        ry = y;
    }
    void setOutline(double w) { outline = w; }
    double outlineWidth() const { return outline; }
    std::array<double, 2> extent() const { return {2.0 * rx, 2.0 * ry}; }
    bool advances() const { return false; }
    void advance(ObjectCore&, double) {}
};

// An ellipse with a finite centre and angle, radii and outline of 0 or more.
GameObject makeEllipse(double x, double y, double rx, double ry, uint32_t rgba, double angle, double outline);

}  // namespace orv
