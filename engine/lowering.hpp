#pragma once
// The one place where the scene becomes primitives: each object lowered by its kind
// (engine/kinds/kind_registry.hpp) into quads, discs and triangles, then through the camera
// unless its layer is fixed.

#include <cstdint>

#include "engine/scene.hpp"
#include "render/draw_list.hpp"

namespace orv {

// Lowers the scene, topmost object first, for a frame of `width` by `height` pixels.
void lowerScene(Scene& scene, uint32_t width, uint32_t height, DrawList& out);

}  // namespace orv
