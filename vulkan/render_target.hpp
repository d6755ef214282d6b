#pragma once
// Images a frame is drawn into: the swap chain's, or one of our own. A renderer records into
// a target and does not care which.

#include <vulkan/vulkan.h>

#include <cstdint>

namespace orv {

class RenderTarget {
public:
    virtual ~RenderTarget() = default;

    virtual VkFormat imageFormat() const = 0;
    virtual VkExtent2D imageExtent() const = 0;
    // A render pass into the images that clears them first and leaves them in finalLayout.
    virtual VkRenderPass colorPass() const = 0;
    virtual VkFramebuffer framebuffer(uint32_t index) const = 0;
    virtual VkImage image(uint32_t index) const = 0;
    // Where a drawn image is left: ready to be presented, or to be copied from.
    virtual VkImageLayout finalLayout() const = 0;
};

}  // namespace orv
