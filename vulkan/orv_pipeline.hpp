#pragma once
// The graphics pipeline and its two shader modules, read from the data directory. The
// modules are built into one pipeline a kind of primitive: the triangles, placed by their
// push constants; rectangles, given in window pixels; circles, which also cut their disc
// out of their square, so only circles pay for the test; and stretches that mix the two.

#include <vulkan/vulkan.h>

#include <cstddef>
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

    // Mixed: rectangles and circles in one draw, told apart by where their quads lie.
    enum class Fill { Triangles, Rectangles, Circles, Mixed };

    void bind(VkCommandBuffer commandBuffer, Fill fill) const;

    // The bytes of <data directory>/shaders/<fileName>, read as readShaderFile does.
    static std::vector<char> readFile(const std::string& fileName);

    // Reads and checks both shader files and makes their modules, as a build does, without
    // building anything: for a renderer that does not draw with them.
    static void checkShaderFiles(OrvDevice& owner, std::string dataDirectory, const std::string& vertFile,
                                 const std::string& fragFile);

private:
    static constexpr size_t kFills = 4;

    void createGraphicsPipeline(const std::string& vertFile, const std::string& fragFile,
                                const PipelineConfig& config);
    // `code` has passed loadSpirv; `path` is only for the message.
    static VkShaderModule createShaderModule(OrvDevice& owner, const std::vector<uint32_t>& code,
                                             const std::string& path);
    void release() noexcept;

    OrvDevice& device;
    VkPipeline pipelines[kFills] = {VK_NULL_HANDLE, VK_NULL_HANDLE, VK_NULL_HANDLE, VK_NULL_HANDLE};
    VkShaderModule vertShaderModule = VK_NULL_HANDLE;
    VkShaderModule fragShaderModule = VK_NULL_HANDLE;
};

}  // namespace orv
