#pragma once
// The graphics pipelines for solid primitives given in window pixels (tri.vert, tri.frag),
// one a fill: plain (quads and triangles); discs, cut out of their quads, so only discs pay
// for the test; and stretches that mix the two.

#include <vulkan/vulkan.h>

#include <cstddef>
#include <string>

#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

class SolidPipeline {
public:
    // Builds against `renderPass` with `layout` (the push block of push_constants.hpp).
    SolidPipeline(OrvDevice& device, const std::string& dataDirectory, VkPipelineLayout layout,
                  VkRenderPass renderPass);

    SolidPipeline(const SolidPipeline&) = delete;
    SolidPipeline& operator=(const SolidPipeline&) = delete;

    // Mixed: rectangles and circles in one draw, told apart by where their quads lie.
    enum class Fill { Plain, Discs, Mixed };

    void bind(VkCommandBuffer commandBuffer, Fill fill) const;

    // Reads and checks both shader files and makes their modules, as a build does, without
    // building anything: for a renderer that does not draw with them.
    static void checkShaderFiles(OrvDevice& owner, const std::string& dataDirectory);

private:
    static constexpr size_t kFills = 3;

    VkHandle<VkPipeline> pipelines[kFills];
};

}  // namespace orv
