#pragma once
// One vertex as the GPU reads it: 20 bytes, no padding.

#include <cstddef>

namespace orv {

struct Vertex {
    float position[2];
    float color[3];
};

static_assert(sizeof(Vertex) == 20, "vertex layout is shared with the shaders");
static_assert(offsetof(Vertex, color) == 8, "vertex layout is shared with the shaders");

}  // namespace orv
