#pragma once
// A two-dimensional colour image in device-local memory, with a view of all of it.

#include <vulkan/vulkan.h>

#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

// Owns the image, its memory and its view.
class UniqueDeviceImage {
public:
    UniqueDeviceImage() = default;
    UniqueDeviceImage(OrvDevice& device, VkExtent2D extent, VkFormat format, VkImageUsageFlags usage);

    VkImage image() const { return image_; }
    VkImageView view() const { return view_; }

private:
    // The view goes first, the memory last.
    VkHandle<VkDeviceMemory> memory_;
    VkHandle<VkImage> image_;
    VkHandle<VkImageView> view_;
};

}  // namespace orv
