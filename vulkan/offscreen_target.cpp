#include "vulkan/offscreen_target.hpp"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "vulkan/color_render_pass.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

// Refused before Vulkan sees it: an image beyond the device's limits is an invalid request,
// not one that fails cleanly.
VkExtent2D checkedExtent(const OrvDevice& device, VkExtent2D extent) {
    VkPhysicalDeviceProperties properties;
    vkGetPhysicalDeviceProperties(device.getPhysicalDevice(), &properties);
    const VkPhysicalDeviceLimits& limits = properties.limits;
    const uint32_t maxWidth = std::min(limits.maxImageDimension2D, limits.maxFramebufferWidth);
    const uint32_t maxHeight = std::min(limits.maxImageDimension2D, limits.maxFramebufferHeight);
    if (extent.width == 0 || extent.height == 0 || extent.width > maxWidth || extent.height > maxHeight) {
        throw std::runtime_error("cannot draw " + std::to_string(extent.width) + " by " +
                                 std::to_string(extent.height) + " pixels: the device's largest image is " +
                                 std::to_string(maxWidth) + " by " + std::to_string(maxHeight));
    }
    return extent;
}

}  // namespace

OffscreenTarget::OffscreenTarget(OrvDevice& device, VkExtent2D size, VkFormat imageFormat, VkImageUsageFlags extraUsage)
    : extent{checkedExtent(device, size)},
      format{imageFormat},
      target{device, extent, format,
             VK_IMAGE_USAGE_COLOR_ATTACHMENT_BIT | VK_IMAGE_USAGE_TRANSFER_SRC_BIT | extraUsage} {
    VkDevice vk = device.getDevice();
    renderPass = VkHandle<VkRenderPass>{vk, createColorRenderPass(vk, format, VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL),
                                        vkDestroyRenderPass};
    const VkImageView view = target.view();
    VkFramebufferCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_FRAMEBUFFER_CREATE_INFO;
    info.renderPass = renderPass;
    info.attachmentCount = 1;
    info.pAttachments = &view;
    info.width = extent.width;
    info.height = extent.height;
    info.layers = 1;
    VkFramebuffer made = VK_NULL_HANDLE;
    vkCheck(vkCreateFramebuffer(vk, &info, nullptr, &made), "failed to create framebuffer!");
    frameBuffer = VkHandle<VkFramebuffer>{vk, made, vkDestroyFramebuffer};
}

void OffscreenTarget::recordCopyTo(VkCommandBuffer commandBuffer, VkBuffer buffer) const {
    // Whatever drew the image (a render pass, or a copy into it) finished writing first.
    VkImageMemoryBarrier drawn{};
    drawn.sType = VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER;
    drawn.srcAccessMask = VK_ACCESS_COLOR_ATTACHMENT_WRITE_BIT | VK_ACCESS_TRANSFER_WRITE_BIT;
    drawn.dstAccessMask = VK_ACCESS_TRANSFER_READ_BIT;
    drawn.oldLayout = VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL;
    drawn.newLayout = VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL;
    drawn.srcQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    drawn.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    drawn.image = target.image();
    drawn.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
    vkCmdPipelineBarrier(commandBuffer, VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT | VK_PIPELINE_STAGE_TRANSFER_BIT,
                         VK_PIPELINE_STAGE_TRANSFER_BIT, 0, 0, nullptr, 0, nullptr, 1, &drawn);
    VkBufferImageCopy region{};
    region.imageSubresource = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
    region.imageExtent = {extent.width, extent.height, 1};
    vkCmdCopyImageToBuffer(commandBuffer, target.image(), VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL, buffer, 1, &region);
}

}  // namespace orv
