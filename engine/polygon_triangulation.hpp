#pragma once
// Cutting a simple polygon into triangles by ear clipping, and the checks that make it
// simple: finite points, some area, sides that neither cross nor touch.

#include <cstdint>
#include <vector>

#include "platform/point2d.hpp"

namespace orv {

// Twice the signed area: positive when the points run anticlockwise in x-right, y-up terms.
double doubleSignedArea(const std::vector<Point2D>& points, const std::vector<uint32_t>& ring);

// The indices of `points` with repeats of the previous point (and of the first, at the end)
// left out: the corners the polygon's sides run between.
std::vector<uint32_t> distinctCorners(const std::vector<Point2D>& points);

// Whether two sides of the ring cross or touch (adjacent sides only where they fold back
// over each other).
bool sidesMeet(const std::vector<Point2D>& points, const std::vector<uint32_t>& ring);

// Triangles covering the simple polygon `ring` (indices into `points`, as distinctCorners
// gives them) exactly once, as index triples, none of zero area: points on a straight run
// add none.
std::vector<uint32_t> clipEars(const std::vector<Point2D>& points, const std::vector<uint32_t>& ring);

}  // namespace orv
