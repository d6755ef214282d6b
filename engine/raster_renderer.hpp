#pragma once
// Draws with the graphics pipeline: every rectangle and circle as two triangles in window
// pixels, streamed back to front into the frame's vertex buffer, so the first created ends
// on top without a depth test; long runs of one kind share a draw. Triangles draw alone,
// placed by their push constants.

#include <string>
#include <memory>
#include <vector>

#include "engine/push_constants.hpp"
#include "engine/renderer.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/orv_pipeline.hpp"

namespace orv {

class RasterRenderer : public Renderer {
public:
    RasterRenderer(OrvDevice& device, std::string dataDirectory);
    ~RasterRenderer() override;

    RendererKind kind() const override { return RendererKind::Raster; }
    VkImageUsageFlags imageUsage() const override { return 0; }
    VkPipelineStageFlags imageWaitStage() const override { return VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT; }
    void useSwapChain(const OrvSwapChain& swapChain) override;
    void prepare(FrameData& frame, const OrvSwapChain& swapChain, Scene& scene) override;
    void record(FrameData& frame, const OrvSwapChain& swapChain, uint32_t imageIndex, const Scene& scene) override;
    void readFrame(FrameData& frame, const OrvSwapChain& swapChain, OrvQueue& queue, uint8_t* rgba) override;

private:
    // A stretch of the frame's vertices drawn with one call.
    struct Draw {
        OrvPipeline::Fill fill;
        uint32_t first;
        uint32_t count;
        uint32_t push;  // a triangle's push constants, in `pushes`
    };

    // An image of the swap chain's format to draw a frame into again and read it back.
    struct Offscreen {
        VkExtent2D extent{0, 0};
        VkFormat format = VK_FORMAT_UNDEFINED;
        VkImage image = VK_NULL_HANDLE;
        VkDeviceMemory memory = VK_NULL_HANDLE;
        VkImageView view = VK_NULL_HANDLE;
        VkRenderPass renderPass = VK_NULL_HANDLE;
        VkFramebuffer framebuffer = VK_NULL_HANDLE;
    };

    void createPipelineLayout();
    // The render pass from its beginning to its end, drawing the prepared frame.
    void recordPass(VkCommandBuffer commandBuffer, const FrameData& frame, VkRenderPass renderPass,
                    VkFramebuffer framebuffer, VkExtent2D extent) const;
    void makeOffscreen(VkExtent2D extent, VkFormat format);
    void releaseOffscreen() noexcept;

    OrvDevice& device;
    std::string dataDirectory;
    VkPipelineLayout pipelineLayout = VK_NULL_HANDLE;
    std::unique_ptr<OrvPipeline> pipeline;
    // The last prepared frame's draws and triangles' push constants, kept so frames
    // allocate nothing and the frame can be drawn again to be read back.
    std::vector<Draw> draws;
    std::vector<PushConstantData> pushes;
    Offscreen offscreen;
};

}  // namespace orv
