#pragma once
// The graphics pipeline that draws pictures and glyphs from the texture atlas, blended over
// what is drawn below them. Its shaders are read from the data directory at every build.

#include <vulkan/vulkan.h>

#include <array>
#include <string>

#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

// One vertex of a picture's quad (see sprite.vert).
struct PictureVertex {
    float position[2];
    float texel[2];
    float rect[4];
    float tint[4];
};

class PicturePipeline {
public:
    // Builds against `renderPass` with `layout` (the atlas at set 0, the screen size pushed).
    PicturePipeline(OrvDevice& device, const std::string& dataDirectory, VkPipelineLayout layout,
                    VkRenderPass renderPass);

    PicturePipeline(const PicturePipeline&) = delete;
    PicturePipeline& operator=(const PicturePipeline&) = delete;

    void bind(VkCommandBuffer commandBuffer) const;

private:
    VkHandle<VkPipeline> pipeline;
};

}  // namespace orv
