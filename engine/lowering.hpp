#pragma once
// The one place where objects become primitives: each object kind is resolved here into
// quads, discs and triangles in window pixels, with its colour, its picture and the rules
// both renderers then share (where pictures land, which shapes show nothing at all).

#include <cstdint>

#include "engine/scene.hpp"
#include "render/draw_list.hpp"

namespace orv {

// Lowers the scene, topmost object first, for a frame of `width` by `height` pixels.
void lowerScene(Scene& scene, uint32_t width, uint32_t height, DrawList& out);
// Lowers one object in world coordinates (no camera), appending its primitives to `out`,
// whose size must be set (a frame's, or any for shapes alone).
void lowerObject(const Scene& scene, const GameObject& object, DrawList& out);

// Where a picture anchored at `at` (either axis) is drawn: a picture at its own size lands on
// whole pixels, so each pixel shows one texel as the image has it (and sampling it needs no
// filtering); a scaled one keeps its place.
float pictureCorner(float at, bool ownSize);

}  // namespace orv
