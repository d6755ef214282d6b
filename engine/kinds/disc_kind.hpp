#pragma once
// A circle about its centre (x, y), filled or outlined (a ring). Turning it changes nothing.

#include <array>

#include "engine/object_core.hpp"
#include "engine/shape_geometry.hpp"
#include "render/draw_list.hpp"

namespace orv {

struct GameObject;

struct DiscKind {
    static constexpr const char* kName = "circle";
    static constexpr bool kMoves = true;

    double radius = 0.0;
    // Drawn inside the edge, in pixels (0: filled).
    double outline = 0.0;

    void lower(const ObjectCore& core, bool solid, DrawList& out) const;
    HitArea hitArea(const ObjectCore& core, bool) const {
        return HitArea{HitArea::Shape::Disc, circleCorners(core.x, core.y, radius), radius};
    }
    void resize(ObjectCore&, double r, double) { radius = r; }
    void setOutline(double w) { outline = w; }
    double outlineWidth() const { return outline; }
    std::array<double, 2> extent() const { return {2.0 * radius, 2.0 * radius}; }
    bool advances() const { return false; }
    void advance(ObjectCore&, double) {}
};

// createCircle's circle: as given. createDisc's: a finite centre, radius and outline of 0
// or more.
GameObject makeCircle(double x, double y, double radius, uint32_t rgba);
GameObject makeDisc(double x, double y, double radius, uint32_t rgba, double outline);

}  // namespace orv
