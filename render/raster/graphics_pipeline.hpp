#pragma once
// Builds the raster renderer's graphics pipelines, one way for all: two shader stages read
// from the data directory, triangle lists in window pixels, no depth test, viewport and
// scissor set while drawing, and either no blending or premultiplied "over".

#include <vulkan/vulkan.h>

#include <string>
#include <vector>

#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

struct GraphicsPipelineDescription {
    // Shader files in <data directory>/shaders.
    std::string vertexFile;
    std::string fragmentFile;
    std::vector<VkVertexInputBindingDescription> bindings;
    std::vector<VkVertexInputAttributeDescription> attributes;
    // Blends "one, one minus source alpha" (premultiplied colour over what is there); else
    // overwrites.
    bool blend = false;
    VkPipelineLayout layout = VK_NULL_HANDLE;
    VkRenderPass renderPass = VK_NULL_HANDLE;
};

class GraphicsPipelineBuilder {
public:
    // Reads and checks both shader files (a missing or broken one throws here).
    GraphicsPipelineBuilder(OrvDevice& device, const std::string& dataDirectory, GraphicsPipelineDescription description);

    // A pipeline of the description, both stages given `constants` (may be null).
    VkHandle<VkPipeline> build(const VkSpecializationInfo* constants = nullptr) const;

private:
    VkDevice device;
    GraphicsPipelineDescription description;
    // Needed only while pipelines are built.
    VkHandle<VkShaderModule> vertexModule;
    VkHandle<VkShaderModule> fragmentModule;
};

}  // namespace orv
