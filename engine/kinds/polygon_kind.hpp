#pragma once
// A polygon: the points the script gave (and the triangles they were cut into once), offset
// by (x, y), turned about its centroid, filled or outlined inside its sides.

#include <array>

#include "engine/object_core.hpp"
#include "engine/polygon_shape.hpp"
#include "engine/shape_geometry.hpp"
#include "render/draw_list.hpp"

namespace orv {

struct GameObject;

struct PolygonKind {
    static constexpr const char* kName = "polygon";
    static constexpr bool kMoves = true;

    PolygonShape shape;
    double outline = 0.0;

    void lower(const ObjectCore& core, bool solid, DrawList& out) const;
    HitArea hitArea(const ObjectCore&, bool) const { return HitArea{HitArea::Shape::Pieces, {}, 0.0}; }
    void resize(ObjectCore&, double, double) {}
    void setOutline(double w) { outline = w; }
    double outlineWidth() const { return outline; }
    std::array<double, 2> extent() const { return {0.0, 0.0}; }
    bool advances() const { return false; }
    void advance(ObjectCore&, double) {}
};

// A polygon of the points (see makePolygonShape for what is refused), outline 0 or more.
GameObject makePolygon(std::vector<Point2D> points, uint32_t rgba, double outline);

}  // namespace orv
