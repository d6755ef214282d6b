#include "vulkan/orv_pipeline.hpp"

#include <stdexcept>

#include "vulkan/shader_file.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {
std::string shaderPath(const std::string& dataDirectory, const std::string& fileName) {
    return dataDirectory + "/shaders/" + fileName;
}
}  // namespace

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

void defaultPipelineConfig(PipelineConfig& config) {
    config.viewportState = {};
    config.viewportState.sType = VK_STRUCTURE_TYPE_PIPELINE_VIEWPORT_STATE_CREATE_INFO;
    config.viewportState.viewportCount = 1;
    config.viewportState.scissorCount = 1;

    config.inputAssemblyState = {};
    config.inputAssemblyState.sType = VK_STRUCTURE_TYPE_PIPELINE_INPUT_ASSEMBLY_STATE_CREATE_INFO;
    config.inputAssemblyState.topology = VK_PRIMITIVE_TOPOLOGY_TRIANGLE_LIST;
    config.inputAssemblyState.primitiveRestartEnable = VK_FALSE;

    config.rasterizationState = {};
    config.rasterizationState.sType = VK_STRUCTURE_TYPE_PIPELINE_RASTERIZATION_STATE_CREATE_INFO;
    config.rasterizationState.depthClampEnable = VK_FALSE;
    config.rasterizationState.rasterizerDiscardEnable = VK_FALSE;
    config.rasterizationState.polygonMode = VK_POLYGON_MODE_FILL;
    config.rasterizationState.lineWidth = 1.0f;
    config.rasterizationState.cullMode = VK_CULL_MODE_NONE;
    config.rasterizationState.frontFace = VK_FRONT_FACE_CLOCKWISE;
    config.rasterizationState.depthBiasEnable = VK_FALSE;

    config.multisampleState = {};
    config.multisampleState.sType = VK_STRUCTURE_TYPE_PIPELINE_MULTISAMPLE_STATE_CREATE_INFO;
    config.multisampleState.sampleShadingEnable = VK_FALSE;
    config.multisampleState.rasterizationSamples = VK_SAMPLE_COUNT_1_BIT;
    config.multisampleState.minSampleShading = 1.0f;

    config.colorBlendAttachment = {};
    config.colorBlendAttachment.colorWriteMask = VK_COLOR_COMPONENT_R_BIT | VK_COLOR_COMPONENT_G_BIT |
                                                 VK_COLOR_COMPONENT_B_BIT | VK_COLOR_COMPONENT_A_BIT;
    config.colorBlendAttachment.blendEnable = VK_FALSE;
    config.colorBlendAttachment.srcColorBlendFactor = VK_BLEND_FACTOR_ONE;
    config.colorBlendAttachment.dstColorBlendFactor = VK_BLEND_FACTOR_ZERO;
    config.colorBlendAttachment.colorBlendOp = VK_BLEND_OP_ADD;
    config.colorBlendAttachment.srcAlphaBlendFactor = VK_BLEND_FACTOR_ONE;
    config.colorBlendAttachment.dstAlphaBlendFactor = VK_BLEND_FACTOR_ZERO;
    config.colorBlendAttachment.alphaBlendOp = VK_BLEND_OP_ADD;

    config.colorBlendState = {};
    config.colorBlendState.sType = VK_STRUCTURE_TYPE_PIPELINE_COLOR_BLEND_STATE_CREATE_INFO;
    config.colorBlendState.logicOpEnable = VK_FALSE;
    config.colorBlendState.logicOp = VK_LOGIC_OP_COPY;
    config.colorBlendState.attachmentCount = 1;
    config.colorBlendState.pAttachments = &config.colorBlendAttachment;

    config.depthStencilState = {};
    config.depthStencilState.sType = VK_STRUCTURE_TYPE_PIPELINE_DEPTH_STENCIL_STATE_CREATE_INFO;
    // Shapes are drawn back to front instead of being depth tested.
    config.depthStencilState.depthTestEnable = VK_FALSE;
    config.depthStencilState.depthWriteEnable = VK_FALSE;
    config.depthStencilState.depthCompareOp = VK_COMPARE_OP_LESS;
    config.depthStencilState.depthBoundsTestEnable = VK_FALSE;
    config.depthStencilState.minDepthBounds = 0.0f;
    config.depthStencilState.maxDepthBounds = 1.0f;
    config.depthStencilState.stencilTestEnable = VK_FALSE;

    config.dynamicStates = {VK_DYNAMIC_STATE_VIEWPORT, VK_DYNAMIC_STATE_SCISSOR};
    config.dynamicState = {};
    config.dynamicState.sType = VK_STRUCTURE_TYPE_PIPELINE_DYNAMIC_STATE_CREATE_INFO;
    config.dynamicState.dynamicStateCount = static_cast<uint32_t>(config.dynamicStates.size());
    config.dynamicState.pDynamicStates = config.dynamicStates.data();
}

OrvPipeline::OrvPipeline(OrvDevice& device, const std::string& dataDirectory, const std::string& vertFile,
                         const std::string& fragFile, const PipelineConfig& config) {
    // The modules are needed only while the pipelines are built.
    const VkHandle<VkShaderModule> vertModule =
        loadShaderModule(device.getDevice(), shaderPath(dataDirectory, vertFile), VK_SHADER_STAGE_VERTEX_BIT);
    const VkHandle<VkShaderModule> fragModule =
        loadShaderModule(device.getDevice(), shaderPath(dataDirectory, fragFile), VK_SHADER_STAGE_FRAGMENT_BIT);

    VkPipelineShaderStageCreateInfo stages[2]{};
    stages[0].sType = VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO;
    stages[0].stage = VK_SHADER_STAGE_VERTEX_BIT;
    stages[0].module = vertModule;
    stages[0].pName = "main";
    stages[1].sType = VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO;
    stages[1].stage = VK_SHADER_STAGE_FRAGMENT_BIT;
    stages[1].module = fragModule;
    stages[1].pName = "main";

    VkPipelineVertexInputStateCreateInfo vertexInput{};
    vertexInput.sType = VK_STRUCTURE_TYPE_PIPELINE_VERTEX_INPUT_STATE_CREATE_INFO;
    vertexInput.vertexBindingDescriptionCount = static_cast<uint32_t>(config.bindingDescriptions.size());
    vertexInput.pVertexBindingDescriptions = config.bindingDescriptions.data();
    vertexInput.vertexAttributeDescriptionCount = static_cast<uint32_t>(config.attributeDescriptions.size());
    vertexInput.pVertexAttributeDescriptions = config.attributeDescriptions.data();

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
    info.layout = config.pipelineLayout;
    info.renderPass = config.renderPass;
    info.subpass = config.subpass;
    info.basePipelineHandle = VK_NULL_HANDLE;
    info.basePipelineIndex = -1;

    // One pipeline a fill, from the same two modules: constant 0 cuts a disc out of each
    // quad, constant 1 only out of the quads at even places.
    struct Constants {
        VkBool32 cutDisc;
        VkBool32 byParity;
    };
    const VkSpecializationMapEntry entries[] = {{0, offsetof(Constants, cutDisc), sizeof(VkBool32)},
                                                {1, offsetof(Constants, byParity), sizeof(VkBool32)}};
    const Constants variants[kFills] = {{VK_FALSE, VK_FALSE}, {VK_TRUE, VK_FALSE}, {VK_TRUE, VK_TRUE}};
    for (size_t i = 0; i < kFills; ++i) {
        VkSpecializationInfo constants{};
        constants.mapEntryCount = 2;
        constants.pMapEntries = entries;
        constants.dataSize = sizeof(Constants);
        constants.pData = &variants[i];
        stages[0].pSpecializationInfo = &constants;
        stages[1].pSpecializationInfo = &constants;
        VkPipeline pipeline = VK_NULL_HANDLE;
        const VkResult result =
            vkCreateGraphicsPipelines(device.getDevice(), VK_NULL_HANDLE, 1, &info, nullptr, &pipeline);
        if (result != VK_SUCCESS) {
            throw vkError("failed to create graphics pipeline", result);
        }
        pipelines[i] = VkHandle<VkPipeline>{device.getDevice(), pipeline, vkDestroyPipeline};
    }
}

void OrvPipeline::checkShaderFiles(OrvDevice& owner, const std::string& dataDirectory, const std::string& vertFile,
                                   const std::string& fragFile) {
    loadShaderModule(owner.getDevice(), shaderPath(dataDirectory, vertFile), VK_SHADER_STAGE_VERTEX_BIT);
    loadShaderModule(owner.getDevice(), shaderPath(dataDirectory, fragFile), VK_SHADER_STAGE_FRAGMENT_BIT);
}

void OrvPipeline::bind(VkCommandBuffer commandBuffer, Fill fill) const {
    vkCmdBindPipeline(commandBuffer, VK_PIPELINE_BIND_POINT_GRAPHICS, pipelines[static_cast<size_t>(fill)]);
}

}  // namespace orv
