#include "vulkan/picture_pipeline.hpp"

#include <cstddef>
#include <vector>

#include "vulkan/orv_pipeline.hpp"
#include "vulkan/shader_file.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

PicturePipeline::PicturePipeline(OrvDevice& device, const std::string& dataDirectory, VkPipelineLayout layout,
                                 VkRenderPass renderPass) {
    const VkHandle<VkShaderModule> vertex =
        loadShaderModule(device.getDevice(), dataDirectory + "/shaders/sprite-vert.spv", VK_SHADER_STAGE_VERTEX_BIT);
    const VkHandle<VkShaderModule> fragment =
        loadShaderModule(device.getDevice(), dataDirectory + "/shaders/sprite-frag.spv", VK_SHADER_STAGE_FRAGMENT_BIT);

    PipelineConfig config;
    defaultPipelineConfig(config);
    config.colorBlendAttachment.blendEnable = VK_TRUE;
    config.colorBlendAttachment.srcColorBlendFactor = VK_BLEND_FACTOR_ONE;
    config.colorBlendAttachment.dstColorBlendFactor = VK_BLEND_FACTOR_ONE_MINUS_SRC_ALPHA;
    config.colorBlendAttachment.srcAlphaBlendFactor = VK_BLEND_FACTOR_ONE;
    config.colorBlendAttachment.dstAlphaBlendFactor = VK_BLEND_FACTOR_ONE_MINUS_SRC_ALPHA;

    VkPipelineShaderStageCreateInfo stages[2]{};
    stages[0].sType = VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO;
    stages[0].stage = VK_SHADER_STAGE_VERTEX_BIT;
    stages[0].module = vertex;
    stages[0].pName = "main";
    stages[1].sType = VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO;
    stages[1].stage = VK_SHADER_STAGE_FRAGMENT_BIT;
    stages[1].module = fragment;
    stages[1].pName = "main";

    const VkVertexInputBindingDescription binding{0, sizeof(PictureVertex), VK_VERTEX_INPUT_RATE_VERTEX};
    const VkVertexInputAttributeDescription attributes[] = {
        {0, 0, VK_FORMAT_R32G32_SFLOAT, offsetof(PictureVertex, position)},
        {1, 0, VK_FORMAT_R32G32_SFLOAT, offsetof(PictureVertex, texel)},
        {2, 0, VK_FORMAT_R32G32B32A32_SFLOAT, offsetof(PictureVertex, rect)},
        {3, 0, VK_FORMAT_R32G32B32A32_SFLOAT, offsetof(PictureVertex, tint)},
    };
    VkPipelineVertexInputStateCreateInfo vertexInput{};
    vertexInput.sType = VK_STRUCTURE_TYPE_PIPELINE_VERTEX_INPUT_STATE_CREATE_INFO;
    vertexInput.vertexBindingDescriptionCount = 1;
    vertexInput.pVertexBindingDescriptions = &binding;
    vertexInput.vertexAttributeDescriptionCount = 4;
    vertexInput.pVertexAttributeDescriptions = attributes;

    VkGraphicsPipelineCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_GRAPHICS_PIPELINE_CREATE_INFO;
    info.stageCount = 2;
    info.pStages = stages;
    info.pVertexInputState = &vertexInput;
    info.pInputAssemblyState = &config.inputAssemblyState;
    info.pViewportState = &config.viewportState;
    info.pRasterizationState = &config.rasterizationState;
    info.pMultisampleState = &config.multisampleState;
    info.pColorBlendState = &config.colorBlendState;
    info.pDepthStencilState = &config.depthStencilState;
    info.pDynamicState = &config.dynamicState;
    info.layout = layout;
    info.renderPass = renderPass;
    info.subpass = 0;
    info.basePipelineIndex = -1;
    VkPipeline made = VK_NULL_HANDLE;
    const VkResult result = vkCreateGraphicsPipelines(device.getDevice(), VK_NULL_HANDLE, 1, &info, nullptr, &made);
    if (result != VK_SUCCESS) {
        throw vkError("failed to create graphics pipeline", result);
    }
    pipeline = VkHandle<VkPipeline>{device.getDevice(), made, vkDestroyPipeline};
}

void PicturePipeline::bind(VkCommandBuffer commandBuffer) const {
    vkCmdBindPipeline(commandBuffer, VK_PIPELINE_BIND_POINT_GRAPHICS, pipeline);
}

}  // namespace orv
