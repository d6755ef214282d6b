#pragma once
// The render pass every frame is drawn with: one colour attachment, cleared, kept, and left
// in `finalLayout`. Passes made with it for the same format are compatible, so the same
// pipelines draw into the swap chain's images and into an image read back.

#include <vulkan/vulkan.h>

namespace orv {

VkRenderPass createColorRenderPass(VkDevice device, VkFormat format, VkImageLayout finalLayout);

}  // namespace orv
