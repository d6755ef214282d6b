#pragma once
// A render target of our own: one image in device memory, drawn into and then left ready to
// be copied from. Frames without a window go here, and so does a frame drawn again to be
// read back.

#include <vulkan/vulkan.h>

#include "vulkan/device_image.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/render_target.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

class OffscreenTarget : public RenderTarget {
public:
    // The image is a colour attachment, a copy source, and whatever `extraUsage` adds.
    OffscreenTarget(OrvDevice& device, VkExtent2D extent, VkFormat format, VkImageUsageFlags extraUsage = 0);

    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    VkFormat imageFormat() const override { return format; }
    VkExtent2D imageExtent() const override { return extent; }
    VkRenderPass colorPass() const override { return renderPass; }
    VkFramebuffer framebuffer(uint32_t) const override { return frameBuffer; }
    VkImage image(uint32_t) const override { return target.image(); }
    VkImageLayout finalLayout() const override { return VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL; }

    // Records copying the drawn image into `buffer`, rows from the top, tightly packed.
    void recordCopyTo(VkCommandBuffer commandBuffer, VkBuffer buffer) const;

private:
    VkExtent2D extent;
    VkFormat format;
    UniqueDeviceImage target;
    VkHandle<VkRenderPass> renderPass;
    VkHandle<VkFramebuffer> frameBuffer;
};

}  // namespace orv
