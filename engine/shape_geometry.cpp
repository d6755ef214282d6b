#include "engine/shape_geometry.hpp"

#include <cmath>

namespace orv {

QuadCorners rectangleCorners(double x, double y, double sizeX, double sizeY) {
    return {static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + sizeX),
            static_cast<float>(y + sizeY)};
}

QuadCorners circleCorners(double x, double y, double radius) {
    const double left = x - radius;
    const double top = y - radius;
    return {static_cast<float>(left), static_cast<float>(top), static_cast<float>(left + 2.0 * radius),
            static_cast<float>(top + 2.0 * radius)};
}

bool rectangleHit(const QuadCorners& c, const Point2D& point) {
    return point.x >= static_cast<double>(c.left) && point.x <= static_cast<double>(c.right) &&
           point.y <= static_cast<double>(c.bottom) && point.y >= static_cast<double>(c.top);
}

namespace {

struct CircleTest {
    double cx;
    double cy;
    double distance;
};

CircleTest measureCircle(const QuadCorners& c, double radius, const Point2D& point) {
    // The centre is the anchor corner plus the radius, in double.
    const double cx = static_cast<double>(c.left) + radius;
    const double cy = static_cast<double>(c.top) + radius;
    return {cx, cy, std::sqrt(std::pow(point.y - cy, 2.0) + std::pow(point.x - cx, 2.0))};
}

}  // namespace

bool circleHit(const QuadCorners& c, double radius, const Point2D& point) {
    return measureCircle(c, radius, point).distance <= radius;
}

bool rectangleContains(const QuadCorners& c, const Point2D& point, std::ostream& out) {
    out << "\nRectangle Check:\n"
        << "\tClick: (" << point.x << ", " << point.y << ")\n"
        << "\tLeft: " << static_cast<double>(c.left) << "\n"
        << "\tRight: " << static_cast<double>(c.right) << "\n"
        << "\tTop: " << static_cast<double>(c.top) << "\n"
        << "\tBottom: " << static_cast<double>(c.bottom) << "\n\n";
    return rectangleHit(c, point);
}

bool circleContains(const QuadCorners& c, double radius, const Point2D& point, std::ostream& out) {
    const CircleTest test = measureCircle(c, radius, point);
    out << "\nCircle Check:\n"
        << "\tClick: (" << point.x << ", " << point.y << ")\n"
        << "\tCenter: (" << test.cx << ", " << test.cy << ")\n"
        << "\tDistance: " << test.distance << "\n\n";
    return test.distance <= radius;
}

bool hits(const HitArea& area, const Point2D& point) {
    switch (area.shape) {
        case HitArea::Shape::Box:
            return rectangleHit(area.corners, point);
        case HitArea::Shape::Disc:
            return circleHit(area.corners, area.radius, point);
        default:
            return false;
    }
}

bool hitsReporting(const HitArea& area, const Point2D& point, std::ostream& out) {
    switch (area.shape) {
        case HitArea::Shape::Box:
            return rectangleContains(area.corners, point, out);
        case HitArea::Shape::Disc:
            return circleContains(area.corners, area.radius, point, out);
        default:
            return false;
    }
}

}  // namespace orv
