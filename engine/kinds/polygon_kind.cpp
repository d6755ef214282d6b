#include "engine/kinds/polygon_kind.hpp"

#include <cmath>

#include "engine/kinds/kind_registry.hpp"
#include "engine/polygon_outline.hpp"
#include "engine/shape_lowering.hpp"

namespace orv {

// The polygon's triangles, or its outline (a strip inside its sides, mitred at the corners),
// offset and turned about its centroid.
void PolygonKind::lower(const ObjectCore& object, bool solid, DrawList& out) const {
    const uint32_t color = solid ? object.colour | 0xFF000000u : object.colour;
    const PolygonShape* polygon = &shape;
    const Turn t = turnOf(object.angle);
    const Point2D& centre = polygon->centroid;
    const auto place = [&](const Point2D& p) {
        if (t.none()) {
            return Point2D{p.x + object.x, p.y + object.y};
        }
        const double dx = p.x - centre.x;
        const double dy = p.y - centre.y;
        return Point2D{object.x + centre.x + t.c * dx - t.s * dy, object.y + centre.y + t.s * dx + t.c * dy};
    };
    const std::vector<Point2D>& points = polygon->points;
    if (!(outline > 0.0)) {
        const std::vector<uint32_t>& tri = polygon->triangles;
        for (size_t i = 0; i + 2 < tri.size(); i += 3) {
            solidTriangle(out, place(points[tri[i]]), place(points[tri[i + 1]]), place(points[tri[i + 2]]), color);
        }
        return;
    }
    // The outline's triangles stay inside the polygon (engine/polygon_outline.cpp).
    const std::vector<Point2D>& corners = polygonOutline(*polygon, outline);
    for (size_t i = 0; i + 2 < corners.size(); i += 3) {
        solidTriangle(out, place(corners[i]), place(corners[i + 1]), place(corners[i + 2]), color);
    }
}

GameObject makePolygon(std::vector<Point2D> points, uint32_t rgba, double outline) {
    requireWidth(outline, "an outline");
    GameObject object;
    object.colour = rgba;
    object.kind = PolygonKind{makePolygonShape(std::move(points)), outline};
    return object;
}

}  // namespace orv
