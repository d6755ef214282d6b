#pragma once
// A two-dimensional colour image in device-local memory, with a view of all of it.

#include <vulkan/vulkan.h>

#include "vulkan/orv_device.hpp"

namespace orv {

struct DeviceImage {
    VkImage image = VK_NULL_HANDLE;
    VkDeviceMemory memory = VK_NULL_HANDLE;
    VkImageView view = VK_NULL_HANDLE;
};

// Makes the image, its memory and its view, in that order, into `out` as it goes: when a
// step throws, what was made is already in `out` for destroyDeviceImage.
void createDeviceImage(OrvDevice& device, VkExtent2D extent, VkFormat format, VkImageUsageFlags usage,
                       DeviceImage& out);
// Destroys what `image` holds (null handles are skipped) and empties it.
void destroyDeviceImage(VkDevice device, DeviceImage& image) noexcept;

}  // namespace orv
