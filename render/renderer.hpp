#pragma once
// How a frame's objects become pixels. The engine owns the frames, the swap chain and the
// scene; a renderer turns the scene into the commands of one frame.

#include <vulkan/vulkan.h>

#include <cstdint>

#include "vulkan/frame_ring.hpp"
#include "engine/scene.hpp"
#include "vulkan/orv_queue.hpp"
#include "vulkan/orv_swap_chain.hpp"

namespace orv {

// The two ways of drawing: rasterising two triangles a shape, or a compute pass over
// screen tiles (much cheaper on a CPU driver, whose cost is per triangle).
enum class RendererKind { Raster, Tiles };

class Renderer {
public:
    virtual ~Renderer() = default;

    virtual RendererKind kind() const = 0;
    // What the swap chain's images must allow beyond being colour attachments.
    virtual VkImageUsageFlags imageUsage() const = 0;
    // Where in the frame the acquired image is first written; its semaphore is waited there.
    virtual VkPipelineStageFlags imageWaitStage() const = 0;
    // A new swap chain exists and the device is idle. If this throws, the renderer keeps
    // drawing with what it has.
    virtual void useSwapChain(const OrvSwapChain& swapChain) = 0;
    // Writes the frame's uploads (which may throw, before any command is recorded).
    // Triangles' rotations are already advanced for this frame.
    virtual void prepare(FrameData& frame, const OrvSwapChain& swapChain, Scene& scene) = 0;
    // Records the frame's drawing into its command buffer, which the engine has begun.
    virtual void record(FrameData& frame, const OrvSwapChain& swapChain, uint32_t imageIndex, const Scene& scene) = 0;
    // Writes the pixels of `frame`, the last frame drawn, as RGBA rows from the top into
    // `rgba` (width x height x 4 bytes of the swap chain's extent). The device is idle.
    virtual void readFrame(FrameData& frame, const OrvSwapChain& swapChain, OrvQueue& queue, uint8_t* rgba) = 0;
};

const char* rendererName(RendererKind kind);

}  // namespace orv
