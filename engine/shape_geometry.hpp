#pragma once
// Vertex lists of rectangles and circles, and their hit tests, as plain functions.

#include <ostream>
#include <vector>

#include "engine/point2d.hpp"
#include "engine/vertex.hpp"

namespace orv {

constexpr size_t kQuadVertexCount = 6;

// Two triangles (0,1,2) and (3,4,5) over the area from (x, y) extending sizeX, sizeY.
std::vector<Vertex> rectangleVertices(double x, double y, double sizeX, double sizeY);
// The same written over six existing vertices, for moves without allocation.
void placeRectangle(Vertex* out, double x, double y, double sizeX, double sizeY);

// The bounding square of the circle, in the rectangle's corner order.
std::vector<Vertex> circleVertices(double x, double y, double radius);
void placeCircle(Vertex* out, double x, double y, double radius);

// Inclusive tests in double precision on the float vertices; both print their block.
bool rectangleContains(const std::vector<Vertex>& vertices, const Point2D& point, std::ostream& out);
bool circleContains(const std::vector<Vertex>& vertices, double radius, const Point2D& point,
                    std::ostream& out);

// The two triangles of the engine, in clip space.
std::vector<Vertex> demoTriangleVertices();
std::vector<Vertex> fullTriangleVertices();

}  // namespace orv
