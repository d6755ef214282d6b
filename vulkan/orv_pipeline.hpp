#pragma once
// The graphics pipelines of two shader modules read from the data directory, for solid
// primitives given in window pixels. The modules are built into one pipeline a fill: plain
// (quads and triangles); discs, cut out of their quads, so only discs pay for the test; and
// stretches that mix the two.

#include <vulkan/vulkan.h>

#include <cstddef>
#include <string>
#include <vector>

#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

struct PipelineConfig {
    PipelineConfig() = default;
    PipelineConfig(const PipelineConfig&) = delete;  // holds pointers into itself
    PipelineConfig& operator=(const PipelineConfig&) = delete;

    VkPipelineViewportStateCreateInfo viewportState{};
    VkPipelineInputAssemblyStateCreateInfo inputAssemblyState{};
    VkPipelineRasterizationStateCreateInfo rasterizationState{};
    VkPipelineMultisampleStateCreateInfo multisampleState{};
    VkPipelineColorBlendAttachmentState colorBlendAttachment{};
    VkPipelineColorBlendStateCreateInfo colorBlendState{};
    VkPipelineDepthStencilStateCreateInfo depthStencilState{};
    std::vector<VkDynamicState> dynamicStates;
    VkPipelineDynamicStateCreateInfo dynamicState{};
    // The vertex layout, given by whoever draws with the pipeline.
    std::vector<VkVertexInputBindingDescription> bindingDescriptions;
    std::vector<VkVertexInputAttributeDescription> attributeDescriptions;
    VkPipelineLayout pipelineLayout = VK_NULL_HANDLE;
    VkRenderPass renderPass = VK_NULL_HANDLE;
    uint32_t subpass = 0;
};

// A pipeline layout of at most one descriptor set layout (`setLayout` may be null) and one
// push-constant range.
VkHandle<VkPipelineLayout> createPipelineLayout(VkDevice device, VkDescriptorSetLayout setLayout,
                                                const VkPushConstantRange& range);

// Fills `config` in place with the engine's fixed-function defaults.
void defaultPipelineConfig(PipelineConfig& config);

class OrvPipeline {
public:
    // The shaders are <data directory>/shaders/<vertFile> and <fragFile>.
    OrvPipeline(OrvDevice& device, const std::string& dataDirectory, const std::string& vertFile,
                const std::string& fragFile, const PipelineConfig& config);

    OrvPipeline(const OrvPipeline&) = delete;
    OrvPipeline& operator=(const OrvPipeline&) = delete;

    // Mixed: rectangles and circles in one draw, told apart by where their quads lie.
    enum class Fill { Plain, Discs, Mixed };

    void bind(VkCommandBuffer commandBuffer, Fill fill) const;

    // Reads and checks both shader files and makes their modules, as a build does, without
    // building anything: for a renderer that does not draw with them.
    static void checkShaderFiles(OrvDevice& owner, const std::string& dataDirectory, const std::string& vertFile,
                                 const std::string& fragFile);

private:
    static constexpr size_t kFills = 3;

    VkHandle<VkPipeline> pipelines[kFills];
};

}  // namespace orv
