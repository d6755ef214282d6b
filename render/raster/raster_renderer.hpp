#pragma once
// Draws with the graphics pipeline: every rectangle and circle as two triangles in window
// pixels, streamed back to front into the frame's vertex buffer, so the first created ends
// on top without a depth test; long runs of one kind share a draw. Triangles draw alone,
// placed by their push constants. Pictures and glyphs are quads of their own stream, drawn
// by a second pipeline that samples the texture atlas and blends.

#include <string>
#include <memory>
#include <vector>

#include "render/raster/push_constants.hpp"
#include "render/renderer.hpp"
#include "engine/shape_geometry.hpp"
#include "render/texture_atlas.hpp"
#include "vulkan/device_image.hpp"
#include "vulkan/picture_pipeline.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/orv_pipeline.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

class RasterRenderer : public Renderer {
public:
    RasterRenderer(OrvDevice& device, std::string dataDirectory, const TextureAtlas& atlas);
    ~RasterRenderer() override;

    RendererKind kind() const override { return RendererKind::Raster; }
    VkImageUsageFlags imageUsage() const override { return 0; }
    VkPipelineStageFlags imageWaitStage() const override { return VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT; }
    void useSwapChain(const OrvSwapChain& swapChain) override;
    void prepare(FrameData& frame, const OrvSwapChain& swapChain, Scene& scene) override;
    void record(FrameData& frame, const OrvSwapChain& swapChain, uint32_t imageIndex, const Scene& scene) override;
    void readFrame(FrameData& frame, const OrvSwapChain& swapChain, OrvQueue& queue, uint8_t* rgba) override;

private:
    enum class DrawKind { Triangles, Rectangles, Circles, Mixed, Pictures };

    // A rectangle or circle waiting to be placed with the others of its stretch.
    struct PendingQuad {
        QuadCorners corners;
        Color color;
        bool circle;
    };

    // A stretch of the frame's vertices (for pictures, of its picture vertices) drawn with
    // one call.
    struct Draw {
        DrawKind kind;
        uint32_t first;
        uint32_t count;
        uint32_t push;  // a triangle's push constants, in `pushes`
    };

    // An image of the swap chain's format to draw a frame into again and read it back.
    struct Offscreen {
        VkExtent2D extent{0, 0};
        VkFormat format = VK_FORMAT_UNDEFINED;
        DeviceImage target;
        VkRenderPass renderPass = VK_NULL_HANDLE;
        VkFramebuffer framebuffer = VK_NULL_HANDLE;
    };

    void createPipelineLayouts();
    void writeAtlasDescriptor();
    // Places the waiting rectangles and circles, back to front, and plans their draws.
    void flushStretch(Vertex* out, uint32_t& next);
    // Appends a picture's quad, back to front with the rest.
    void addPicture(PictureVertex* out, uint32_t& next, float x, float y, float w, float h, const AtlasRect& rect,
                    const Color& tint);
    // The render pass from its beginning to its end, drawing the prepared frame.
    void recordPass(VkCommandBuffer commandBuffer, const FrameData& frame, VkRenderPass renderPass,
                    VkFramebuffer framebuffer, VkExtent2D extent) const;
    void makeOffscreen(VkExtent2D extent, VkFormat format);
    void releaseOffscreen() noexcept;

    OrvDevice& device;
    std::string dataDirectory;
    const TextureAtlas& atlas;
    VkHandle<VkPipelineLayout> pipelineLayout;
    // Pictures: the atlas in a set of its own, the screen size pushed.
    VkHandle<VkDescriptorSetLayout> pictureSetLayout;
    VkHandle<VkPipelineLayout> pictureLayout;
    VkHandle<VkDescriptorPool> pool;  // frees atlasSet
    VkDescriptorSet atlasSet = VK_NULL_HANDLE;
    std::unique_ptr<OrvPipeline> pipeline;
    uint64_t atlasWritten = 0;
    std::unique_ptr<PicturePipeline> picturePipeline;
    // The last prepared frame's draws and triangles' push constants, kept so frames
    // allocate nothing and the frame can be drawn again to be read back.
    std::vector<Draw> draws;
    std::vector<PushConstantData> pushes;
    std::vector<PendingQuad> stretch;
    Offscreen offscreen;
};

}  // namespace orv
