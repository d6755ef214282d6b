#pragma once
// A polygon's outline as triangles that stay inside it, whatever its width and corners.

#include <cstdint>
#include <vector>

#include "engine/polygon_shape.hpp"
#include "platform/point2d.hpp"

namespace orv {

// Each side's part of the outline: the band `width` inside the side's line, between the
// lines that halve the corners at its two ends (a mitred join, on either kind of corner),
// cut to the polygon by its own triangles. A width beyond the polygon's inradius fills it.
// `points` are placed, `ring` and `triangles` index them as in PolygonShape. Returns the
// corners of the triangles, three by three.
std::vector<Point2D> polygonOutline(const std::vector<Point2D>& points, const std::vector<uint32_t>& ring,
                                    const std::vector<uint32_t>& triangles, bool anticlockwise, double width);

// The shape's outline in its own coordinates (moving or turning a polygon moves and turns its
// outline alike), kept in the shape for as long as the width stays: cutting the bands to the
// triangles costs sides times triangles.
const std::vector<Point2D>& polygonOutline(const PolygonShape& shape, double width);

}  // namespace orv
