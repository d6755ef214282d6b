#include "engine/kinds/polygon_kind.hpp"

#include <cmath>

#include "engine/kinds/kind_registry.hpp"
#include "engine/shape_lowering.hpp"

namespace orv {

namespace {

// How far a corner of an outline's inner edge may lie from the outer corner, in widths: a
// sharper corner is cut short rather than reaching far beyond the polygon.
constexpr double kMiterLimit = 4.0;

}  // namespace

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
    // The outline: each side's strip runs from the side to the inner edge, whose corners are
    // the mitred corners `stroke` inside both sides that meet there. A turn keeps the
    // polygon's sense of rotation, so "inside" stays on the same hand.
    const size_t n = polygon->ring.size();
    std::vector<Point2D> outer(n);
    for (size_t i = 0; i < n; ++i) {
        outer[i] = place(points[polygon->ring[i]]);
    }
    const double hand = polygon->anticlockwise ? 1.0 : -1.0;
    const auto inward = [&](const Point2D& a, const Point2D& b) {
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        return length > 0.0 ? Point2D{-hand * (b.y - a.y) / length, hand * (b.x - a.x) / length} : Point2D{};
    };
    std::vector<Point2D> inner(n);
    for (size_t i = 0; i < n; ++i) {
        const Point2D n1 = inward(outer[(i + n - 1) % n], outer[i]);
        const Point2D n2 = inward(outer[i], outer[(i + 1) % n]);
        double mx = n1.x + n2.x;
        double my = n1.y + n2.y;
        const double across = 1.0 + n1.x * n2.x + n1.y * n2.y;
        const double reach = std::hypot(mx, my);
        if (across * kMiterLimit >= reach && across > 0.0) {
            mx /= across;
            my /= across;
        } else if (reach > 0.0) {
            mx *= kMiterLimit / reach;
            my *= kMiterLimit / reach;
        }
        inner[i] = Point2D{outer[i].x + outline * mx, outer[i].y + outline * my};
    }
    for (size_t i = 0; i < n; ++i) {
        const size_t j = (i + 1) % n;
        solidTriangle(out, outer[i], outer[j], inner[j], color);
        solidTriangle(out, outer[i], inner[j], inner[i], color);
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
