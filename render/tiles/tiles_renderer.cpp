#include "render/tiles/tiles_renderer.hpp"

#include <algorithm>
#include <cmath>

#include "render/frame_pixels.hpp"
#include "engine/shape_geometry.hpp"
#include "vulkan/orv_pipeline.hpp"
#include "vulkan/shader_file.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

constexpr uint32_t kBindings = 5;  // output, shapes, ranges, lists, atlas

enum : uint32_t { kRectangle = 0, kCircle = 1, kTriangle = 2, kSprite = 3, kGlyph = 4 };

struct FramePush {
    uint32_t size[2];
    uint32_t clearColor;
    uint32_t blueFirst;
    uint32_t firstRange;
};

// std::ceil, inline: this runs several times for every shape of every frame.
double ceilOf(double v) {
    if (!(std::fabs(v) < 4503599627370496.0)) {  // 2^52: whole already (or NaN)
        return v;
    }
    const double t = static_cast<double>(static_cast<int64_t>(v));
    return t < v ? t + 1.0 : t;
}

// The pixels whose centres c satisfy lo <= c < hi, clipped to [0, limit): first and last.
bool pixelRange(double lo, double hi, uint32_t limit, uint32_t& first, uint32_t& last) {
    const double from = std::max(ceilOf(lo - 0.5), 0.0);
    const double to = std::min(ceilOf(hi - 0.5) - 1.0, static_cast<double>(limit) - 1.0);
    if (!(from <= to)) {
        return false;
    }
    first = static_cast<uint32_t>(from);
    last = static_cast<uint32_t>(to);
    return true;
}

struct Box {
    float left, top, right, bottom;
};

bool finite(const Box& b) {
    return std::isfinite(b.left) && std::isfinite(b.top) && std::isfinite(b.right) && std::isfinite(b.bottom);
}

// The box from (x, y) across width and height, whichever way they point.
Box boxOf(float x, float y, float width, float height) {
    return {std::min(x, x + width), std::min(y, y + height), std::max(x, x + width), std::max(y, y + height)};
}

// Where a sprite drawn over `box` at `across` by `down` texels a pixel shows only its fully
// opaque texels: its bilinear sample at s = texel position - 0.5 (clamped to the picture)
// mixes texels floor(s) and floor(s) + 1, the latter with weight 0 when s is whole, so s in
// [first, last] of the opaque part reads nothing else. Empty when there is no such part.
Box opaquePart(const GameObject& sprite, const Box& box, float across, float down) {
    const AtlasRect& o = sprite.opaque;
    const AtlasRect& r = sprite.picture;
    if (o.width == 0 || o.height == 0) {
        return Box{0.0f, 0.0f, -1.0f, -1.0f};
    }
    const auto span = [](uint32_t first, uint32_t count, uint32_t size, float corner, float perPixel, float lo,
                         float hi, float& from, float& to) {
        const float last = static_cast<float>(first + count - 1);
        from = first == 0 ? lo : corner + (static_cast<float>(first) + 0.5f) / perPixel;
        to = first + count == size ? hi : corner + (last + 0.5f) / perPixel;
    };
    Box part{};
    span(o.x, o.width, r.width, box.left, across, box.left, box.right, part.left, part.right);
    span(o.y, o.height, r.height, box.top, down, box.top, box.bottom, part.top, part.bottom);
    return part;
}

}  // namespace

TilesRenderer::TilesRenderer(OrvDevice& d, std::string directory, FrameRing& frames, const TextureAtlas& a)
    : device{d},
      dataDirectory{std::move(directory)},
      atlas{a},
      output{d, VK_BUFFER_USAGE_STORAGE_BUFFER_BIT | VK_BUFFER_USAGE_TRANSFER_SRC_BIT | VK_BUFFER_USAGE_TRANSFER_DST_BIT,
             "frame pixel"} {
    createLayouts();
    createDescriptorSets(frames);
}

void TilesRenderer::createLayouts() {
    VkDevice vk = device.getDevice();
    VkDescriptorSetLayoutBinding bindings[kBindings]{};
    for (uint32_t i = 0; i < kBindings; ++i) {
        const VkDescriptorType type = i == 4 ? VK_DESCRIPTOR_TYPE_COMBINED_IMAGE_SAMPLER : VK_DESCRIPTOR_TYPE_STORAGE_BUFFER;
        bindings[i] = {i, type, 1, VK_SHADER_STAGE_COMPUTE_BIT, nullptr};
    }
    VkDescriptorSetLayoutCreateInfo setInfo{};
    setInfo.sType = VK_STRUCTURE_TYPE_DESCRIPTOR_SET_LAYOUT_CREATE_INFO;
    setInfo.bindingCount = kBindings;
    setInfo.pBindings = bindings;
    VkDescriptorSetLayout madeSetLayout = VK_NULL_HANDLE;
    vkCheck(vkCreateDescriptorSetLayout(vk, &setInfo, nullptr, &madeSetLayout),
            "failed to create descriptor set layout!");
    setLayout = VkHandle<VkDescriptorSetLayout>{vk, madeSetLayout, vkDestroyDescriptorSetLayout};

    const VkPushConstantRange range{VK_SHADER_STAGE_COMPUTE_BIT, 0, sizeof(FramePush)};
    VkPipelineLayoutCreateInfo layoutInfo{};
    layoutInfo.sType = VK_STRUCTURE_TYPE_PIPELINE_LAYOUT_CREATE_INFO;
    layoutInfo.setLayoutCount = 1;
    layoutInfo.pSetLayouts = &madeSetLayout;
    layoutInfo.pushConstantRangeCount = 1;
    layoutInfo.pPushConstantRanges = &range;
    VkPipelineLayout madeLayout = VK_NULL_HANDLE;
    vkCheck(vkCreatePipelineLayout(vk, &layoutInfo, nullptr, &madeLayout), "failed to create pipeline layout!");
    pipelineLayout = VkHandle<VkPipelineLayout>{vk, madeLayout, vkDestroyPipelineLayout};
}

void TilesRenderer::createComputePipelines() {
    VkDevice vk = device.getDevice();
    const std::string path = dataDirectory + "/shaders/tiles-comp.spv";
    const VkHandle<VkShaderModule> module = loadShaderModule(vk, path, VK_SHADER_STAGE_COMPUTE_BIT);
    // Constant 0 builds a pass that blends pictures and text, constant 1 one that filters them.
    const VkSpecializationMapEntry entries[2] = {{0, 0, sizeof(VkBool32)}, {1, sizeof(VkBool32), sizeof(VkBool32)}};
    const VkBool32 switches[3][2] = {{VK_FALSE, VK_FALSE}, {VK_TRUE, VK_FALSE}, {VK_TRUE, VK_TRUE}};
    // All three or none: a later call sees the first missing and builds them again.
    VkHandle<VkPipeline> made[3];
    for (size_t pass = 0; pass < 3; ++pass) {
        VkSpecializationInfo constants{2, entries, sizeof(switches[pass]), switches[pass]};
        VkComputePipelineCreateInfo info{};
        info.sType = VK_STRUCTURE_TYPE_COMPUTE_PIPELINE_CREATE_INFO;
        info.stage.sType = VK_STRUCTURE_TYPE_PIPELINE_SHADER_STAGE_CREATE_INFO;
        info.stage.stage = VK_SHADER_STAGE_COMPUTE_BIT;
        info.stage.module = module;
        info.stage.pName = "main";
        info.stage.pSpecializationInfo = &constants;
        info.layout = pipelineLayout;
        info.basePipelineIndex = -1;
        VkPipeline pipeline = VK_NULL_HANDLE;
        const VkResult result = vkCreateComputePipelines(vk, VK_NULL_HANDLE, 1, &info, nullptr, &pipeline);
        if (result != VK_SUCCESS) {
            throw vkError("failed to create compute pipeline: " + path, result);
        }
        made[pass] = VkHandle<VkPipeline>{vk, pipeline, vkDestroyPipeline};
    }
    for (size_t pass = 0; pass < 3; ++pass) {
        passPipelines[pass] = std::move(made[pass]);
    }
}

void TilesRenderer::createDescriptorSets(FrameRing& frames) {
    VkDevice vk = device.getDevice();
    const VkDescriptorPoolSize sizes[] = {
        {VK_DESCRIPTOR_TYPE_STORAGE_BUFFER, static_cast<uint32_t>(4 * MAX_FRAMES_IN_FLIGHT)},
        {VK_DESCRIPTOR_TYPE_COMBINED_IMAGE_SAMPLER, static_cast<uint32_t>(MAX_FRAMES_IN_FLIGHT)}};
    VkDescriptorPoolCreateInfo poolInfo{};
    poolInfo.sType = VK_STRUCTURE_TYPE_DESCRIPTOR_POOL_CREATE_INFO;
    poolInfo.maxSets = MAX_FRAMES_IN_FLIGHT;
    poolInfo.poolSizeCount = 2;
    poolInfo.pPoolSizes = sizes;
    VkDescriptorPool madePool = VK_NULL_HANDLE;
    vkCheck(vkCreateDescriptorPool(vk, &poolInfo, nullptr, &madePool), "failed to create descriptor pool!");
    pool = VkHandle<VkDescriptorPool>{vk, madePool, vkDestroyDescriptorPool};
    const VkDescriptorSetLayout layout = setLayout;
    for (size_t i = 0; i < MAX_FRAMES_IN_FLIGHT; ++i) {
        FrameData& frame = frames.slot(i);
        VkDescriptorSetAllocateInfo info{};
        info.sType = VK_STRUCTURE_TYPE_DESCRIPTOR_SET_ALLOCATE_INFO;
        info.descriptorPool = madePool;
        info.descriptorSetCount = 1;
        info.pSetLayouts = &layout;
        vkCheck(vkAllocateDescriptorSets(vk, &info, &frame.tileSet), "failed to allocate descriptor sets!");
        frame.tileSetStale = true;
    }
}

void TilesRenderer::useSwapChain(const OrvSwapChain& swapChain) {
    const VkFormat format = swapChain.getImageFormat();
    const bool bgra = format == VK_FORMAT_B8G8R8A8_UNORM;
    if (!bgra && format != VK_FORMAT_R8G8B8A8_UNORM) {
        throw std::runtime_error("the tiles renderer needs swap chain images of 8-bit unsigned normalised "
                                 "colour (format " + std::to_string(format) + " was chosen); set QEL_RENDERER=raster");
    }
    blueFirst = bgra;
    const VkExtent2D extent = swapChain.getSwapChainExtent();
    if (output.reserve(static_cast<VkDeviceSize>(extent.width) * extent.height * sizeof(uint32_t))) {
        ++outputGeneration;
    }
    // The shader files of the graphics pipeline are read and checked at every rebuild, as the
    // raster renderer does, so a missing or broken one is reported alike, and first.
    OrvPipeline::checkShaderFiles(device, dataDirectory, "tri-vert.spv", "tri-frag.spv");
    if (passPipelines[0] == VK_NULL_HANDLE) {
        createComputePipelines();
    }
}

uint32_t TilesRenderer::packRgba(const Color& color) {
    return static_cast<uint32_t>(toUnorm8(color[0])) | static_cast<uint32_t>(toUnorm8(color[1])) << 8 |
           static_cast<uint32_t>(toUnorm8(color[2])) << 16 | 0xFF000000u;
}

uint32_t TilesRenderer::toTarget(uint32_t rgba) const {
    return blueFirst ? (rgba & 0xFF00FF00u) | (rgba & 0xFFu) << 16 | ((rgba >> 16) & 0xFFu) : rgba;
}

void TilesRenderer::writeShapes(FrameData& frame, Scene& scene, VkExtent2D extent) {
    const std::vector<uint32_t>& order = scene.drawOrder();
    const size_t most = order.size() + scene.glyphCount();
    frame.tileSetStale |= frame.shapes.reserve(std::max<VkDeviceSize>(most, 1) * sizeof(TileShape));
    auto* shapes = static_cast<TileShape*>(frame.shapes.data());
    const float width = static_cast<float>(extent.width);
    const float height = static_cast<float>(extent.height);

    binner.begin(extent.width, extent.height);
    uint32_t count = 0;
    // Clips the shape's box to the frame and adds the shape; nothing when it shows nowhere.
    // `opaque`: where the shape paints every pixel centre fully opaque, if anywhere. Unless it
    // is the box itself (whose pixels are exactly those drawn), a pixel is trimmed off each
    // side against rounding.
    const auto add = [&](const TileShape& shape, const Box& box, uint32_t kind, const Box* opaque = nullptr,
                         TileBinner::Pass pass = TileBinner::Pass::Opaque) {
        TileBinner::Pixels reach{};
        if (!finite(box) || !pixelRange(box.left, box.right, extent.width, reach.x0, reach.x1) ||
            !pixelRange(box.top, box.bottom, extent.height, reach.y0, reach.y1)) {
            return;
        }
        shapes[count++] = shape;
        TileBinner::Pixels cover{1, 1, 0, 0};  // none
        if (opaque == &box) {
            cover = reach;
        } else if (opaque != nullptr && finite(*opaque) &&
            pixelRange(opaque->left, opaque->right, extent.width, cover.x0, cover.x1) &&
            pixelRange(opaque->top, opaque->bottom, extent.height, cover.y0, cover.y1)) {
            cover = cover.x1 == 0 || cover.y1 == 0
                        ? TileBinner::Pixels{1, 1, 0, 0}
                        : TileBinner::Pixels{cover.x0 + 1, cover.y0 + 1, cover.x1 - 1, cover.y1 - 1};
            cover = {std::max(cover.x0, reach.x0), std::max(cover.y0, reach.y0), std::min(cover.x1, reach.x1),
                     std::min(cover.y1, reach.y1)};
        }
        binner.add(reach, kind, pass, &cover);
    };

    for (uint32_t slot : order) {
        const GameObject& object = scene.at(slot);
        TileShape shape{};
        shape.color = packRgba(object.color);
        switch (object.kind) {
            case ObjectKind::Triangle: {
                const auto v = trianglePixels(object, width, height);
                const float area = (v[1][0] - v[0][0]) * (v[2][1] - v[0][1]) - (v[1][1] - v[0][1]) * (v[2][0] - v[0][0]);
                if (!(area != 0.0f)) {
                    break;
                }
                shape.p[0] = v[0][0];
                shape.p[1] = v[0][1];
                shape.p[2] = v[1][0];
                shape.p[3] = v[1][1];
                shape.q[0] = v[2][0];
                shape.q[1] = v[2][1];
                add(shape,
                    {std::min({v[0][0], v[1][0], v[2][0]}), std::min({v[0][1], v[1][1], v[2][1]}),
                     std::max({v[0][0], v[1][0], v[2][0]}), std::max({v[0][1], v[1][1], v[2][1]})},
                    kTriangle);
                break;
            }
            case ObjectKind::Rectangle:
            case ObjectKind::Circle: {
                const QuadCorners c = cornersOf(object);
                const Box box{std::min(c.left, c.right), std::min(c.top, c.bottom), std::max(c.left, c.right),
                              std::max(c.top, c.bottom)};
                if (object.kind == ObjectKind::Rectangle) {
                    add(shape, box, kRectangle, &box);
                    break;
                }
                // No point is inside a circle of negative (or NaN) radius.
                if (!(object.radius() > 0.0)) {
                    break;
                }
                // Where the pixel lies in the square, -1 to 1 across, as interpolated over it.
                shape.p[0] = c.left;
                shape.p[1] = c.top;
                shape.p[2] = 2.0f / (c.right - c.left);
                shape.p[3] = 2.0f / (c.bottom - c.top);
                // The square inside the disc hides what is below.
                const float cx = (box.left + box.right) * 0.5f;
                const float cy = (box.top + box.bottom) * 0.5f;
                const float hx = (box.right - box.left) * 0.35f;  // a little under half of 1 / sqrt(2)
                const float hy = (box.bottom - box.top) * 0.35f;
                const Box inside{cx - hx, cy - hy, cx + hx, cy + hy};
                add(shape, box, kCircle, &inside);
                break;
            }
            case ObjectKind::Sprite: {
                const float w = static_cast<float>(object.sizeX);
                const float h = static_cast<float>(object.sizeY);
                if (!(w > 0.0f) || !(h > 0.0f)) {
                    break;
                }
                const AtlasRect& r = object.picture;
                const bool ownSize = w == static_cast<float>(r.width) && h == static_cast<float>(r.height);
                const float x = pictureCorner(static_cast<float>(object.x), ownSize);
                const float y = pictureCorner(static_cast<float>(object.y), ownSize);
                shape.p[0] = x;
                shape.p[1] = y;
                shape.p[2] = static_cast<float>(r.width) / w;
                shape.p[3] = static_cast<float>(r.height) / h;
                shape.q[0] = static_cast<float>(r.x);
                shape.q[1] = static_cast<float>(r.y);
                shape.q[2] = static_cast<float>(r.width);
                shape.q[3] = static_cast<float>(r.height);
                const Box box = boxOf(x, y, w, h);
                const Box hidden = opaquePart(object, box, shape.p[2], shape.p[3]);
                add(shape, box, kSprite, &hidden, ownSize ? TileBinner::Pass::Blended : TileBinner::Pass::Filtered);
                break;
            }
            case ObjectKind::Text: {
                const TextLayout* layout = scene.text(object.id);
                if (layout == nullptr) {
                    break;
                }
                for (const GlyphQuad& glyph : layout->glyphs) {
                    const float x = pictureCorner(static_cast<float>(object.x) + glyph.x, true);
                    const float y = pictureCorner(static_cast<float>(object.y) + glyph.y, true);
                    const AtlasRect& r = glyph.rect;
                    shape.p[0] = x;
                    shape.p[1] = y;
                    shape.p[2] = 1.0f;
                    shape.p[3] = 1.0f;
                    shape.q[0] = static_cast<float>(r.x);
                    shape.q[1] = static_cast<float>(r.y);
                    shape.q[2] = static_cast<float>(r.width);
                    shape.q[3] = static_cast<float>(r.height);
                    add(shape, boxOf(x, y, static_cast<float>(r.width), static_cast<float>(r.height)), kGlyph, nullptr,
                        TileBinner::Pass::Blended);
                }
                break;
            }
        }
    }

    const uint32_t entries = binner.finish();
    frame.tileSetStale |=
        frame.tileRanges.reserve(static_cast<VkDeviceSize>(binner.tileCount()) * sizeof(TileBinner::Range));
    frame.tileSetStale |= frame.tileLists.reserve(std::max<VkDeviceSize>(entries, 1) * sizeof(TileBinner::Entry));
    tilesDrawn = binner.write(static_cast<TileBinner::Range*>(frame.tileRanges.data()),
                              static_cast<TileBinner::Entry*>(frame.tileLists.data()));
}

void TilesRenderer::updateDescriptorSet(FrameData& frame) {
    const VkDescriptorBufferInfo buffers[4] = {
        {output.handle(), 0, VK_WHOLE_SIZE},
        {frame.shapes.handle(), 0, VK_WHOLE_SIZE},
        {frame.tileRanges.handle(), 0, VK_WHOLE_SIZE},
        {frame.tileLists.handle(), 0, VK_WHOLE_SIZE},
    };
    const VkDescriptorImageInfo picture{atlas.sampler(), atlas.view(), VK_IMAGE_LAYOUT_GENERAL};
    VkWriteDescriptorSet writes[kBindings]{};
    for (uint32_t i = 0; i < kBindings; ++i) {
        writes[i].sType = VK_STRUCTURE_TYPE_WRITE_DESCRIPTOR_SET;
        writes[i].dstSet = frame.tileSet;
        writes[i].dstBinding = i;
        writes[i].descriptorCount = 1;
        if (i == 4) {
            writes[i].descriptorType = VK_DESCRIPTOR_TYPE_COMBINED_IMAGE_SAMPLER;
            writes[i].pImageInfo = &picture;
        } else {
            writes[i].descriptorType = VK_DESCRIPTOR_TYPE_STORAGE_BUFFER;
            writes[i].pBufferInfo = &buffers[i];
        }
    }
    vkUpdateDescriptorSets(device.getDevice(), kBindings, writes, 0, nullptr);
    frame.tileSetStale = false;
    frame.tileSetOutput = outputGeneration;
    frame.tileSetAtlas = atlas.generation();
}

void TilesRenderer::prepare(FrameData& frame, const OrvSwapChain& swapChain, Scene& scene) {
    writeShapes(frame, scene, swapChain.getSwapChainExtent());
    if (frame.tileSetStale || frame.tileSetOutput != outputGeneration || frame.tileSetAtlas != atlas.generation()) {
        updateDescriptorSet(frame);
    }
}

void TilesRenderer::record(FrameData& frame, const OrvSwapChain& swapChain, uint32_t imageIndex, const Scene&) {
    const VkExtent2D extent = swapChain.getSwapChainExtent();
    const VkCommandBuffer commandBuffer = frame.commandBuffer;
    const VkImage image = swapChain.getImage(imageIndex);

    // The previous frame's copy out of the pixel buffer comes before this frame writes it.
    VkBufferMemoryBarrier reuse{};
    reuse.sType = VK_STRUCTURE_TYPE_BUFFER_MEMORY_BARRIER;
    reuse.srcAccessMask = 0;
    reuse.dstAccessMask = VK_ACCESS_SHADER_WRITE_BIT | VK_ACCESS_TRANSFER_WRITE_BIT;
    reuse.srcQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    reuse.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    reuse.buffer = output.handle();
    reuse.size = VK_WHOLE_SIZE;
    vkCmdPipelineBarrier(commandBuffer, VK_PIPELINE_STAGE_TRANSFER_BIT,
                         VK_PIPELINE_STAGE_TRANSFER_BIT | VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT, 0, 0, nullptr, 1, &reuse,
                         0, nullptr);

    FramePush push{{extent.width, extent.height}, packRgba({0.01f, 0.01f, 0.01f}), blueFirst ? 1u : 0u, 0};
    if (tilesDrawn.total() < binner.tileCount()) {
        // Tiles no shape reaches are only cleared; the passes draw the others.
        vkCmdFillBuffer(commandBuffer, output.handle(), 0, VK_WHOLE_SIZE, toTarget(push.clearColor));
        VkBufferMemoryBarrier filled = reuse;
        filled.srcAccessMask = VK_ACCESS_TRANSFER_WRITE_BIT;
        filled.dstAccessMask = VK_ACCESS_SHADER_WRITE_BIT;
        vkCmdPipelineBarrier(commandBuffer, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT, 0,
                             0, nullptr, 1, &filled, 0, nullptr);
    }
    if (tilesDrawn.total() != 0) {
        vkCmdBindDescriptorSets(commandBuffer, VK_PIPELINE_BIND_POINT_COMPUTE, pipelineLayout, 0, 1, &frame.tileSet,
                                0, nullptr);
    }
    const std::pair<VkPipeline, uint32_t> passes[3] = {{passPipelines[0], tilesDrawn.opaque},
                                                       {passPipelines[1], tilesDrawn.blended},
                                                       {passPipelines[2], tilesDrawn.filtered}};
    for (const auto& [pipeline, tiles] : passes) {
        if (tiles != 0) {
            vkCmdBindPipeline(commandBuffer, VK_PIPELINE_BIND_POINT_COMPUTE, pipeline);
            vkCmdPushConstants(commandBuffer, pipelineLayout, VK_SHADER_STAGE_COMPUTE_BIT, 0, sizeof(push), &push);
            vkCmdDispatch(commandBuffer, tiles, 1, 1);
        }
        push.firstRange += tiles;
    }

    // The pixels are written before they are copied; the image, whatever it held, becomes
    // the copy's destination once the acquire semaphore (waited at the transfer stage) says so.
    VkBufferMemoryBarrier written = reuse;
    written.srcAccessMask = VK_ACCESS_SHADER_WRITE_BIT | VK_ACCESS_TRANSFER_WRITE_BIT;
    written.dstAccessMask = VK_ACCESS_TRANSFER_READ_BIT;
    VkImageMemoryBarrier toCopy{};
    toCopy.sType = VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER;
    toCopy.srcAccessMask = 0;
    toCopy.dstAccessMask = VK_ACCESS_TRANSFER_WRITE_BIT;
    toCopy.oldLayout = VK_IMAGE_LAYOUT_UNDEFINED;
    toCopy.newLayout = VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL;
    toCopy.srcQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    toCopy.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    toCopy.image = image;
    toCopy.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
    vkCmdPipelineBarrier(commandBuffer, VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT | VK_PIPELINE_STAGE_TRANSFER_BIT,
                         VK_PIPELINE_STAGE_TRANSFER_BIT, 0, 0, nullptr, 1, &written, 1, &toCopy);

    VkBufferImageCopy region{};
    region.imageSubresource = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
    region.imageExtent = {extent.width, extent.height, 1};
    vkCmdCopyBufferToImage(commandBuffer, output.handle(), image, VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL, 1, &region);

    VkImageMemoryBarrier toPresent = toCopy;
    toPresent.srcAccessMask = VK_ACCESS_TRANSFER_WRITE_BIT;
    toPresent.dstAccessMask = 0;
    toPresent.oldLayout = VK_IMAGE_LAYOUT_TRANSFER_DST_OPTIMAL;
    toPresent.newLayout = VK_IMAGE_LAYOUT_PRESENT_SRC_KHR;
    vkCmdPipelineBarrier(commandBuffer, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_PIPELINE_STAGE_BOTTOM_OF_PIPE_BIT, 0, 0,
                         nullptr, 0, nullptr, 1, &toPresent);
}

void TilesRenderer::readFrame(FrameData&, const OrvSwapChain& swapChain, OrvQueue&, uint8_t* rgba) {
    // The pixel buffer holds the last frame drawn until the next one is drawn.
    copyAsRgba(static_cast<const uint8_t*>(output.data()), swapChain.getSwapChainExtent(), swapChain.getImageFormat(),
               rgba);
}

}  // namespace orv
