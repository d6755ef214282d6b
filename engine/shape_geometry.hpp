#pragma once
// Where rectangles, circles and triangles lie, and the hit tests, as plain functions.

#include <array>
#include <ostream>
#include <vector>

#include "render/color.hpp"
#include "platform/point2d.hpp"

namespace orv {

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

// Inclusive tests in double precision on the float corners; a NaN point is never inside.
bool rectangleHit(const QuadCorners& corners, const Point2D& point);
bool circleHit(const QuadCorners& corners, double radius, const Point2D& point);
// The same, writing the report block to `out`.
bool rectangleContains(const QuadCorners& corners, const Point2D& point, std::ostream& out);
bool circleContains(const QuadCorners& corners, double radius, const Point2D& point, std::ostream& out);

// What an object's hit test tests: a box (rectangles, and sprites and text as the rectangle
// of their drawn size), a disc (circles), the pieces it is lowered into (Pieces: turned and
// newer shapes, which are hit as they are drawn), or nothing (the engine's triangles).
struct HitArea {
    enum class Shape : uint8_t { None, Box, Disc, Pieces };
    Shape shape = Shape::None;
    QuadCorners corners;
    double radius = 0.0;
};
bool hits(const HitArea& area, const Point2D& point);
// The same, writing the report block to `out` (none for a triangle).
bool hitsReporting(const HitArea& area, const Point2D& point, std::ostream& out);

}  // namespace orv
