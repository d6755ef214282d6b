#pragma once
// One vertex as the GPU reads it: 20 bytes, no padding.

#include <vulkan/vulkan.h>

#include <array>
#include <cstddef>

namespace orv {

struct Vertex {
    float position[2];
    float color[3];
};

static_assert(sizeof(Vertex) == 20, "vertex layout is shared with the shaders");
static_assert(offsetof(Vertex, color) == 8, "vertex layout is shared with the shaders");

// How the pipeline reads vertices: one binding of 20-byte vertices, position at location 0
// and colour at location 1.
inline std::array<VkVertexInputBindingDescription, 1> vertexBindings() {
    return {VkVertexInputBindingDescription{0, sizeof(Vertex), VK_VERTEX_INPUT_RATE_VERTEX}};
}

inline std::array<VkVertexInputAttributeDescription, 2> vertexAttributes() {
    return {VkVertexInputAttributeDescription{0, 0, VK_FORMAT_R32G32_SFLOAT, offsetof(Vertex, position)},
            VkVertexInputAttributeDescription{1, 0, VK_FORMAT_R32G32B32_SFLOAT, offsetof(Vertex, color)}};
}

}  // namespace orv
