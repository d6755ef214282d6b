#include "render/raster/raster_renderer.hpp"

#include <algorithm>
#include <cmath>

#include "render/frame_pixels.hpp"
#include "render/raster/push_constants.hpp"
#include "render/raster/vertex.hpp"
#include "engine/shape_geometry.hpp"
#include "vulkan/color_render_pass.hpp"
#include "vulkan/one_time_commands.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

// The most quads one draw takes. The CPU driver allocates working memory in proportion to
// a draw's vertices; kept under a megabyte it is reused from frame to frame instead of
// being mapped afresh each time.
constexpr uint32_t kMaxDrawVertices = 768 * kQuadVertexCount;
// Quads of one kind in a row that are worth a draw of their own pipeline.
constexpr size_t kMinRunQuads = 64;

constexpr VkShaderStageFlags kPushStages = VK_SHADER_STAGE_VERTEX_BIT | VK_SHADER_STAGE_FRAGMENT_BIT;

static_assert(static_cast<int>(OrvPipeline::Fill::Triangles) == 0 && static_cast<int>(OrvPipeline::Fill::Rectangles) == 1 &&
                  static_cast<int>(OrvPipeline::Fill::Circles) == 2 && static_cast<int>(OrvPipeline::Fill::Mixed) == 3,
              "draw kinds name the pipeline's fills first");

bool drawable(const QuadCorners& c) {
    return std::isfinite(c.left) && std::isfinite(c.top) && std::isfinite(c.right) && std::isfinite(c.bottom);
}

}  // namespace

const char* rendererName(RendererKind kind) {
    return kind == RendererKind::Raster ? "raster" : "tiles";
}

RasterRenderer::RasterRenderer(OrvDevice& d, std::string directory, const TextureAtlas& a)
    : device{d}, dataDirectory{std::move(directory)}, atlas{a} {
    createPipelineLayouts();
}

RasterRenderer::~RasterRenderer() {
    releaseOffscreen();
}

void RasterRenderer::createPipelineLayouts() {
    VkDevice vk = device.getDevice();
    VkPushConstantRange range{};
    range.stageFlags = kPushStages;
    range.offset = 0;
    range.size = sizeof(PushConstantData);

    VkPipelineLayoutCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_PIPELINE_LAYOUT_CREATE_INFO;
    info.setLayoutCount = 0;
    info.pushConstantRangeCount = 1;
    info.pPushConstantRanges = &range;
    VkPipelineLayout layout = VK_NULL_HANDLE;
    vkCheck(vkCreatePipelineLayout(vk, &info, nullptr, &layout), "failed to create pipeline layout!");
    pipelineLayout = VkHandle<VkPipelineLayout>{vk, layout, vkDestroyPipelineLayout};

    const VkDescriptorSetLayoutBinding binding{0, VK_DESCRIPTOR_TYPE_COMBINED_IMAGE_SAMPLER, 1,
                                               VK_SHADER_STAGE_FRAGMENT_BIT, nullptr};
    VkDescriptorSetLayoutCreateInfo setInfo{};
    setInfo.sType = VK_STRUCTURE_TYPE_DESCRIPTOR_SET_LAYOUT_CREATE_INFO;
    setInfo.bindingCount = 1;
    setInfo.pBindings = &binding;
    VkDescriptorSetLayout setLayout = VK_NULL_HANDLE;
    vkCheck(vkCreateDescriptorSetLayout(vk, &setInfo, nullptr, &setLayout), "failed to create descriptor set layout!");
    pictureSetLayout = VkHandle<VkDescriptorSetLayout>{vk, setLayout, vkDestroyDescriptorSetLayout};
    const VkPushConstantRange screen{VK_SHADER_STAGE_VERTEX_BIT, 0, 2 * sizeof(float)};
    VkPipelineLayoutCreateInfo pictureInfo{};
    pictureInfo.sType = VK_STRUCTURE_TYPE_PIPELINE_LAYOUT_CREATE_INFO;
    pictureInfo.setLayoutCount = 1;
    pictureInfo.pSetLayouts = &setLayout;
    pictureInfo.pushConstantRangeCount = 1;
    pictureInfo.pPushConstantRanges = &screen;
    vkCheck(vkCreatePipelineLayout(vk, &pictureInfo, nullptr, &layout), "failed to create pipeline layout!");
    pictureLayout = VkHandle<VkPipelineLayout>{vk, layout, vkDestroyPipelineLayout};
    const VkDescriptorPoolSize size{VK_DESCRIPTOR_TYPE_COMBINED_IMAGE_SAMPLER, 1};
    VkDescriptorPoolCreateInfo poolInfo{};
    poolInfo.sType = VK_STRUCTURE_TYPE_DESCRIPTOR_POOL_CREATE_INFO;
    poolInfo.maxSets = 1;
    poolInfo.poolSizeCount = 1;
    poolInfo.pPoolSizes = &size;
    VkDescriptorPool madePool = VK_NULL_HANDLE;
    vkCheck(vkCreateDescriptorPool(vk, &poolInfo, nullptr, &madePool), "failed to create descriptor pool!");
    pool = VkHandle<VkDescriptorPool>{vk, madePool, vkDestroyDescriptorPool};
    VkDescriptorSetAllocateInfo allocInfo{};
    allocInfo.sType = VK_STRUCTURE_TYPE_DESCRIPTOR_SET_ALLOCATE_INFO;
    allocInfo.descriptorPool = madePool;
    allocInfo.descriptorSetCount = 1;
    allocInfo.pSetLayouts = &setLayout;
    vkCheck(vkAllocateDescriptorSets(vk, &allocInfo, &atlasSet), "failed to allocate descriptor sets!");
}

void RasterRenderer::writeAtlasDescriptor() {
    // Written only when the atlas was replaced, which waited for every frame in flight.
    const VkDescriptorImageInfo picture{atlas.sampler(), atlas.view(), VK_IMAGE_LAYOUT_GENERAL};
    VkWriteDescriptorSet write{};
    write.sType = VK_STRUCTURE_TYPE_WRITE_DESCRIPTOR_SET;
    write.dstSet = atlasSet;
    write.dstBinding = 0;
    write.descriptorCount = 1;
    write.descriptorType = VK_DESCRIPTOR_TYPE_COMBINED_IMAGE_SAMPLER;
    write.pImageInfo = &picture;
    vkUpdateDescriptorSets(device.getDevice(), 1, &write, 0, nullptr);
    atlasWritten = atlas.generation();
}

void RasterRenderer::useSwapChain(const OrvSwapChain& swapChain) {
    PipelineConfig config;
    defaultPipelineConfig(config);
    config.pipelineLayout = pipelineLayout;
    config.renderPass = swapChain.getRenderPass();
    config.subpass = 0;
    const auto bindings = vertexBindings();
    const auto attributes = vertexAttributes();
    config.bindingDescriptions.assign(bindings.begin(), bindings.end());
    config.attributeDescriptions.assign(attributes.begin(), attributes.end());
    // Replace only after the new pipeline is complete, so a failed build keeps the old one.
    auto built = std::make_unique<OrvPipeline>(device, dataDirectory, "tri-vert.spv", "tri-frag.spv", config);
    pipeline = std::move(built);
    picturePipeline = std::make_unique<PicturePipeline>(device, dataDirectory, pictureLayout, swapChain.getRenderPass());
}

void RasterRenderer::addPicture(PictureVertex* out, uint32_t& next, float x, float y, float w, float h,
                                const AtlasRect& r, const Color& tint) {
    const float rect[4] = {static_cast<float>(r.x), static_cast<float>(r.y), static_cast<float>(r.width),
                           static_cast<float>(r.height)};
    const float tw = static_cast<float>(r.width);
    const float th = static_cast<float>(r.height);
    // The same corner order as every quad: two triangles (0, 1, 2) and (3, 4, 5).
    const float corners[6][4] = {{x, y, 0, 0},          {x, y + h, 0, th},          {x + w, y + h, tw, th},
                                 {x, y, 0, 0},          {x + w, y + h, tw, th},     {x + w, y, tw, 0}};
    for (const auto& c : corners) {
        out[next++] = PictureVertex{{c[0], c[1]}, {c[2], c[3]}, {rect[0], rect[1], rect[2], rect[3]},
                                    {tint[0], tint[1], tint[2], 1.0f}};
    }
    const uint32_t first = next - static_cast<uint32_t>(kQuadVertexCount);
    if (!draws.empty() && draws.back().kind == DrawKind::Pictures && draws.back().first + draws.back().count == first) {
        draws.back().count += kQuadVertexCount;
    } else {
        draws.push_back(Draw{DrawKind::Pictures, first, static_cast<uint32_t>(kQuadVertexCount), 0});
    }
}

void RasterRenderer::prepare(FrameData& frame, const OrvSwapChain& swapChain, Scene& scene) {
    const std::vector<uint32_t>& order = scene.drawOrder();
    // Up to one empty quad before each in a mixed stretch.
    frame.vertices.reserve(static_cast<VkDeviceSize>(order.size()) * 2 * kQuadVertexCount * sizeof(Vertex));
    frame.pictureVertices.reserve(static_cast<VkDeviceSize>(std::max<size_t>(order.size() + scene.glyphCount(), 1)) *
                                  kQuadVertexCount * sizeof(PictureVertex));
    if (atlasWritten != atlas.generation()) {
        writeAtlasDescriptor();
    }
    auto* out = static_cast<Vertex*>(frame.vertices.data());
    auto* pictures = static_cast<PictureVertex*>(frame.pictureVertices.data());
    const VkExtent2D extent = swapChain.getSwapChainExtent();
    draws.clear();
    pushes.clear();
    uint32_t next = 0;
    uint32_t nextPicture = 0;
    // Back to front: the topmost object is drawn last. Every object starts on a multiple of
    // six vertices, so a circle's corner is its vertex index mod 6.
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const GameObject& object = scene.at(*it);
        switch (object.kind) {
            case ObjectKind::Triangle: {
                flushStretch(out, next);
                const std::vector<Vertex>& model = triangleModelVertices(object.triangle);
                std::copy(model.begin(), model.end(), out + next);
                draws.push_back(Draw{DrawKind::Triangles, next, 3, static_cast<uint32_t>(pushes.size())});
                pushes.push_back(makePushConstants(object, extent));
                next += kQuadVertexCount;
                break;
            }
            case ObjectKind::Sprite: {
                flushStretch(out, next);
                const float w = static_cast<float>(object.sizeX);
                const float h = static_cast<float>(object.sizeY);
                if (w > 0.0f && h > 0.0f) {
                    const bool ownSize = w == static_cast<float>(object.picture.width) &&
                                         h == static_cast<float>(object.picture.height);
                    addPicture(pictures, nextPicture, pictureCorner(static_cast<float>(object.x), ownSize),
                               pictureCorner(static_cast<float>(object.y), ownSize), w, h, object.picture,
                               {1.0f, 1.0f, 1.0f});
                }
                break;
            }
            case ObjectKind::Text: {
                flushStretch(out, next);
                if (const TextLayout* layout = scene.text(object.id)) {
                    for (const GlyphQuad& glyph : layout->glyphs) {
                        addPicture(pictures, nextPicture, pictureCorner(static_cast<float>(object.x) + glyph.x, true),
                                   pictureCorner(static_cast<float>(object.y) + glyph.y, true),
                                   static_cast<float>(glyph.rect.width),
                                   static_cast<float>(glyph.rect.height), glyph.rect, object.color);
                    }
                }
                break;
            }
            case ObjectKind::Rectangle:
            case ObjectKind::Circle: {
                const bool circle = object.kind == ObjectKind::Circle;
                const QuadCorners corners = cornersOf(object);
                // No point is inside a circle of negative (or NaN) radius.
                if (drawable(corners) && (!circle || object.radius() > 0.0)) {
                    stretch.push_back(PendingQuad{corners, object.color, circle});
                }
                break;
            }
        }
    }
    flushStretch(out, next);
}

void RasterRenderer::flushStretch(Vertex* out, uint32_t& next) {
    // Long runs of one kind get draws of their own pipeline; the shorter runs between them
    // share one draw of the mixed pipeline, which cuts the disc of the quads at even places
    // (circles) and not at odd ones (rectangles): a quad that lands on the wrong parity is
    // preceded by an empty one. Switching pipelines costs a CPU driver far more than a quad.
    const auto emit = [&](DrawKind kind, const PendingQuad& quad) {
        if (kind == DrawKind::Mixed && ((next / kQuadVertexCount) % 2 == 0) != quad.circle) {
            std::fill(out + next, out + next + kQuadVertexCount, Vertex{{-1.0f, -1.0f}, {0.0f, 0.0f, 0.0f}});
            next += kQuadVertexCount;
        }
        placeQuad(out + next, quad.corners, quad.color);
        Draw* last = draws.empty() ? nullptr : &draws.back();
        if (last != nullptr && last->kind == kind && last->first + last->count + kQuadVertexCount >= next &&
            last->count < kMaxDrawVertices) {
            last->count = next + static_cast<uint32_t>(kQuadVertexCount) - last->first;
        } else {
            draws.push_back(Draw{kind, next, kQuadVertexCount, 0});
        }
        next += kQuadVertexCount;
    };
    size_t i = 0;
    while (i < stretch.size()) {
        size_t end = i;
        while (end < stretch.size() && stretch[end].circle == stretch[i].circle) {
            ++end;
        }
        const bool longRun = end - i >= kMinRunQuads;
        for (size_t k = i; k < end; ++k) {
            emit(longRun ? (stretch[k].circle ? DrawKind::Circles : DrawKind::Rectangles) : DrawKind::Mixed, stretch[k]);
        }
        i = end;
    }
    stretch.clear();
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

    // Rectangles and circles need only the frame's size; every triangle's block carries it too.
    PushConstantData framePush{};
    framePush.screenWidth = viewport.width;
    framePush.screenHeight = viewport.height;
    const float screen[2] = {viewport.width, viewport.height};
    bool bound = false;
    DrawKind boundKind = DrawKind::Triangles;
    for (const Draw& draw : draws) {
        if (!bound || boundKind != draw.kind) {
            const VkDeviceSize offset = 0;
            if (draw.kind == DrawKind::Pictures) {
                const VkBuffer buffer = frame.pictureVertices.handle();
                picturePipeline->bind(commandBuffer);
                vkCmdBindDescriptorSets(commandBuffer, VK_PIPELINE_BIND_POINT_GRAPHICS, pictureLayout, 0, 1, &atlasSet, 0,
                                        nullptr);
                vkCmdPushConstants(commandBuffer, pictureLayout, VK_SHADER_STAGE_VERTEX_BIT, 0, sizeof(screen), screen);
                vkCmdBindVertexBuffers(commandBuffer, 0, 1, &buffer, &offset);
            } else {
                const VkBuffer buffer = frame.vertices.handle();
                pipeline->bind(commandBuffer, static_cast<OrvPipeline::Fill>(draw.kind));
                vkCmdPushConstants(commandBuffer, pipelineLayout, kPushStages, 0, sizeof(framePush), &framePush);
                vkCmdBindVertexBuffers(commandBuffer, 0, 1, &buffer, &offset);
            }
            bound = true;
            boundKind = draw.kind;
        }
        if (draw.kind == DrawKind::Triangles) {
            vkCmdPushConstants(commandBuffer, pipelineLayout, kPushStages, 0, sizeof(PushConstantData),
                               &pushes[draw.push]);
        }
        vkCmdDraw(commandBuffer, draw.count, 1, draw.first, 0);
    }
    vkCmdEndRenderPass(commandBuffer);
}

void RasterRenderer::releaseOffscreen() noexcept {
    VkDevice vk = device.getDevice();
    vkDestroyFramebuffer(vk, offscreen.framebuffer, nullptr);
    vkDestroyRenderPass(vk, offscreen.renderPass, nullptr);
    destroyDeviceImage(vk, offscreen.target);
    offscreen = Offscreen{};
}

void RasterRenderer::makeOffscreen(VkExtent2D extent, VkFormat format) {
    if (offscreen.target.image != VK_NULL_HANDLE && offscreen.extent.width == extent.width &&
        offscreen.extent.height == extent.height && offscreen.format == format) {
        return;
    }
    releaseOffscreen();
    VkDevice vk = device.getDevice();
    try {
        createDeviceImage(device, extent, format, VK_IMAGE_USAGE_COLOR_ATTACHMENT_BIT | VK_IMAGE_USAGE_TRANSFER_SRC_BIT,
                          offscreen.target);
        // Compatible with the swap chain's render pass, so the same pipelines draw into it; it
        // ends ready to be copied from.
        offscreen.renderPass = createColorRenderPass(vk, format, VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL);

        VkFramebufferCreateInfo framebufferInfo{};
        framebufferInfo.sType = VK_STRUCTURE_TYPE_FRAMEBUFFER_CREATE_INFO;
        framebufferInfo.renderPass = offscreen.renderPass;
        framebufferInfo.attachmentCount = 1;
        framebufferInfo.pAttachments = &offscreen.target.view;
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
    drawn.image = offscreen.target.image;
    drawn.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
    vkCmdPipelineBarrier(commands.buffer(), VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT,
                         VK_PIPELINE_STAGE_TRANSFER_BIT, 0, 0, nullptr, 0, nullptr, 1, &drawn);
    VkBufferImageCopy region{};
    region.imageSubresource = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
    region.imageExtent = {extent.width, extent.height, 1};
    vkCmdCopyImageToBuffer(commands.buffer(), offscreen.target.image, VK_IMAGE_LAYOUT_TRANSFER_SRC_OPTIMAL, pixels.handle(), 1,
                           &region);
    commands.run();
    copyAsRgba(static_cast<const uint8_t*>(pixels.data()), extent, swapChain.getImageFormat(), rgba);
}

}  // namespace orv
