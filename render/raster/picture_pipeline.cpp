#include "render/raster/picture_pipeline.hpp"

#include <utility>

#include "render/raster/graphics_pipeline.hpp"

namespace orv {

PicturePipeline::PicturePipeline(OrvDevice& device, const std::string& dataDirectory, VkPipelineLayout layout,
                                 VkRenderPass renderPass) {
    GraphicsPipelineDescription description;
    description.vertexFile = "sprite-vert.spv";
    description.fragmentFile = "sprite-frag.spv";
    description.bindings = {{0, sizeof(PictureVertex), VK_VERTEX_INPUT_RATE_VERTEX}};
    description.attributes = {
        {0, 0, VK_FORMAT_R32G32_SFLOAT, offsetof(PictureVertex, position)},
        {1, 0, VK_FORMAT_R32G32_SFLOAT, offsetof(PictureVertex, texel)},
        {2, 0, VK_FORMAT_R32G32B32A32_SFLOAT, offsetof(PictureVertex, rect)},
        {3, 0, VK_FORMAT_R32G32B32A32_SFLOAT, offsetof(PictureVertex, tint)},
        {4, 0, VK_FORMAT_R32_UINT, offsetof(PictureVertex, kind)},
    };
    description.blend = true;
    description.layout = layout;
    description.renderPass = renderPass;
    pipeline = GraphicsPipelineBuilder{device, dataDirectory, std::move(description)}.build();
}

void PicturePipeline::bind(VkCommandBuffer commandBuffer) const {
    vkCmdBindPipeline(commandBuffer, VK_PIPELINE_BIND_POINT_GRAPHICS, pipeline);
}

}  // namespace orv
