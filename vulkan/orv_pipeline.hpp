#pragma once
// The graphics pipeline and its two shader modules, read from the data directory. The
// modules are built twice: once filling every primitive whole, once cutting a circle's
// disc out of its square, so only circles pay for the test.

#include <vulkan/vulkan.h>

#include <string>
#include <vector>

#include "vulkan/orv_device.hpp"

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
    VkPipelineLayout pipelineLayout = VK_NULL_HANDLE;
    VkRenderPass renderPass = VK_NULL_HANDLE;
    uint32_t subpass = 0;
};

// Fills `config` in place with the engine's fixed-function defaults.
void defaultPipelineConfig(PipelineConfig& config);

class OrvPipeline {
public:
    OrvPipeline(OrvDevice& device, std::string dataDirectory, const std::string& vertFile,
                const std::string& fragFile, const PipelineConfig& config);
    ~OrvPipeline();

    OrvPipeline(const OrvPipeline&) = delete;
    OrvPipeline& operator=(const OrvPipeline&) = delete;

    enum class Fill { Whole, Disc };

    void bind(VkCommandBuffer commandBuffer, Fill fill = Fill::Whole) const;

    // The bytes of <data directory>/shaders/<fileName>, read as readShaderFile does.
    static std::vector<char> readFile(const std::string& fileName);

private:
    void createGraphicsPipeline(const std::string& vertFile, const std::string& fragFile,
                                const PipelineConfig& config);
    // `code` has passed loadSpirv; `path` is only for the message.
    VkShaderModule createShaderModule(const std::vector<uint32_t>& code, const std::string& path) const;
    void release() noexcept;

    OrvDevice& device;
    VkPipeline graphicsPipeline = VK_NULL_HANDLE;
    VkPipeline discPipeline = VK_NULL_HANDLE;
    VkShaderModule vertShaderModule = VK_NULL_HANDLE;
    VkShaderModule fragShaderModule = VK_NULL_HANDLE;
};

}  // namespace orv
