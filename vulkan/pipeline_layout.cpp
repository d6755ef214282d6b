#include "vulkan/pipeline_layout.hpp"

namespace orv {

VkHandle<VkPipelineLayout> createPipelineLayout(VkDevice device, VkDescriptorSetLayout setLayout,
                                                const VkPushConstantRange& range) {
    VkPipelineLayoutCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_PIPELINE_LAYOUT_CREATE_INFO;
    info.setLayoutCount = setLayout != VK_NULL_HANDLE ? 1 : 0;
    info.pSetLayouts = setLayout != VK_NULL_HANDLE ? &setLayout : nullptr;
    info.pushConstantRangeCount = 1;
    info.pPushConstantRanges = &range;
    VkPipelineLayout layout = VK_NULL_HANDLE;
    vkCheck(vkCreatePipelineLayout(device, &info, nullptr, &layout), "failed to create pipeline layout!");
    return VkHandle<VkPipelineLayout>{device, layout, vkDestroyPipelineLayout};
}

}  // namespace orv
