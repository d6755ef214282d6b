#pragma once
// Draws with compute dispatches over 16 x 16 pixel screen tiles. Each frame the host uploads
// the draw list's primitives, topmost first, and bins them into the tiles they reach; the
// compute shader gives each pixel the colour of the first primitive of its tile's list that
// holds its centre, or blends pictures front to back. The pixels go to a buffer and are
// copied into the target's image. On a CPU driver this costs per primitive and per tile, not
// per triangle.

#include <vulkan/vulkan.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "render/renderer.hpp"
#include "render/texture_atlas.hpp"
#include "render/tiles/tile_binner.hpp"
#include "vulkan/frame_ring.hpp"
#include "vulkan/host_buffer.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

class TilesRenderer : public Renderer {
public:
    TilesRenderer(OrvDevice& device, std::string dataDirectory, const TextureAtlas& atlas);

    RendererKind kind() const override { return RendererKind::Tiles; }
    VkImageUsageFlags imageUsage() const override { return VK_IMAGE_USAGE_TRANSFER_DST_BIT; }
    VkPipelineStageFlags imageWaitStage() const override { return VK_PIPELINE_STAGE_TRANSFER_BIT; }
    void useTarget(const RenderTarget& target) override;
    void prepare(size_t slot, const DrawList& list) override;
    void record(VkCommandBuffer commandBuffer, size_t slot, const RenderTarget& target, uint32_t imageIndex) override;
    void readFrame(size_t slot, const RenderTarget& target, OrvQueue& queue, uint8_t* rgba) override;

private:
    // What each frame in flight uploads: its primitives, the tiles some primitive reaches
    // (each with the start and length of its list), the lists, and the set naming them.
    struct Slot {
        explicit Slot(OrvDevice& device);
        HostBuffer shapes;
        HostBuffer tileRanges;
        HostBuffer tileLists;
        // Views of the three buffers above as texels, made with the set.
        VkHandle<VkBufferView> views[3];
        VkDescriptorSet set = VK_NULL_HANDLE;
        // Whether a buffer above was replaced since the set was written; which output buffer
        // and atlas it names.
        bool setStale = true;
        uint64_t setOutput = 0;
        uint64_t setAtlas = 0;
    };

    void createLayouts();
    void createComputePipelines();
    void createDescriptorSets();
    // A packed colour as the target's images store it.
    uint32_t toTarget(uint32_t rgba) const;
    // Writes the slot's primitives and tile lists.
    void writeShapes(Slot& slot, const DrawList& list);
    void updateDescriptorSet(Slot& slot);

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
    // The device's largest dispatch along x.
    uint32_t maxWorkGroups = 65535;
    // The most texels a buffer view may show.
    uint32_t maxTexels = 65536;
    // How many tiles of each group the last prepared frame draws, and its clear colour.
    TileBinner::Written tilesDrawn{0, 0, 0};
    uint32_t clearColor = 0;
    std::array<std::unique_ptr<Slot>, MAX_FRAMES_IN_FLIGHT> slots;
    TileBinner binner;
};

}  // namespace orv
