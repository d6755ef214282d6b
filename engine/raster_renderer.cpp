#include "engine/raster_renderer.hpp"

#include <cmath>

#include "engine/push_constants.hpp"
#include "engine/shape_geometry.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

// The most quads one draw takes. The CPU driver allocates working memory in proportion to
// a draw's vertices; kept under a megabyte it is reused from frame to frame instead of
// being mapped afresh each time.
constexpr uint32_t kMaxDrawVertices = 768 * kQuadVertexCount;

constexpr VkShaderStageFlags kPushStages = VK_SHADER_STAGE_VERTEX_BIT | VK_SHADER_STAGE_FRAGMENT_BIT;

bool drawable(const QuadCorners& c) {
    return std::isfinite(c.left) && std::isfinite(c.top) && std::isfinite(c.right) && std::isfinite(c.bottom);
}

}  // namespace

const char* rendererName(RendererKind kind) {
    return kind == RendererKind::Raster ? "raster" : "tiles";
}

RasterRenderer::RasterRenderer(OrvDevice& d, std::string directory) : device{d}, dataDirectory{std::move(directory)} {
    createPipelineLayout();
}

RasterRenderer::~RasterRenderer() {
    pipeline.reset();
    vkDestroyPipelineLayout(device.getDevice(), pipelineLayout, nullptr);
}

void RasterRenderer::createPipelineLayout() {
    VkPushConstantRange range{};
    range.stageFlags = kPushStages;
    range.offset = 0;
    range.size = sizeof(PushConstantData);

    VkPipelineLayoutCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_PIPELINE_LAYOUT_CREATE_INFO;
    info.setLayoutCount = 0;
    info.pushConstantRangeCount = 1;
    info.pPushConstantRanges = &range;
    const VkResult result = vkCreatePipelineLayout(device.getDevice(), &info, nullptr, &pipelineLayout);
    if (result != VK_SUCCESS) {
        pipelineLayout = VK_NULL_HANDLE;
        throw vkError("failed to create pipeline layout!", result);
    }
}

void RasterRenderer::useSwapChain(const OrvSwapChain& swapChain) {
    PipelineConfig config;
    defaultPipelineConfig(config);
    config.pipelineLayout = pipelineLayout;
    config.renderPass = swapChain.getRenderPass();
    config.subpass = 0;
    // Replace only after the new pipeline is complete, so a failed build keeps the old one.
    auto built = std::make_unique<OrvPipeline>(device, dataDirectory, "tri-vert.spv", "tri-frag.spv", config);
    pipeline = std::move(built);
}

void RasterRenderer::prepare(FrameData& frame, const OrvSwapChain&, Scene& scene) {
    const std::vector<uint32_t>& order = scene.drawOrder();
    frame.vertices.reserve(static_cast<VkDeviceSize>(order.size()) * kQuadVertexCount * sizeof(Vertex));
    auto* out = static_cast<Vertex*>(frame.vertices.data());
    draws.clear();
    uint32_t next = 0;
    // Back to front: the topmost object is drawn last. Every object starts on a multiple of
    // six vertices, so a circle's corner is its vertex index mod 6.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const GameObject& object = scene.at(*it);
        if (object.kind == ObjectKind::Triangle) {
            const std::vector<Vertex>& model = triangleModelVertices(object.triangle);
            std::copy(model.begin(), model.end(), out + next);
            draws.push_back(Draw{OrvPipeline::Fill::Triangles, next, 3, *it});
            next += kQuadVertexCount;
            continue;
        }
        const bool circle = object.kind == ObjectKind::Circle;
        const QuadCorners corners = cornersOf(object);
        // No point is inside a circle of negative (or NaN) radius.
        if (!drawable(corners) || (circle && !(object.radius() > 0.0))) {
            continue;
        }
        placeQuad(out + next, corners, object.color);
        const OrvPipeline::Fill fill = circle ? OrvPipeline::Fill::Circles : OrvPipeline::Fill::Rectangles;
        if (!draws.empty() && draws.back().fill == fill && draws.back().count < kMaxDrawVertices) {
            draws.back().count += kQuadVertexCount;
        } else {
            draws.push_back(Draw{fill, next, kQuadVertexCount, 0});
        }
        next += kQuadVertexCount;
    }
}

void RasterRenderer::record(FrameData& frame, const OrvSwapChain& swapChain, uint32_t imageIndex,
                            const Scene& scene) {
    const VkCommandBuffer commandBuffer = frame.commandBuffer;
    const VkExtent2D extent = swapChain.getSwapChainExtent();

    VkClearValue clear{};
    clear.color = {{0.01f, 0.01f, 0.01f, 1.0f}};
    VkRenderPassBeginInfo passInfo{};
    passInfo.sType = VK_STRUCTURE_TYPE_RENDER_PASS_BEGIN_INFO;
    passInfo.renderPass = swapChain.getRenderPass();
    passInfo.framebuffer = swapChain.getFrameBuffer(imageIndex);
    passInfo.renderArea.offset = {0, 0};
    passInfo.renderArea.extent = extent;
    passInfo.clearValueCount = 1;
    passInfo.pClearValues = &clear;
    vkCmdBeginRenderPass(commandBuffer, &passInfo, VK_SUBPASS_CONTENTS_INLINE);

    VkViewport viewport{};
    viewport.width = static_cast<float>(extent.width);
    viewport.height = static_cast<float>(extent.height);
    viewport.minDepth = 0.0f;
    viewport.maxDepth = 1.0f;
    const VkRect2D scissor{{0, 0}, extent};
    vkCmdSetViewport(commandBuffer, 0, 1, &viewport);
    vkCmdSetScissor(commandBuffer, 0, 1, &scissor);

    if (!draws.empty()) {
        const VkBuffer buffer = frame.vertices.handle();
        const VkDeviceSize offset = 0;
        vkCmdBindVertexBuffers(commandBuffer, 0, 1, &buffer, &offset);
        // Rectangles and circles need only the frame's size; every triangle's block carries it too.
        PushConstantData framePush{};
        framePush.screenWidth = viewport.width;
        framePush.screenHeight = viewport.height;
        vkCmdPushConstants(commandBuffer, pipelineLayout, kPushStages, 0, sizeof(framePush), &framePush);
        bool bound = false;
        OrvPipeline::Fill boundFill = OrvPipeline::Fill::Triangles;
        for (const Draw& draw : draws) {
            if (!bound || boundFill != draw.fill) {
                pipeline->bind(commandBuffer, draw.fill);
                bound = true;
                boundFill = draw.fill;
            }
            if (draw.fill == OrvPipeline::Fill::Triangles) {
                const PushConstantData push = makePushConstants(scene.at(draw.slot), extent);
                vkCmdPushConstants(commandBuffer, pipelineLayout, kPushStages, 0, sizeof(push), &push);
            }
            vkCmdDraw(commandBuffer, draw.count, 1, draw.first, 0);
        }
    }
    vkCmdEndRenderPass(commandBuffer);
}

}  // namespace orv
