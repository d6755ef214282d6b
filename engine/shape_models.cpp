#include "engine/shape_models.hpp"

#include <iostream>

#include "engine/shape_geometry.hpp"

namespace orv {

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

}  // namespace orv
