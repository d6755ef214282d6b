#include "engine/raster_renderer.hpp"

#include <cmath>

#include "engine/frame_pixels.hpp"
#include "engine/push_constants.hpp"
#include "engine/shape_geometry.hpp"
#include "vulkan/one_time_commands.hpp"
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
    releaseOffscreen();
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

void RasterRenderer::prepare(FrameData& frame, const OrvSwapChain& swapChain, Scene& scene) {
    const std::vector<uint32_t>& order = scene.drawOrder();
    frame.vertices.reserve(static_cast<VkDeviceSize>(order.size()) * kQuadVertexCount * sizeof(Vertex));
    auto* out = static_cast<Vertex*>(frame.vertices.data());
    const VkExtent2D extent = swapChain.getSwapChainExtent();
    draws.clear();
    pushes.clear();
    uint32_t next = 0;
    // Back to front: the topmost object is drawn last. Every object starts on a multiple of
    // six vertices, so a circle's corner is its vertex index mod 6.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const GameObject& object = scene.at(*it);
        if (object.kind == ObjectKind::Triangle) {
            const std::vector<Vertex>& model = triangleModelVertices(object.triangle);
            std::copy(model.begin(), model.end(), out + next);
            draws.push_back(Draw{OrvPipeline::Fill::Triangles, next, 3, static_cast<uint32_t>(pushes.size())});
            pushes.push_back(makePushConstants(object, extent));
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

void RasterRenderer::record(FrameData& frame, const OrvSwapChain& swapChain, uint32_t imageIndex, const Scene&) {
    recordPass(frame.commandBuffer, frame, swapChain.getRenderPass(), swapChain.getFrameBuffer(imageIndex),
               swapChain.getSwapChainExtent());
}

void RasterRenderer::recordPass(VkCommandBuffer commandBuffer, const FrameData& frame, VkRenderPass renderPass,
                                VkFramebuffer framebuffer, VkExtent2D extent) const {
    VkClearValue clear{};
    clear.color = {{0.01f, 0.01f, 0.01f, 1.0f}};
    VkRenderPassBeginInfo passInfo{};
    passInfo.sType = VK_STRUCTURE_TYPE_RENDER_PASS_BEGIN_INFO;
    passInfo.renderPass = renderPass;
    passInfo.framebuffer = framebuffer;
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
                vkCmdPushConstants(commandBuffer, pipelineLayout, kPushStages, 0, sizeof(PushConstantData),
                                   &pushes[draw.push]);
            }
            vkCmdDraw(commandBuffer, draw.count, 1, draw.first, 0);
        }
    }
    vkCmdEndRenderPass(commandBuffer);
}

void RasterRenderer::releaseOffscreen() noexcept {
    VkDevice vk = device.getDevice();
    vkDestroyFramebuffer(vk, offscreen.framebuffer, nullptr);
    vkDestroyRenderPass(vk, offscreen.renderPass, nullptr);
    vkDestroyImageView(vk, offscreen.view, nullptr);
    vkDestroyImage(vk, offscreen.image, nullptr);
    vkFreeMemory(vk, offscreen.memory, nullptr);
    offscreen = Offscreen{};
}

void RasterRenderer::makeOffscreen(VkExtent2D extent, VkFormat format) {
    if (offscreen.image != VK_NULL_HANDLE && offscreen.extent.width == extent.width &&
        offscreen.extent.height == extent.height && offscreen.format == format) {
        return;
    }
    releaseOffscreen();
    VkDevice vk = device.getDevice();
    try {
        VkImageCreateInfo imageInfo{};
        imageInfo.sType = VK_STRUCTURE_TYPE_IMAGE_CREATE_INFO;
        imageInfo.imageType = VK_IMAGE_TYPE_2D;
        imageInfo.format = format;
        imageInfo.extent = {extent.width, extent.height, 1};
        imageInfo.mipLevels = 1;
        imageInfo.arrayLayers = 1;
        imageInfo.samples = VK_SAMPLE_COUNT_1_BIT;
        imageInfo.tiling = VK_IMAGE_TILING_OPTIMAL;
        imageInfo.usage = VK_IMAGE_USAGE_COLOR_ATTACHMENT_BIT | VK_IMAGE_USAGE_TRANSFER_SRC_BIT;
        imageInfo.initialLayout = VK_IMAGE_LAYOUT_UNDEFINED;
        vkCheck(vkCreateImage(vk, &imageInfo, nullptr, &offscreen.image), "failed to create image!");
        VkMemoryRequirements requirements;
        vkGetImageMemoryRequirements(vk, offscreen.image, &requirements);
        VkMemoryAllocateInfo allocInfo{};
        allocInfo.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
        allocInfo.allocationSize = requirements.size;
        allocInfo.memoryTypeIndex =
            device.findMemoryType(requirements.memoryTypeBits, VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT);
        vkCheck(vkAllocateMemory(vk, &allocInfo, nullptr, &offscreen.memory), "failed to allocate image memory!");
        vkCheck(vkBindImageMemory(vk, offscreen.image, offscreen.memory, 0), "failed to bind image memory!");

        VkImageViewCreateInfo viewInfo{};
        viewInfo.sType = VK_STRUCTURE_TYPE_IMAGE_VIEW_CREATE_INFO;
        viewInfo.image = offscreen.image;
        viewInfo.viewType = VK_IMAGE_VIEW_TYPE_2D;
        viewInfo.format = format;
        viewInfo.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
        vkCheck(vkCreateImageView(vk, &viewInfo, nullptr, &offscreen.view), "failed to create texture image view!");

        // Compatible with the swap chain's render pass (one attachment of the same format, the
        // same dependency), so the same pipelines draw into it; it ends ready to be copied from.
        VkAttachmentDescription color{};
        color.format = format;
        color.samples = VK_SAMPLE_COUNT_1_BIT;
        color.loadOp = VK_ATTACHMENT_LOAD_OP_CLEAR;
        color.storeOp = VK_ATTACHMENT_STORE_OP_STORE;
        color.stencilLoadOp = VK_ATTACHMENT_LOAD_OP_DONT_CARE;
        color.stencilStoreOp = VK_ATTACHMENT_STORE_OP_DONT_CARE;
        color.initialLayout = VK_IMAGE_LAYOUT_UNDEFINED;
        color.finalLayout = VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL;
        VkAttachmentReference colorRef{0, VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL};
        VkSubpassDescription subpass{};
        subpass.pipelineBindPoint = VK_PIPELINE_BIND_POINT_GRAPHICS;
        subpass.colorAttachmentCount = 1;
        subpass.pColorAttachments = &colorRef;
        VkSubpassDependency before{};
        before.srcSubpass = VK_SUBPASS_EXTERNAL;
        before.dstSubpass = 0;
        before.srcStageMask = VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT;
        before.dstStageMask = VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT;
        before.dstAccessMask = VK_ACCESS_COLOR_ATTACHMENT_WRITE_BIT;
        VkRenderPassCreateInfo passInfo{};
        passInfo.sType = VK_STRUCTURE_TYPE_RENDER_PASS_CREATE_INFO;
        passInfo.attachmentCount = 1;
        passInfo.pAttachments = &color;
        passInfo.subpassCount = 1;
        passInfo.pSubpasses = &subpass;
        passInfo.dependencyCount = 1;
        passInfo.pDependencies = &before;
        vkCheck(vkCreateRenderPass(vk, &passInfo, nullptr, &offscreen.renderPass), "failed to create render pass!");

        VkFramebufferCreateInfo framebufferInfo{};
        framebufferInfo.sType = VK_STRUCTURE_TYPE_FRAMEBUFFER_CREATE_INFO;
        framebufferInfo.renderPass = offscreen.renderPass;
        framebufferInfo.attachmentCount = 1;
        framebufferInfo.pAttachments = &offscreen.view;
        framebufferInfo.width = extent.width;
        framebufferInfo.height = extent.height;
        framebufferInfo.layers = 1;
        vkCheck(vkCreateFramebuffer(vk, &framebufferInfo, nullptr, &offscreen.framebuffer),
                "failed to create framebuffer!");
    } catch (...) {
        releaseOffscreen();
        throw;
    }
    offscreen.extent = extent;
    offscreen.format = format;
}

void RasterRenderer::readFrame(FrameData& frame, const OrvSwapChain& swapChain, OrvQueue& queue, uint8_t* rgba) {
    const VkExtent2D extent = swapChain.getSwapChainExtent();
    makeOffscreen(extent, swapChain.getImageFormat());
    HostBuffer pixels{device, VK_BUFFER_USAGE_TRANSFER_DST_BIT, "read-back"};
    pixels.reserve(static_cast<VkDeviceSize>(extent.width) * extent.height * 4);
    OneTimeCommands commands{device, queue};
    recordPass(commands.buffer(), frame, offscreen.renderPass, offscreen.framebuffer, extent);
    VkImageMemoryBarrier drawn{};
    drawn.sType = VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER;
    drawn.srcAccessMask = VK_ACCESS_COLOR_ATTACHMENT_WRITE_BIT;
    drawn.dstAccessMask = VK_ACCESS_TRANSFER_READ_BIT;
    drawn.oldLayout = VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL;
    drawn.newLayout = VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL;
    drawn.srcQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    drawn.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    drawn.image = offscreen.image;
    drawn.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
    vkCmdPipelineBarrier(commands.buffer(), VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT,
                         VK_PIPELINE_STAGE_TRANSFER_BIT, 0, 0, nullptr, 0, nullptr, 1, &drawn);
    VkBufferImageCopy region{};
    region.imageSubresource = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
    region.imageExtent = {extent.width, extent.height, 1};
    vkCmdCopyImageToBuffer(commands.buffer(), offscreen.image, VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL, pixels.handle(), 1,
                           &region);
    commands.run();
    copyAsRgba(static_cast<const uint8_t*>(pixels.data()), extent, swapChain.getImageFormat(), rgba);
}

}  // namespace orv
