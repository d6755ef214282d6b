#include "engine/shape_geometry.hpp"

#include <cmath>

namespace orv {

namespace {

// Corner colours mark pixel-space models for the vertex shader (no component above 0.5).
constexpr float kNear[3] = {0.5f, 0.0f, 0.0f};
constexpr float kFar[3] = {0.0f, 0.0f, 0.5f};

Vertex corner(double x, double y, const float (&color)[3]) {
    return Vertex{{static_cast<float>(x), static_cast<float>(y)}, {color[0], color[1], color[2]}};
}

void placeQuad(Vertex* out, double left, double top, double right, double bottom) {
    out[0] = corner(left, top, kNear);
    out[1] = corner(left, bottom, kFar);
    out[2] = corner(right, bottom, kFar);
    out[3] = corner(left, top, kNear);
    out[4] = corner(right, bottom, kFar);
    out[5] = corner(right, top, kFar);
}

}  // namespace

void placeRectangle(Vertex* out, double x, double y, double sizeX, double sizeY) {
    placeQuad(out, x, y, x + sizeX, y + sizeY);
}

void placeCircle(Vertex* out, double x, double y, double radius) {
    const double left = x - radius;
    const double top = y - radius;
    placeQuad(out, left, top, left + 2.0 * radius, top + 2.0 * radius);
}

std::vector<Vertex> rectangleVertices(double x, double y, double sizeX, double sizeY) {
    std::vector<Vertex> vertices(kQuadVertexCount);
    placeRectangle(vertices.data(), x, y, sizeX, sizeY);
    return vertices;
}

std::vector<Vertex> circleVertices(double x, double y, double radius) {
    std::vector<Vertex> vertices(kQuadVertexCount);
    placeCircle(vertices.data(), x, y, radius);
    return vertices;
}

bool rectangleContains(const std::vector<Vertex>& vertices, const Point2D& point, std::ostream& out) {
    const float left = vertices[0].position[0];
    const float top = vertices[0].position[1];
    const float right = vertices[2].position[0];
    const float bottom = vertices[2].position[1];
    out << "\nRectangle Check:\n"
        << "\tClick: (" << point.x << ", " << point.y << ")\n"
        << "\tLeft: " << static_cast<double>(left) << "\n"
        << "\tRight: " << static_cast<double>(right) << "\n"
        << "\tTop: " << static_cast<double>(top) << "\n"
        << "\tBottom: " << static_cast<double>(bottom) << "\n\n";
    return point.x >= static_cast<double>(left) && point.x <= static_cast<double>(right) &&
           point.y <= static_cast<double>(bottom) && point.y >= static_cast<double>(top);
}

bool circleContains(const std::vector<Vertex>& vertices, double radius, const Point2D& point,
                    std::ostream& out) {
    const double cx = static_cast<double>(vertices[0].position[0]) + radius;
    const double cy = static_cast<double>(vertices[0].position[1]) + radius;
    const double distance = std::sqrt(std::pow(point.y - cy, 2.0) + std::pow(point.x - cx, 2.0));
    out << "\nCircle Check:\n"
        << "\tClick: (" << point.x << ", " << point.y << ")\n"
        << "\tCenter: (" << cx << ", " << cy << ")\n"
        << "\tDistance: " << distance << "\n\n";
    return distance <= radius;
}

std::vector<Vertex> demoTriangleVertices() {
    return {{{0.0f, -0.5f}, {1.0f, 0.0f, 0.0f}},
            {{0.5f, 0.5f}, {0.0f, 1.0f, 0.0f}},
            {{-0.5f, 0.5f}, {0.0f, 0.0f, 1.0f}}};
}

std::vector<Vertex> fullTriangleVertices() {
    return {{{0.0f, -1.0f}, {1.0f, 0.0f, 0.0f}},
            {{1.0f, 1.0f}, {0.0f, 1.0f, 0.0f}},
            {{-1.0f, 1.0f}, {0.0f, 0.0f, 1.0f}}};
}

}  // namespace orv
