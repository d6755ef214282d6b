#include "engine/polygon_shape.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

#include "engine/polygon_triangulation.hpp"

namespace orv {

namespace {

bool onOneLine(const std::vector<Point2D>& points, const std::vector<uint32_t>& ring) {
    if (ring.size() < 3) {
        return true;
    }
    const Point2D& a = points[ring[0]];
    const Point2D& b = points[ring[1]];
    for (size_t i = 2; i < ring.size(); ++i) {
        const Point2D& c = points[ring[i]];
        if ((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x) != 0.0) {
            return false;
        }
    }
    return true;
}

}  // namespace

PolygonShape makePolygonShape(std::vector<Point2D> points) {
    if (points.size() < 3 || points.size() > kMaxPolygonPoints) {
        throw std::invalid_argument("a polygon takes 3 to " + std::to_string(kMaxPolygonPoints) + " points, not " +
                                    std::to_string(points.size()));
    }
    for (size_t i = 0; i < points.size(); ++i) {
        if (!std::isfinite(points[i].x) || !std::isfinite(points[i].y)) {
            throw std::invalid_argument("a polygon's points must be finite: point " + std::to_string(i) + " is not");
        }
    }
    PolygonShape shape;
    shape.ring = distinctCorners(points);
    const double area = shape.ring.size() < 3 ? 0.0 : doubleSignedArea(points, shape.ring);
    const bool noArea = !(area != 0.0) || !std::isfinite(area);
    if (noArea && onOneLine(points, shape.ring)) {
        throw std::invalid_argument("a polygon's points must enclose some area: these lie on one line");
    }
    if (sidesMeet(points, shape.ring)) {
        throw std::invalid_argument(
            "a polygon's sides must not cross or touch each other: give its outline once round, without loops");
    }
    if (noArea) {
        throw std::invalid_argument("a polygon's points must enclose some finite area");
    }
    shape.triangles = clipEars(points, shape.ring);
    shape.anticlockwise = area > 0.0;
    // The centroid of the area, from the triangles (about the first corner, for precision).
    const Point2D& o = points[shape.ring[0]];
    double sx = 0.0;
    double sy = 0.0;
    double total = 0.0;
    for (size_t t = 0; t < shape.triangles.size(); t += 3) {
        const Point2D& a = points[shape.triangles[t]];
        const Point2D& b = points[shape.triangles[t + 1]];
        const Point2D& c = points[shape.triangles[t + 2]];
        const double w = std::abs((b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x));
        sx += w * ((a.x + b.x + c.x) / 3.0 - o.x);
        sy += w * ((a.y + b.y + c.y) / 3.0 - o.y);
        total += w;
    }
    shape.centroid = total > 0.0 ? Point2D{o.x + sx / total, o.y + sy / total} : o;
    shape.points = std::move(points);
    return shape;
}

}  // namespace orv
