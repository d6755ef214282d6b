#pragma once
// The 64-byte block pushed with every draw; its layout is shared with the shaders.

#include <vulkan/vulkan.h>

#include <cstddef>
#include <optional>

#include "engine/game_object.hpp"
#include "render/raster/vertex.hpp"

namespace orv {

struct PushConstantData {
    float transform[4];  // 2x2, column by column
    float offset[2];
    float padding[2];
    float color[3];
    float screenWidth;
    float screenHeight;
    float radius;
    float centerX;
    float centerY;
};

static_assert(sizeof(PushConstantData) == 64, "push constant block is 64 bytes");
static_assert(offsetof(PushConstantData, transform) == 0, "shader layout");
static_assert(offsetof(PushConstantData, offset) == 16, "shader layout");
static_assert(offsetof(PushConstantData, color) == 32, "shader layout");
static_assert(offsetof(PushConstantData, screenWidth) == 44, "shader layout");
static_assert(offsetof(PushConstantData, screenHeight) == 48, "shader layout");
static_assert(offsetof(PushConstantData, radius) == 52, "shader layout");
static_assert(offsetof(PushConstantData, centerX) == 56, "shader layout");
static_assert(offsetof(PushConstantData, centerY) == 60, "shader layout");

// One frame's rotation step in float arithmetic, reduced into [0, 2pi).
float advanceRotation(float rotation);

// The block for one object; `rotation` is the already advanced value. `firstVertex` is
// element 0 of the model's vertices; `circleRadius` is set when the model is a circle.
PushConstantData makePushConstants(const GameObject& object, const Vertex& firstVertex,
                                   std::optional<double> circleRadius, VkExtent2D extent);
// The same, reading the first vertex and the radius from the object.
PushConstantData makePushConstants(const GameObject& object, VkExtent2D extent);

}  // namespace orv
