#pragma once
// The shapes drawn in any direction: lines, polygons, outlined or turned rectangles. Each
// becomes quads and triangles in world coordinates, filled with the colour given (packed).

#include <cstdint>

#include "engine/game_object.hpp"
#include "engine/polygon_shape.hpp"
#include "render/draw_list.hpp"

namespace orv {

// A rectangle turned by its angle about its centre, and its outline if it has one: four
// quads that do not overlap, so a colour seen through is blended once everywhere.
void lowerTurnedRectangle(const GameObject& object, uint32_t color, DrawList& out);
// A quad of the line's width along it, ends cut square, turned about its middle.
void lowerLine(const GameObject& object, uint32_t color, DrawList& out);
// The polygon's triangles, or its outline (a strip inside its sides, mitred at the
// corners), offset and turned about its centroid.
void lowerPolygon(const GameObject& object, const PolygonShape* shape, uint32_t color, DrawList& out);

}  // namespace orv
