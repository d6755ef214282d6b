#pragma once
// A rectangle from its top-left corner (x, y), `width` along x and `height` along y (either
// may be negative: the box then lies the other side of its corner), turned about its
// centre, filled or outlined, its corners rounded by `radius`.

#include <array>

#include "engine/object_core.hpp"
#include "engine/shape_geometry.hpp"
#include "render/draw_list.hpp"

namespace orv {

struct GameObject;

struct RectangleKind {
    static constexpr const char* kName = "rectangle";
    static constexpr bool kMoves = true;

    double width = 0.0;
    double height = 0.0;
    // Drawn inside the edge, in pixels (0: filled).
    double outline = 0.0;
    double radius = 0.0;

    void lower(const ObjectCore& core, bool solid, DrawList& out) const;
    // Upright and square-cornered: the inclusive box it always had; else as drawn.
    HitArea hitArea(const ObjectCore& core, bool texels) const;
    void resize(ObjectCore&, double w, double h) {
        width = w;
        height = h;
    }
    void setOutline(double w) { outline = w; }
    double outlineWidth() const { return outline; }
    std::array<double, 2> extent() const { return {width, height}; }
    bool advances() const { return false; }
    void advance(ObjectCore&, double) {}

private:
    void lowerRounded(const ObjectCore& core, bool solid, uint32_t colour, DrawList& out) const;
    void lowerTurned(const ObjectCore& core, uint32_t colour, DrawList& out) const;
};

// createRectangle's rectangle: as given, opaque. createRect's: a finite place and size,
// outline and corner radius of 0 or more, a finite angle.
GameObject makeRectangle(double x, double y, double width, double height, uint32_t rgba);
GameObject makeRect(double x, double y, double width, double height, uint32_t rgba, double outline, double angle,
                    double radius);

}  // namespace orv
