#pragma once
// Where rectangles, circles and triangles lie, and the hit tests, as plain functions.

#include <array>
#include <ostream>
#include <vector>

#include "render/color.hpp"
#include "engine/game_object.hpp"
#include "engine/point2d.hpp"
#include "render/raster/vertex.hpp"

namespace orv {

constexpr size_t kQuadVertexCount = 6;

// The corners a rectangle or a circle's bounding square is drawn between, rounded to float
// as vertices carry them: (left, top) is the anchor corner, (right, bottom) the far one.
// With a negative size left may exceed right; nothing is inside such an area.
struct QuadCorners {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

QuadCorners rectangleCorners(double x, double y, double sizeX, double sizeY);
// The far corner is formed as (x - r) + 2r in double, then rounded.
QuadCorners circleCorners(double x, double y, double radius);
QuadCorners cornersOf(const GameObject& object);

// Two triangles (0,1,2) and (3,4,5) over the corners, every vertex of colour `color`.
void placeQuad(Vertex* out, const QuadCorners& corners, const Color& color);

// Inclusive tests in double precision on the float corners; a NaN point is never inside.
bool rectangleHit(const QuadCorners& corners, const Point2D& point);
bool circleHit(const QuadCorners& corners, double radius, const Point2D& point);
// The same, writing the report block to `out`.
bool rectangleContains(const QuadCorners& corners, const Point2D& point, std::ostream& out);
bool circleContains(const QuadCorners& corners, double radius, const Point2D& point, std::ostream& out);

// The two triangles of the engine, in clip space.
std::vector<Vertex> demoTriangleVertices();
std::vector<Vertex> fullTriangleVertices();
const std::vector<Vertex>& triangleModelVertices(TriangleModel model);

// A triangle's transform: its rotation matrix times its scale, column by column.
std::array<float, 4> triangleTransform(const GameObject& object);
// A triangle's corners in window pixels for a frame of `width` by `height`, placed as the
// vertex stage places them.
std::array<std::array<float, 2>, 3> trianglePixels(const GameObject& object, float width, float height);

// Where a picture anchored at `at` (either axis) is drawn: a picture at its own size lands on
// whole pixels, so each pixel shows one texel as the image has it (and sampling it needs no
// filtering); a scaled one keeps its place.
float pictureCorner(float at, bool ownSize);

}  // namespace orv
