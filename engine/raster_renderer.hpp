#pragma once
// Draws with the graphics pipeline: every rectangle and circle as two triangles in window
// pixels, streamed back to front into the frame's vertex buffer, so the first created ends
// on top without a depth test; long runs of one kind share a draw. Triangles draw alone,
// placed by their push constants.

#include <string>
#include <memory>
#include <vector>

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

private:
    // A stretch of the frame's vertices drawn with one call.
    struct Draw {
        OrvPipeline::Fill fill;
        uint32_t first;
        uint32_t count;
        uint32_t slot;  // a triangle's object, for its push constants
    };

    void createPipelineLayout();

    OrvDevice& device;
    std::string dataDirectory;
    VkPipelineLayout pipelineLayout = VK_NULL_HANDLE;
    std::unique_ptr<OrvPipeline> pipeline;
    std::vector<Draw> draws;  // kept, so frames allocate nothing
};

}  // namespace orv
