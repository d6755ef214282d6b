#pragma once
// Draws with one compute dispatch over 16 x 16 pixel screen tiles. Each frame the host
// writes a record per shape, topmost first, and bins the shapes into the tiles they reach;
// the compute shader gives each pixel the colour of the first shape of its tile's list
// that holds its centre. The pixels go to a buffer and are copied into the swap chain's
// image. On a CPU driver this costs per shape and per tile, not per triangle.

#include <vulkan/vulkan.h>

#include <cstdint>
#include <string>

#include "render/renderer.hpp"
#include "render/texture_atlas.hpp"
#include "render/tiles/tile_binner.hpp"
#include "vulkan/host_buffer.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

// One shape as the compute shader reads it (see tiles.comp).
struct TileShape {
    float p[4];
    float q[4];
    uint32_t color;  // red in the low byte
    uint32_t unused[3];
};
static_assert(sizeof(TileShape) == 48, "shape record layout is shared with tiles.comp");

class TilesRenderer : public Renderer {
public:
    TilesRenderer(OrvDevice& device, std::string dataDirectory, FrameRing& frames, const TextureAtlas& atlas);

    RendererKind kind() const override { return RendererKind::Tiles; }
    VkImageUsageFlags imageUsage() const override { return VK_IMAGE_USAGE_TRANSFER_DST_BIT; }
    VkPipelineStageFlags imageWaitStage() const override { return VK_PIPELINE_STAGE_TRANSFER_BIT; }
    void useSwapChain(const OrvSwapChain& swapChain) override;
    void prepare(FrameData& frame, const OrvSwapChain& swapChain, Scene& scene) override;
    void record(FrameData& frame, const OrvSwapChain& swapChain, uint32_t imageIndex, const Scene& scene) override;
    void readFrame(FrameData& frame, const OrvSwapChain& swapChain, OrvQueue& queue, uint8_t* rgba) override;

private:
    void createLayouts();
    void createComputePipelines();
    void createDescriptorSets(FrameRing& frames);
    // A colour as the shader takes it (red in the low byte), and as the images store it.
    static uint32_t packRgba(const Color& color);
    uint32_t toTarget(uint32_t rgba) const;
    // Writes the frame's shape records and tile lists for a frame of `extent`.
    void writeShapes(FrameData& frame, Scene& scene, VkExtent2D extent);
    void updateDescriptorSet(FrameData& frame);

    OrvDevice& device;
    std::string dataDirectory;
    const TextureAtlas& atlas;
    VkHandle<VkDescriptorSetLayout> setLayout;
    VkHandle<VkDescriptorPool> pool;  // frees the frames' sets
    VkHandle<VkPipelineLayout> pipelineLayout;
    // One pass per TileBinner::Pass: opaque tiles, tiles blending pictures at their own size,
    // tiles blending scaled pictures.
    VkHandle<VkPipeline> passPipelines[3];
    // The frame's pixels, row by row, as the swap chain's images store them. Shared by the
    // frames: each frame's compute pass waits for the previous frame's copy out of it.
    HostBuffer output;
    // Counts replacements of `output`, so each frame knows whether its set names it.
    uint64_t outputGeneration = 1;
    // Colour byte order of the swap chain's images: blue first, or red first.
    bool blueFirst = true;
    // How many tiles of each group the last prepared frame draws.
    TileBinner::Written tilesDrawn{0, 0, 0};
    TileBinner binner;
};

}  // namespace orv
