#pragma once
// A two-dimensional colour image in device-local memory, with a view of all of it.

#include <vulkan/vulkan.h>

#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

// The handles, unowned.
struct DeviceImage {
    VkImage image = VK_NULL_HANDLE;
    VkDeviceMemory memory = VK_NULL_HANDLE;
    VkImageView view = VK_NULL_HANDLE;
};

// Owns the image, its memory and its view.
class UniqueDeviceImage {
public:
    UniqueDeviceImage() = default;
    UniqueDeviceImage(OrvDevice& device, VkExtent2D extent, VkFormat format, VkImageUsageFlags usage);

    VkImage image() const { return image_; }
    VkImageView view() const { return view_; }
    // Hands the handles over; destroyDeviceImage destroys them.
    DeviceImage release() noexcept;

private:
    // The view goes first, the memory last.
    VkHandle<VkDeviceMemory> memory_;
    VkHandle<VkImage> image_;
    VkHandle<VkImageView> view_;
};

// Makes the image, its memory and its view into `out`, which is left as it was if a step throws.
void createDeviceImage(OrvDevice& device, VkExtent2D extent, VkFormat format, VkImageUsageFlags usage,
                       DeviceImage& out);
// Destroys what `image` holds (null handles are skipped) and empties it.
void destroyDeviceImage(VkDevice device, DeviceImage& image) noexcept;

}  // namespace orv
