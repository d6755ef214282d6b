#include "engine/kinds/line_kind.hpp"

#include <cmath>

#include "engine/kinds/kind_registry.hpp"
#include "engine/shape_lowering.hpp"

namespace orv {

// A quad of the line's width along it, ends cut square, turned about its middle.
void LineKind::lower(const ObjectCore& core, bool solid, DrawList& out) const {
    double ax = core.x;
    double ay = core.y;
    double ex = dx;
    double ey = dy;
    const Turn t = turnOf(core.angle);
    if (!t.none()) {
        const double mx = ax + ex / 2.0;
        const double my = ay + ey / 2.0;
        const double tx = t.c * ex - t.s * ey;
        const double ty = t.s * ex + t.c * ey;
        ex = tx;
        ey = ty;
        ax = mx - ex / 2.0;
        ay = my - ey / 2.0;
    }
    const double length = std::hypot(ex, ey);
    if (!(length > 0.0) || !(width > 0.0) || !std::isfinite(length)) {
        return;
    }
    // Half the width across the line.
    const double nx = -ey / length * (width / 2.0);
    const double ny = ex / length * (width / 2.0);
    solidQuad(out, ax - nx, ay - ny, ex, ey, 2.0 * nx, 2.0 * ny, solid ? core.colour | 0xFF000000u : core.colour);
}

GameObject makeLine(double x1, double y1, double x2, double y2, double width, uint32_t rgba) {
    requireFinite({x1, y1, x2, y2}, "a line's ends");
    requireWidth(width, "a line's width");
    GameObject object;
    object.x = x1;
    object.y = y1;
    object.colour = rgba;
    object.kind = LineKind{x2 - x1, y2 - y1, width};
    return object;
}

}  // namespace orv
