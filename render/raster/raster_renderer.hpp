#pragma once
// Draws with the graphics pipeline: every solid primitive as two triangles (a triangle and an
// empty one) in window pixels, streamed back to front into the frame's vertex buffer, so the
// topmost ends on top without a depth test; runs of them share draws (draw_batches.hpp).
// Textured quads, solid primitives seen through, rings and rounded boxes have a stream of
// their own, drawn by a second pipeline that samples the texture atlas, cuts shapes out by
// their kind and blends.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "render/raster/draw_batches.hpp"
#include "render/raster/picture_pipeline.hpp"
#include "render/raster/push_constants.hpp"
#include "render/raster/solid_pipeline.hpp"
#include "render/raster/vertex.hpp"
#include "render/renderer.hpp"
#include "render/texture_atlas.hpp"
#include "vulkan/frame_ring.hpp"
#include "vulkan/host_buffer.hpp"
#include "vulkan/offscreen_target.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

class RasterRenderer : public Renderer {
public:
    RasterRenderer(OrvDevice& device, std::string dataDirectory, const TextureAtlas& atlas);
    ~RasterRenderer() override;

    RendererKind kind() const override { return RendererKind::Raster; }
    VkImageUsageFlags imageUsage() const override { return 0; }
    VkPipelineStageFlags imageWaitStage() const override { return VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT; }
    void useTarget(const RenderTarget& target) override;
    void prepare(size_t slot, const DrawList& list) override;
    void record(VkCommandBuffer commandBuffer, size_t slot, const RenderTarget& target, uint32_t imageIndex) override;
    void readFrame(size_t slot, const RenderTarget& target, OrvQueue& queue, uint8_t* rgba) override;

private:
    // What each frame in flight uploads and draws: its vertices, its pictures' vertices, and
    // its draws (kept, so the frame can be drawn again to be read back).
    struct Slot {
        explicit Slot(OrvDevice& device);
        HostBuffer vertices;
        HostBuffer pictureVertices;
        std::vector<Draw> draws;
        uint32_t clearColor = 0;
    };

    void createPipelineLayouts();
    void writeAtlasDescriptor();
    // The render pass from its beginning to its end, drawing the prepared frame.
    void recordPass(VkCommandBuffer commandBuffer, const Slot& slot, VkRenderPass renderPass,
                    VkFramebuffer framebuffer, VkExtent2D extent) const;

    OrvDevice& device;
    std::string dataDirectory;
    const TextureAtlas& atlas;
    VkHandle<VkPipelineLayout> pipelineLayout;
    // Pictures: the atlas in a set of its own, the screen size pushed.
    VkHandle<VkDescriptorSetLayout> pictureSetLayout;
    VkHandle<VkPipelineLayout> pictureLayout;
    VkHandle<VkDescriptorPool> pool;  // frees atlasSet
    VkDescriptorSet atlasSet = VK_NULL_HANDLE;
    std::unique_ptr<SolidPipeline> pipeline;
    uint64_t atlasWritten = 0;
    std::unique_ptr<PicturePipeline> picturePipeline;
    std::array<std::unique_ptr<Slot>, MAX_FRAMES_IN_FLIGHT> slots;
    // The solid primitives waiting to be placed with the others of their stretch, and
    // whether each is a disc; kept so frames allocate nothing.
    std::vector<uint32_t> stretch;
    std::vector<uint8_t> stretchDiscs;
    // Where a frame is drawn again to be read back.
    std::unique_ptr<OffscreenTarget> readBack;
};

}  // namespace orv
