#include "render/raster/solid_pipeline.hpp"

#include "render/raster/graphics_pipeline.hpp"
#include "render/raster/vertex.hpp"

namespace orv {

namespace {

GraphicsPipelineDescription solidDescription(VkPipelineLayout layout, VkRenderPass renderPass) {
    GraphicsPipelineDescription description;
    description.vertexFile = "tri-vert.spv";
    description.fragmentFile = "tri-frag.spv";
    const auto bindings = vertexBindings();
    const auto attributes = vertexAttributes();
    description.bindings.assign(bindings.begin(), bindings.end());
    description.attributes.assign(attributes.begin(), attributes.end());
    description.layout = layout;
    description.renderPass = renderPass;
    return description;
}

}  // namespace

SolidPipeline::SolidPipeline(OrvDevice& device, const std::string& dataDirectory, VkPipelineLayout layout,
                             VkRenderPass renderPass) {
    const GraphicsPipelineBuilder builder{device, dataDirectory, solidDescription(layout, renderPass)};
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
        const VkSpecializationInfo constants{2, entries, sizeof(Constants), &variants[i]};
        pipelines[i] = builder.build(&constants);
    }
}

void SolidPipeline::checkShaderFiles(OrvDevice& owner, const std::string& dataDirectory) {
    GraphicsPipelineBuilder{owner, dataDirectory, solidDescription(VK_NULL_HANDLE, VK_NULL_HANDLE)};
}

void SolidPipeline::bind(VkCommandBuffer commandBuffer, Fill fill) const {
    vkCmdBindPipeline(commandBuffer, VK_PIPELINE_BIND_POINT_GRAPHICS, pipelines[static_cast<size_t>(fill)]);
}

}  // namespace orv
