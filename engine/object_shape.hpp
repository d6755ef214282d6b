#pragma once
// An object's shape for hit tests and collisions, as pieces in its own coordinates (the world,
// or the window for a fixed layer): the hit area its kind gives (inclusive boxes and discs),
// or the pieces it is lowered into, so any kind that draws collides as it is drawn. Hidden
// objects have none.

#include <vector>

#include "engine/camera.hpp"
#include "engine/collision.hpp"
#include "engine/scene.hpp"
#include "render/draw_list.hpp"

namespace orv {

// Appends the object's pieces. With `texels`, sprites and text are their lowered picture
// quads (text by its glyphs), to be read through the atlas's alpha. Colour and alpha play no
// part: an object drawn fully transparent keeps its shape. `scratch` is any draw list.
void shapeOf(const GameObject& object, bool texels, std::vector<Piece>& out, DrawList& scratch);

// Whether the point (in the object's coordinates) is inside the object's shape.
bool shapeHolds(const GameObject& object, const Piece* pieces, size_t count, const Point2D& point);

// The piece as the camera shows it in the window (toScreen), or back (toWorld).
Piece seenThrough(const Piece& piece, const Camera& camera, bool toScreen);

}  // namespace orv
