#include "vulkan/orv_pipeline.hpp"

#include <stdexcept>

#include "engine/orv_model.hpp"
#include "vulkan/shader_file.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {
// Shared by every pipeline; each construction points it at its data directory.
std::string shaderDirectory;

std::string shaderPath(const std::string& fileName) {
    return shaderDirectory + "/" + "shaders" + "/" + fileName;
}
}  // namespace

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

OrvPipeline::OrvPipeline(OrvDevice& d, std::string dataDirectory, const std::string& vertFile,
                         const std::string& fragFile, const PipelineConfig& config)
    : device{d} {
    shaderDirectory = std::move(dataDirectory);
    try {
        createGraphicsPipeline(vertFile, fragFile, config);
    } catch (...) {
        release();
        throw;
    }
}

OrvPipeline::~OrvPipeline() {
    release();
}

void OrvPipeline::release() noexcept {
    VkDevice vk = device.getDevice();
    vkDestroyShaderModule(vk, vertShaderModule, nullptr);
    vkDestroyShaderModule(vk, fragShaderModule, nullptr);
    vkDestroyPipeline(vk, graphicsPipeline, nullptr);
    vkDestroyPipeline(vk, discPipeline, nullptr);
    vertShaderModule = VK_NULL_HANDLE;
    fragShaderModule = VK_NULL_HANDLE;
    graphicsPipeline = VK_NULL_HANDLE;
    discPipeline = VK_NULL_HANDLE;
}

std::vector<char> OrvPipeline::readFile(const std::string& fileName) {
    return readShaderFile(shaderPath(fileName));
}

VkShaderModule OrvPipeline::createShaderModule(const std::vector<uint32_t>& code, const std::string& path) const {
    VkShaderModuleCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_SHADER_MODULE_CREATE_INFO;
    info.codeSize = code.size() * sizeof(uint32_t);
    info.pCode = code.data();
    VkShaderModule module = VK_NULL_HANDLE;
    const VkResult result = vkCreateShaderModule(device.getDevice(), &info, nullptr, &module);
    if (result != VK_SUCCESS) {
        throw vkError("failed to create shader module: " + path, result);
    }
    return module;
}

void OrvPipeline::createGraphicsPipeline(const std::string& vertFile, const std::string& fragFile,
                                         const PipelineConfig& config) {
    // Both files are read and checked before either module exists.
    const std::string vertPath = shaderPath(vertFile);
    const std::string fragPath = shaderPath(fragFile);
    const std::vector<uint32_t> vertCode = loadSpirv(vertPath, VK_SHADER_STAGE_VERTEX_BIT);
    const std::vector<uint32_t> fragCode = loadSpirv(fragPath, VK_SHADER_STAGE_FRAGMENT_BIT);
    vertShaderModule = createShaderModule(vertCode, vertPath);
    fragShaderModule = createShaderModule(fragCode, fragPath);

    VkPipelineShaderStageCreateInfo stages[2]{};
    stages[0].sType = VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO;
    stages[0].stage = VK_SHADER_STAGE_VERTEX_BIT;
    stages[0].module = vertShaderModule;
    stages[0].pName = "main";
    stages[1].sType = VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO;
    stages[1].stage = VK_SHADER_STAGE_FRAGMENT_BIT;
    stages[1].module = fragShaderModule;
    stages[1].pName = "main";

    const auto bindings = OrvModel::vertexBindings();
    const auto attributes = OrvModel::vertexAttributes();
    VkPipelineVertexInputStateCreateInfo vertexInput{};
    vertexInput.sType = VK_STRUCTURE_TYPE_PIPELINE_VERTEX_INPUT_STATE_CREATE_INFO;
    vertexInput.vertexBindingDescriptionCount = static_cast<uint32_t>(bindings.size());
    vertexInput.pVertexBindingDescriptions = bindings.data();
    vertexInput.vertexAttributeDescriptionCount = static_cast<uint32_t>(attributes.size());
    vertexInput.pVertexAttributeDescriptions = attributes.data();

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

    VkResult result = vkCreateGraphicsPipelines(device.getDevice(), VK_NULL_HANDLE, 1, &info, nullptr, &graphicsPipeline);
    if (result != VK_SUCCESS) {
        graphicsPipeline = VK_NULL_HANDLE;
        throw vkError("failed to create graphics pipeline", result);
    }

    // The fragment shader's constant 0 switches on the disc test.
    const VkBool32 cutDisc = VK_TRUE;
    const VkSpecializationMapEntry entry{0, 0, sizeof(VkBool32)};
    VkSpecializationInfo constants{};
    constants.mapEntryCount = 1;
    constants.pMapEntries = &entry;
    constants.dataSize = sizeof(cutDisc);
    constants.pData = &cutDisc;
    stages[1].pSpecializationInfo = &constants;
    result = vkCreateGraphicsPipelines(device.getDevice(), VK_NULL_HANDLE, 1, &info, nullptr, &discPipeline);
    if (result != VK_SUCCESS) {
        discPipeline = VK_NULL_HANDLE;
        throw vkError("failed to create graphics pipeline", result);
    }
}

void OrvPipeline::bind(VkCommandBuffer commandBuffer, Fill fill) const {
    vkCmdBindPipeline(commandBuffer, VK_PIPELINE_BIND_POINT_GRAPHICS,
                      fill == Fill::Disc ? discPipeline : graphicsPipeline);
}

}  // namespace orv
