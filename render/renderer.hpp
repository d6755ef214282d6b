#pragma once
// How a frame's primitives become pixels. The engine owns the frames, the render target and
// the scene, and lowers the scene into a draw list; a renderer turns the draw list into the
// commands of one frame drawn into the target. Each renderer keeps its own records for each
// frame in flight, indexed by the frame's slot.

#include <vulkan/vulkan.h>

#include <cstddef>
#include <cstdint>

#include "render/draw_list.hpp"
#include "vulkan/orv_queue.hpp"
#include "vulkan/render_target.hpp"

namespace orv {

// The two ways of drawing: rasterising two triangles a shape, or a compute pass over
// screen tiles (much cheaper on a CPU driver, whose cost is per triangle).
enum class RendererKind { Raster, Tiles };

class Renderer {
public:
    virtual ~Renderer() = default;

    virtual RendererKind kind() const = 0;
    // What the target's images must allow beyond being colour attachments.
    virtual VkImageUsageFlags imageUsage() const = 0;
    // Where in the frame the target's image is first written; an acquired image's semaphore is
    // waited there.
    virtual VkPipelineStageFlags imageWaitStage() const = 0;
    // A new target exists and the device is idle. If this throws, the renderer keeps drawing
    // with what it has.
    virtual void useTarget(const RenderTarget& target) = 0;
    // Writes the uploads of the frame in `slot`, whose previous submission is done (this may
    // throw, before any command is recorded).
    virtual void prepare(size_t slot, const DrawList& list) = 0;
    // Records the prepared frame's drawing into `commandBuffer`, which the engine has begun.
    virtual void record(VkCommandBuffer commandBuffer, size_t slot, const RenderTarget& target,
                        uint32_t imageIndex) = 0;
    // Writes the pixels of the frame in `slot`, the last frame drawn, as RGBA rows from the top
    // into `rgba` (width x height x 4 bytes of the target's extent). The device is idle.
    virtual void readFrame(size_t slot, const RenderTarget& target, OrvQueue& queue, uint8_t* rgba) = 0;
};

const char* rendererName(RendererKind kind);

}  // namespace orv
