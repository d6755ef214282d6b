#pragma once
// Swap-chain decisions as plain functions, checked without a GPU.

#include <vulkan/vulkan.h>

#include <vector>

#include "vulkan/device_choices.hpp"

namespace orv {

// B8G8R8A8_UNORM with sRGB non-linear colour space if offered, else the first entry.
VkSurfaceFormatKHR chooseSwapSurfaceFormat(const std::vector<VkSurfaceFormatKHR>& formats);

// The framebuffer size clamped into the surface's image extent limits.
VkExtent2D chooseSwapExtent(const VkSurfaceCapabilitiesKHR& capabilities, int framebufferWidth,
                            int framebufferHeight);

// One more than the minimum, unless the maximum (0 = none) forbids it.
uint32_t chooseImageCount(const VkSurfaceCapabilitiesKHR& capabilities);

struct SharingChoice {
    VkSharingMode mode;
    std::vector<uint32_t> queueFamilies;  // graphics first, then present; empty when exclusive
};
SharingChoice chooseSharingMode(const QueueFamilyIndices& indices);

// With vsync FIFO, in step with the display. Without it the first offered of IMMEDIATE (no
// waiting at all), MAILBOX (no waiting, no tearing) and FIFO, which every surface offers.
VkPresentModeKHR choosePresentMode(const std::vector<VkPresentModeKHR>& available, bool vsync);

}  // namespace orv
