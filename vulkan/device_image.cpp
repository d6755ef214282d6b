#include "vulkan/device_image.hpp"

#include "vulkan/vk_check.hpp"

namespace orv {

void createDeviceImage(OrvDevice& device, VkExtent2D extent, VkFormat format, VkImageUsageFlags usage,
                       DeviceImage& out) {
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
    vkCheck(vkCreateImage(vk, &info, nullptr, &out.image), "failed to create image!");
    VkMemoryRequirements requirements;
    vkGetImageMemoryRequirements(vk, out.image, &requirements);
    VkMemoryAllocateInfo allocInfo{};
    allocInfo.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
    allocInfo.allocationSize = requirements.size;
    allocInfo.memoryTypeIndex = device.findMemoryType(requirements.memoryTypeBits, VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT);
    vkCheck(vkAllocateMemory(vk, &allocInfo, nullptr, &out.memory), "failed to allocate image memory!");
    vkCheck(vkBindImageMemory(vk, out.image, out.memory, 0), "failed to bind image memory!");
    VkImageViewCreateInfo viewInfo{};
    viewInfo.sType = VK_STRUCTURE_TYPE_IMAGE_VIEW_CREATE_INFO;
    viewInfo.image = out.image;
    viewInfo.viewType = VK_IMAGE_VIEW_TYPE_2D;
    viewInfo.format = format;
    viewInfo.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
    vkCheck(vkCreateImageView(vk, &viewInfo, nullptr, &out.view), "failed to create texture image view!");
}

void destroyDeviceImage(VkDevice device, DeviceImage& image) noexcept {
    vkDestroyImageView(device, image.view, nullptr);
    vkDestroyImage(device, image.image, nullptr);
    vkFreeMemory(device, image.memory, nullptr);
    image = DeviceImage{};
}

}  // namespace orv
