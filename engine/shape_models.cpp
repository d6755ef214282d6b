#include "engine/shape_models.hpp"

#include <iostream>

#include "engine/shape_geometry.hpp"

namespace orv {

namespace {

void encodeQuad(const std::vector<Vertex>& vertices, Vertex* out, const Color& color, float marker) {
    for (size_t i = 0; i < vertices.size(); ++i) {
        out[i] = Vertex{{vertices[i].position[0], vertices[i].position[1]},
                        {color[0] + marker, color[1], color[2]}};
    }
}

}  // namespace

Rectangle::Rectangle(double x, double y, double sx, double sy, OrvDevice& owner, VertexArena& memory)
    : OrvModel{owner, memory}, sizeX{sx}, sizeY{sy} {
    vertices = rectangleVertices(x, y, sizeX, sizeY);
    uploadVertices(vertices);
}

void Rectangle::moveTo(double x, double y) {
    placeRectangle(vertices.data(), x, y, sizeX, sizeY);
    refreshVertices(vertices);
}

bool Rectangle::isInside(const Point2D& point) const {
    const bool inside = rectangleContains(vertices, point, std::cout);
    std::cout.flush();
    return inside;
}

void Rectangle::encodeVertices(Vertex* out, const Color& color) const {
    encodeQuad(vertices, out, color, kRectangleMarker);
}

Circle::Circle(double x, double y, double r, OrvDevice& owner, VertexArena& memory)
    : OrvModel{owner, memory}, radius{r} {
    vertices = circleVertices(x, y, radius);
    uploadVertices(vertices);
}

void Circle::moveTo(double x, double y) {
    placeCircle(vertices.data(), x, y, radius);
    refreshVertices(vertices);
}

bool Circle::isInside(const Point2D& point) const {
    const bool inside = circleContains(vertices, radius, point, std::cout);
    std::cout.flush();
    return inside;
}

void Circle::encodeVertices(Vertex* out, const Color& color) const {
    encodeQuad(vertices, out, color, kCircleMarker);
    if (!(radius > 0.0)) {
        // No point is inside a circle of negative (or NaN) radius: draw nothing.
        for (size_t i = 1; i < vertices.size(); ++i) {
            out[i].position[0] = out[0].position[0];
            out[i].position[1] = out[0].position[1];
        }
    }
}

}  // namespace orv
