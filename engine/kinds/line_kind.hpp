#pragma once
// A straight line from its first end (x, y) by (dx, dy), `width` pixels wide with square
// ends, turned about its middle.

#include <array>

#include "engine/object_core.hpp"
#include "engine/shape_geometry.hpp"
#include "render/draw_list.hpp"

namespace orv {

struct GameObject;

struct LineKind {
    static constexpr const char* kName = "line";
    static constexpr bool kMoves = true;

    double dx = 0.0;
    double dy = 0.0;
    double width = 1.0;

    void lower(const ObjectCore& core, bool solid, DrawList& out) const;
    HitArea hitArea(const ObjectCore&, bool) const { return HitArea{HitArea::Shape::Pieces, {}, 0.0}; }
    void resize(ObjectCore&, double x, double y) {
        dx = x;
        dy = y;
    }
    void setOutline(double w) { width = w; }
    double outlineWidth() const { return width; }
    std::array<double, 2> extent() const { return {dx, dy}; }
    bool advances() const { return false; }
    void advance(ObjectCore&, double) {}
};

// A line with finite ends and a width of 0 or more.
GameObject makeLine(double x1, double y1, double x2, double y2, double width, uint32_t rgba);

}  // namespace orv
