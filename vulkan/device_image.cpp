#include "vulkan/device_image.hpp"

#include "vulkan/vk_check.hpp"

namespace orv {

UniqueDeviceImage::UniqueDeviceImage(OrvDevice& device, VkExtent2D extent, VkFormat format,
                                     VkImageUsageFlags usage) {
    VkDevice vk = device.getDevice();
    VkImageCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_IMAGE_CREATE_INFO;
    info.imageType = VK_IMAGE_TYPE_2D;
    info.format = format;
    info.extent = {extent.width, extent.height, 1};
    info.mipLevels = 1;
    info.arrayLayers = 1;
    info.samples = VK_SAMPLE_COUNT_1_BIT;
    info.tiling = VK_IMAGE_TILING_OPTIMAL;
    info.usage = usage;
    info.initialLayout = VK_IMAGE_LAYOUT_UNDEFINED;
    VkImage image = VK_NULL_HANDLE;
    vkCheck(vkCreateImage(vk, &info, nullptr, &image), "failed to create image!");
    image_ = VkHandle<VkImage>{vk, image, vkDestroyImage};

    VkMemoryRequirements requirements;
    vkGetImageMemoryRequirements(vk, image, &requirements);
    VkMemoryAllocateInfo allocInfo{};
    allocInfo.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
    allocInfo.allocationSize = requirements.size;
    allocInfo.memoryTypeIndex = device.findMemoryType(requirements.memoryTypeBits, VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT);
    VkDeviceMemory memory = VK_NULL_HANDLE;
    vkCheck(vkAllocateMemory(vk, &allocInfo, nullptr, &memory), "failed to allocate image memory!");
    memory_ = VkHandle<VkDeviceMemory>{vk, memory, vkFreeMemory};
    vkCheck(vkBindImageMemory(vk, image, memory, 0), "failed to bind image memory!");

    VkImageViewCreateInfo viewInfo{};
    viewInfo.sType = VK_STRUCTURE_TYPE_IMAGE_VIEW_CREATE_INFO;
    viewInfo.image = image;
    viewInfo.viewType = VK_IMAGE_VIEW_TYPE_2D;
    viewInfo.format = format;
    viewInfo.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
    VkImageView view = VK_NULL_HANDLE;
    vkCheck(vkCreateImageView(vk, &viewInfo, nullptr, &view), "failed to create image view!");
    view_ = VkHandle<VkImageView>{vk, view, vkDestroyImageView};
}

}  // namespace orv
