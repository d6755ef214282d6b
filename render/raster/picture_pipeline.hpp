#pragma once
// The graphics pipeline that draws pictures, glyphs and whatever solid primitive needs its
// shape cut out or its colour seen through (sprite.vert, sprite.frag), blended over what is
// drawn below it.

#include <vulkan/vulkan.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

// One vertex of a quad (see sprite.vert): where it lies on the screen and in the primitive's
// source, the source (a picture's place in the atlas, a ring's inner size, a rounded box's
// sizes), the premultiplied tint, and the primitive's kind and flags (render/draw_layout.h).
struct PictureVertex {
    float position[2];
    float texel[2];
    float rect[4];
    float tint[4];
    uint32_t kind;
};

static_assert(sizeof(PictureVertex) == 52, "vertex layout is shared with the shaders");

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
