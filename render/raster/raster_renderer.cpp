#include "render/raster/raster_renderer.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "render/frame_pixels.hpp"
#include "render/raster/giant_disc.hpp"
#include "vulkan/one_time_commands.hpp"
#include "vulkan/pipeline_layout.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

constexpr VkShaderStageFlags kPushStages = VK_SHADER_STAGE_VERTEX_BIT | VK_SHADER_STAGE_FRAGMENT_BIT;

SolidPipeline::Fill fillOf(DrawKind kind) {
    switch (kind) {
        case DrawKind::Discs:
            return SolidPipeline::Fill::Discs;
        case DrawKind::Mixed:
            return SolidPipeline::Fill::Mixed;
        default:
            return SolidPipeline::Fill::Plain;
    }
}

// What is left of a quad cut to the frame, as parts of the whole along each axis (0 to 1).
struct QuadPart {
    float u0 = 0.0f;
    float v0 = 0.0f;
    float u1 = 1.0f;
    float v1 = 1.0f;
};

// How far beyond the frame a quad may reach before it is cut: the rasteriser keeps positions
// in fixed point, and a quad billions of pixels wide overflows it.
constexpr float kCutMargin = 4096.0f;

// Cuts an axis-aligned solid or textured quad reaching far beyond the frame down to the
// frame and the margin, in place. Discs keep their square, which their shape is drawn from.
// A turned quad reaching beyond the margin keeps the parallelogram of its own (u, v) ranges
// that holds the frame and the margin; one missing them altogether shrinks to nothing.
QuadPart cutTurned(Primitive& p, float width, float height) {
    QuadPart part;
    const PixelBox box = boundsOf(p);
    const float low = -kCutMargin;
    if (box.left >= low && box.top >= low && box.right <= width + kCutMargin && box.bottom <= height + kCutMargin) {
        return part;
    }
    double ox = p.p0[0];
    double oy = p.p0[1];
    double ax = p.p1[0] - ox;
    double ay = p.p1[1] - oy;
    double bx = p.p2[0] - ox;
    double by = p.p2[1] - oy;
    const double det = ax * by - ay * bx;
    if (!(det != 0.0) || !std::isfinite(det)) {
        return part;
    }
    double u0 = 1.0, u1 = 0.0, v0 = 1.0, v1 = 0.0;
    for (const double x : {double{low}, double{width} + kCutMargin}) {
        for (const double y : {double{low}, double{height} + kCutMargin}) {
            const double u = ((x - ox) * by - (y - oy) * bx) / det;
            const double v = (ax * (y - oy) - ay * (x - ox)) / det;
            u0 = std::min(u0, u);
            u1 = std::max(u1, u);
            v0 = std::min(v0, v);
            v1 = std::max(v1, v);
        }
    }
    u0 = std::max(u0, 0.0);
    v0 = std::max(v0, 0.0);
    u1 = std::min(u1, 1.0);
    v1 = std::min(v1, 1.0);
    if (!(u0 < u1) || !(v0 < v1)) {
        u1 = u0 = v1 = v0 = 0.0;
        ox = oy = -1.0;
        ax = ay = bx = by = 0.0;
    }
    const auto at = [&](double u, double v, float (&point)[2]) {
        point[0] = static_cast<float>(ox + u * ax + v * bx);
        point[1] = static_cast<float>(oy + u * ay + v * by);
    };
    at(u0, v0, p.p0);
    at(u1, v0, p.p1);
    at(u0, v1, p.p2);
    part = QuadPart{static_cast<float>(u0), static_cast<float>(v0), static_cast<float>(u1), static_cast<float>(v1)};
    return part;
}

QuadPart cutToFrame(Primitive& p, float width, float height) {
    QuadPart part;
    if ((p.kindNumber() == kPrimQuad && !p.has(kFlagAxisAligned)) || p.kindNumber() == kPrimRoundedBox) {
        return cutTurned(p, width, height);
    }
    if (p.kindNumber() != kPrimQuad) {
        return part;
    }
    const auto cut = [](float& a, float& b, float limit, float& partA, float& partB) {
        const float low = -kCutMargin;
        const float high = limit + kCutMargin;
        if (a >= low && a <= high && b >= low && b <= high) {
            return;
        }
        const double from = a;
        const double span = static_cast<double>(b) - from;
        a = std::clamp(a, low, high);
        b = std::clamp(b, low, high);
        if (span != 0.0) {
            partA = static_cast<float>((a - from) / span);
            partB = static_cast<float>((b - from) / span);
        }
    };
    float left = p.p0[0];
    float right = p.p1[0];
    float top = p.p0[1];
    float bottom = p.p2[1];
    cut(left, right, width, part.u0, part.u1);
    cut(top, bottom, height, part.v0, part.v1);
    p.p0[0] = left;
    p.p0[1] = top;
    p.p1[0] = right;
    p.p1[1] = top;
    p.p2[0] = left;
    p.p2[1] = bottom;
    return part;
}

Vertex vertexAt(float x, float y, const float color[3]) {
    return Vertex{{x, y}, {color[0], color[1], color[2]}};
}

// A solid primitive's six vertices: a quad's (or a disc's square's) two triangles, p0 p2 p3
// and p0 p3 p1, whose corners the disc pipelines know by vertex index; or a triangle and an
// empty one.
void placeSolid(Vertex* out, const Primitive& p) {
    const float color[3] = {colorComponent(p.color, 0), colorComponent(p.color, 1), colorComponent(p.color, 2)};
    if (p.kindNumber() == kPrimTriangle) {
        out[0] = vertexAt(p.p0[0], p.p0[1], color);
        out[1] = vertexAt(p.p1[0], p.p1[1], color);
        out[2] = vertexAt(p.p2[0], p.p2[1], color);
        std::fill(out + 3, out + kQuadVertexCount, out[0]);
        return;
    }
    float x3 = 0.0f;
    float y3 = 0.0f;
    farCorner(p, x3, y3);
    out[0] = vertexAt(p.p0[0], p.p0[1], color);
    out[1] = vertexAt(p.p2[0], p.p2[1], color);
    out[2] = vertexAt(x3, y3, color);
    out[3] = out[0];
    out[4] = out[2];
    out[5] = vertexAt(p.p1[0], p.p1[1], color);
}

// A packed colour, premultiplied, as the blending pipeline takes its tint.
std::array<float, 4> premultiplied(uint32_t packed) {
    const float alpha = colorComponent(packed, 3);
    return {colorComponent(packed, 0) * alpha, colorComponent(packed, 1) * alpha, colorComponent(packed, 2) * alpha,
            alpha};
}

// Six vertices for the blending pipeline: corners (position, then place in the source),
// the primitive's source, the tint, and the primitive's kind and flags.
void placeBlended(PictureVertex* out, const float (&corners)[6][4], const Primitive& p) {
    const std::array<float, 4> tint = premultiplied(p.color);
    for (size_t i = 0; i < kQuadVertexCount; ++i) {
        const auto& c = corners[i];
        out[i] = PictureVertex{{c[0], c[1]},
                               {c[2], c[3]},
                               {p.source[0], p.source[1], p.source[2], p.source[3]},
                               {tint[0], tint[1], tint[2], tint[3]},
                               p.kind};
    }
}

// A quad's corners in the order of every quad, p0 p2 p3 and p0 p3 p1, each with its place
// across the source from (u0, v0) to (u1, v1).
void quadCorners(const Primitive& p, float u0, float v0, float u1, float v1, float (&out)[6][4]) {
    float x3 = 0.0f;
    float y3 = 0.0f;
    farCorner(p, x3, y3);
    const float corners[6][4] = {{p.p0[0], p.p0[1], u0, v0}, {p.p2[0], p.p2[1], u0, v1}, {x3, y3, u1, v1},
                                 {p.p0[0], p.p0[1], u0, v0}, {x3, y3, u1, v1},           {p.p1[0], p.p1[1], u1, v0}};
    std::copy(&corners[0][0], &corners[0][0] + 24, &out[0][0]);
}

// A solid primitive cut out by the fragment shader or seen through: a disc's corners carry
// where they lie across it (-1 to 1), a rounded box's where they lie in it (pixels).
void placeShape(PictureVertex* out, const Primitive& p, const QuadPart& part) {
    float corners[6][4] = {};
    if (p.kindNumber() == kPrimTriangle) {
        const float triangle[6][4] = {{p.p0[0], p.p0[1], 0, 0}, {p.p1[0], p.p1[1], 0, 0}, {p.p2[0], p.p2[1], 0, 0},
                                      {p.p0[0], p.p0[1], 0, 0}, {p.p0[0], p.p0[1], 0, 0}, {p.p0[0], p.p0[1], 0, 0}};
        std::copy(&triangle[0][0], &triangle[0][0] + 24, &corners[0][0]);
    } else if (p.kindNumber() == kPrimRoundedBox) {
        quadCorners(p, part.u0 * p.source[0], part.v0 * p.source[1], part.u1 * p.source[0], part.v1 * p.source[1],
                    corners);
    } else {
        quadCorners(p, 2.0f * part.u0 - 1.0f, 2.0f * part.v0 - 1.0f, 2.0f * part.u1 - 1.0f, 2.0f * part.v1 - 1.0f,
                    corners);
    }
    placeBlended(out, corners, p);
}

// A textured quad: where each corner lies in the picture.
void placePicture(PictureVertex* out, const Primitive& p, const QuadPart& part) {
    float corners[6][4] = {};
    quadCorners(p, part.u0 * p.source[2], part.v0 * p.source[3], part.u1 * p.source[2], part.v1 * p.source[3],
                corners);
    placeBlended(out, corners, p);
}

// A turned picture reaching beyond the frame and the margin is drawn as the part of its
// bounds within them, each corner's place in the picture found through the inverse (the
// fragment shader drops what lies outside the picture); false when it stays within.
bool placeCutPicture(PictureVertex* out, const Primitive& p, float width, float height) {
    const PixelBox bounds = boundsOf(p);
    if (p.has(kFlagAxisAligned) || (bounds.left >= -kCutMargin && bounds.top >= -kCutMargin &&
                                    bounds.right <= width + kCutMargin && bounds.bottom <= height + kCutMargin)) {
        return false;
    }
    const float left = std::clamp(bounds.left, -kCutMargin, width + kCutMargin);
    const float right = std::clamp(bounds.right, -kCutMargin, width + kCutMargin);
    const float top = std::clamp(bounds.top, -kCutMargin, height + kCutMargin);
    const float bottom = std::clamp(bounds.bottom, -kCutMargin, height + kCutMargin);
    const auto corner = [&p](float x, float y, float (&c)[4]) {
        const double dx = static_cast<double>(x) - p.p0[0];
        const double dy = static_cast<double>(y) - p.p0[1];
        c[0] = x;
        c[1] = y;
        c[2] = static_cast<float>(p.inverse[0] * dx + p.inverse[1] * dy);
        c[3] = static_cast<float>(p.inverse[2] * dx + p.inverse[3] * dy);
    };
    float corners[6][4] = {};
    corner(left, top, corners[0]);
    corner(left, bottom, corners[1]);
    corner(right, bottom, corners[2]);
    corner(right, top, corners[5]);
    std::copy(corners[0], corners[0] + 4, corners[3]);
    std::copy(corners[2], corners[2] + 4, corners[4]);
    placeBlended(out, corners, p);
    return true;
}

}  // namespace

const char* rendererName(RendererKind kind) {
    return kind == RendererKind::Raster ? "raster" : "tiles";
}

RasterRenderer::RasterRenderer(OrvDevice& d, std::string directory, const TextureAtlas& a)
    : device{d}, dataDirectory{std::move(directory)}, atlas{a} {
    for (auto& slot : slots) {
        slot = std::make_unique<Slot>(device);
    }
    createPipelineLayouts();
}

RasterRenderer::~RasterRenderer() {
    readBack.reset();
}

void RasterRenderer::createPipelineLayouts() {
    VkDevice vk = device.getDevice();
    VkPushConstantRange range{};
    range.stageFlags = kPushStages;
    range.offset = 0;
    range.size = sizeof(PushConstantData);

    pipelineLayout = createPipelineLayout(vk, VK_NULL_HANDLE, range);

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
    pictureLayout = createPipelineLayout(vk, setLayout, screen);
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
    // Written only when the atlas was replaced, which waited for every frame in flight, and
    // before a read-back, which waits too.
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

void RasterRenderer::useTarget(const RenderTarget& target) {
    // Replace only after the new pipeline is complete, so a failed build keeps the old one.
    auto built = std::make_unique<SolidPipeline>(device, dataDirectory, pipelineLayout, target.colorPass());
    pipeline = std::move(built);
    picturePipeline = std::make_unique<PicturePipeline>(device, dataDirectory, pictureLayout, target.colorPass());
}

RasterRenderer::Slot::Slot(OrvDevice& device)
    : vertices{device, VK_BUFFER_USAGE_VERTEX_BUFFER_BIT, "vertex"},
      pictureVertices{device, VK_BUFFER_USAGE_VERTEX_BUFFER_BIT, "picture vertex"} {}

void RasterRenderer::prepare(size_t slotIndex, const DrawList& list) {
    Slot& slot = *slots[slotIndex];
    const size_t count = list.size();
    // Up to one empty quad before each in a mixed stretch.
    slot.vertices.reserve(static_cast<VkDeviceSize>(std::max<size_t>(count, 1)) * 2 * kQuadVertexCount * sizeof(Vertex));
    slot.pictureVertices.reserve(static_cast<VkDeviceSize>(std::max<size_t>(count, 1)) * kQuadVertexCount *
                                 sizeof(PictureVertex));
    if (atlasWritten != atlas.generation()) {
        writeAtlasDescriptor();
    }
    auto* out = static_cast<Vertex*>(slot.vertices.data());
    auto* pictures = static_cast<PictureVertex*>(slot.pictureVertices.data());
    slot.draws.clear();
    slot.clearColor = list.clearColor;
    uint32_t next = 0;
    uint32_t nextPicture = 0;
    const float width = static_cast<float>(list.width);
    const float height = static_cast<float>(list.height);
    const auto flush = [&] {
        planStretch(
            stretchDiscs, next, slot.draws,
            [&](size_t i, uint32_t first) {
                Primitive p = list.primitives[stretch[i]];
                fillFrameWithGiantDisc(p, width, height, kCutMargin);
                cutToFrame(p, width, height);
                placeSolid(out + first, p);
            },
            [&](uint32_t first) {
                std::fill(out + first, out + first + kQuadVertexCount, Vertex{{-1.0f, -1.0f}, {0.0f, 0.0f, 0.0f}});
            });
        stretch.clear();
        stretchDiscs.clear();
    };
    // Back to front: the topmost primitive is drawn last.
    for (size_t i = count; i-- > 0;) {
        Primitive p = list.primitives[i];
        fillFrameWithGiantDisc(p, width, height, kCutMargin);
        // Rings and rounded boxes, opaque or not, are cut out by the blending pipeline, which
        // knows their shapes.
        const bool blends = p.has(kFlagTextured) || p.color >> 24 != 0xFFu || p.has(kFlagRing) ||
                            p.kindNumber() == kPrimRoundedBox;
        if (!blends) {
            stretch.push_back(static_cast<uint32_t>(i));
            stretchDiscs.push_back(p.kindNumber() == kPrimDisc ? 1 : 0);
            continue;
        }
        flush();
        Primitive cut = p;
        const QuadPart part = cutToFrame(cut, width, height);
        if (p.has(kFlagTextured)) {
            if (!placeCutPicture(pictures + nextPicture, p, width, height)) {
                placePicture(pictures + nextPicture, cut, part);
            }
        } else {
            placeShape(pictures + nextPicture, cut, part);
        }
        Draw* last = slot.draws.empty() ? nullptr : &slot.draws.back();
        if (last != nullptr && last->kind == DrawKind::Pictures && last->first + last->count == nextPicture) {
            last->count += kQuadVertexCount;
        } else {
            slot.draws.push_back(Draw{DrawKind::Pictures, nextPicture, kQuadVertexCount});
        }
        nextPicture += kQuadVertexCount;
    }
    flush();
}

void RasterRenderer::record(VkCommandBuffer commandBuffer, size_t slot, const RenderTarget& target,
                            uint32_t imageIndex) {
    recordPass(commandBuffer, *slots[slot], target.colorPass(), target.framebuffer(imageIndex), target.imageExtent());
}

void RasterRenderer::recordPass(VkCommandBuffer commandBuffer, const Slot& slot, VkRenderPass renderPass,
                                VkFramebuffer framebuffer, VkExtent2D extent) const {
    VkClearValue clear{};
    clear.color = {{colorComponent(slot.clearColor, 0), colorComponent(slot.clearColor, 1),
                    colorComponent(slot.clearColor, 2), 1.0f}};
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

    // The pipeline's block carries the frame's size; its other fields are unused.
    PushConstantData framePush{};
    framePush.screenWidth = viewport.width;
    framePush.screenHeight = viewport.height;
    const float screen[2] = {viewport.width, viewport.height};
    bool bound = false;
    DrawKind boundKind = DrawKind::Plain;
    for (const Draw& draw : slot.draws) {
        if (!bound || boundKind != draw.kind) {
            const VkDeviceSize offset = 0;
            if (draw.kind == DrawKind::Pictures) {
                const VkBuffer buffer = slot.pictureVertices.handle();
                picturePipeline->bind(commandBuffer);
                vkCmdBindDescriptorSets(commandBuffer, VK_PIPELINE_BIND_POINT_GRAPHICS, pictureLayout, 0, 1, &atlasSet, 0,
                                        nullptr);
                vkCmdPushConstants(commandBuffer, pictureLayout, VK_SHADER_STAGE_VERTEX_BIT, 0, sizeof(screen), screen);
                vkCmdBindVertexBuffers(commandBuffer, 0, 1, &buffer, &offset);
            } else {
                const VkBuffer buffer = slot.vertices.handle();
                pipeline->bind(commandBuffer, fillOf(draw.kind));
                vkCmdPushConstants(commandBuffer, pipelineLayout, kPushStages, 0, sizeof(framePush), &framePush);
                vkCmdBindVertexBuffers(commandBuffer, 0, 1, &buffer, &offset);
            }
            bound = true;
            boundKind = draw.kind;
        }
        vkCmdDraw(commandBuffer, draw.count, 1, draw.first, 0);
    }
    vkCmdEndRenderPass(commandBuffer);
}

void RasterRenderer::readFrame(size_t slot, const RenderTarget& target, OrvQueue& queue, uint8_t* rgba) {
    // The frame is drawn again into an image of our own, whatever the target was.
    const VkExtent2D extent = target.imageExtent();
    if (!readBack || readBack->imageExtent().width != extent.width || readBack->imageExtent().height != extent.height ||
        readBack->imageFormat() != target.imageFormat()) {
        readBack.reset();
        readBack = std::make_unique<OffscreenTarget>(device, extent, target.imageFormat());
    }
    // A picture added since the frame was drawn may have replaced the atlas: the set must
    // name the sheet that lives now (the frame loop waited for the device).
    if (atlasWritten != atlas.generation()) {
        writeAtlasDescriptor();
    }
    HostBuffer pixels{device, VK_BUFFER_USAGE_TRANSFER_DST_BIT, "read-back"};
    pixels.reserve(static_cast<VkDeviceSize>(extent.width) * extent.height * 4);
    OneTimeCommands commands{device, queue};
    recordPass(commands.buffer(), *slots[slot], readBack->colorPass(), readBack->framebuffer(0), extent);
    readBack->recordCopyTo(commands.buffer(), pixels.handle());
    commands.run();
    copyAsRgba(static_cast<const uint8_t*>(pixels.data()), extent, target.imageFormat(), rgba);
}

}  // namespace orv
