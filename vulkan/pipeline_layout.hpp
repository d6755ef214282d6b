#pragma once
// A pipeline layout of at most one descriptor set layout and one push-constant range.

#include <vulkan/vulkan.h>

#include "vulkan/vk_handle.hpp"

namespace orv {

// `setLayout` may be null.
VkHandle<VkPipelineLayout> createPipelineLayout(VkDevice device, VkDescriptorSetLayout setLayout,
                                                const VkPushConstantRange& range);

}  // namespace orv
