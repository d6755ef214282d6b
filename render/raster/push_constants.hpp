#pragma once
// The 64-byte push-constant block of the shape pipelines; its layout is shared with the
// shaders, which read the frame's size from it.

#include <vulkan/vulkan.h>

#include <cstddef>

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

}  // namespace orv
