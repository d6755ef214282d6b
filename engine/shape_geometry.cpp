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

QuadCorners cornersOf(const GameObject& object) {
    return object.kind == ObjectKind::Circle ? circleCorners(object.x, object.y, object.radius())
                                             : rectangleCorners(object.x, object.y, object.sizeX, object.sizeY);
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

HitArea hitAreaOf(const GameObject& object) {
    switch (object.kind) {
        case ObjectKind::Triangle:
        case ObjectKind::Line:
        case ObjectKind::Polygon:
            return HitArea{};
        case ObjectKind::Circle:
            return HitArea{HitArea::Shape::Disc, cornersOf(object), object.radius()};
        default:
            return HitArea{HitArea::Shape::Box, cornersOf(object), 0.0};
    }
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

const std::array<std::array<float, 2>, 3>& triangleModel(TriangleModel model) {
    static const std::array<std::array<float, 2>, 3> demo{{{0.0f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}}};
    static const std::array<std::array<float, 2>, 3> full{{{0.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}}};
    return model == TriangleModel::Demo ? demo : full;
}

float advanceRotation(float rotation) {
    constexpr float kTwoPi = 6.2831855f;
    const float r = rotation + 0.01f;
    return r - std::floor(r / kTwoPi) * kTwoPi;
}

std::array<float, 4> triangleTransform(const GameObject& object) {
    const float c = std::cos(object.rotation);
    const float s = std::sin(object.rotation);
    return {object.scale[0] * c, object.scale[0] * s, -object.scale[1] * s, object.scale[1] * c};
}

std::array<std::array<float, 2>, 3> trianglePixels(const GameObject& object, float width, float height) {
    const std::array<float, 4> t = triangleTransform(object);
    const auto& model = triangleModel(object.triangle);
    std::array<std::array<float, 2>, 3> out{};
    for (size_t i = 0; i < 3; ++i) {
        const float px = model[i][0];
        const float py = model[i][1];
        const float clipX = t[0] * px + t[2] * py + object.offset[0];
        const float clipY = t[1] * px + t[3] * py + object.offset[1];
        // The viewport maps -1..1 onto the whole frame.
        out[i] = {clipX * (0.5f * width) + 0.5f * width, clipY * (0.5f * height) + 0.5f * height};
    }
    return out;
}

}  // namespace orv
