#pragma once
// A polygon object's points and the triangles they were cut into once, kept beside its
// record in the scene (the record holds its offset, turn, colour and outline).

#include <cstdint>
#include <vector>

#include "platform/point2d.hpp"

namespace orv {

struct PolygonShape {
    // As the script gave them, before the object's offset and turn.
    std::vector<Point2D> points;
    // The corners the sides run between (repeated points left out), as indices into `points`.
    std::vector<uint32_t> ring;
    // Index triples into `points`.
    std::vector<uint32_t> triangles;
    // What the polygon turns about: the centre of its area.
    Point2D centroid;
    // Whether the ring runs anticlockwise in x-right, y-up terms (clockwise as seen).
    bool anticlockwise = true;
    // The outline's triangles for outlineWidth, made when first drawn (engine/polygon_outline).
    mutable double outlineWidth = -1.0;
    mutable std::vector<Point2D> outline;
};

// The most points a polygon may have.
constexpr size_t kMaxPolygonPoints = 10000;

// Cuts the points into triangles; std::invalid_argument when they are fewer than 3 or more
// than kMaxPolygonPoints, not finite, enclose no area, or the sides cross or touch.
PolygonShape makePolygonShape(std::vector<Point2D> points);

}  // namespace orv
