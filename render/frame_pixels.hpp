#pragma once
// A frame's pixels as scripts get them: RGBA bytes, rows from the top.

#include <vulkan/vulkan.h>

#include <cstdint>

namespace orv {

// Copies `extent` pixels stored as `format` (8-bit BGRA or RGBA) into RGBA bytes.
void copyAsRgba(const uint8_t* pixels, VkExtent2D extent, VkFormat format, uint8_t* rgba);

}  // namespace orv
