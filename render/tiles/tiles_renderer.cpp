#include "render/tiles/tiles_renderer.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string>

#include "render/frame_pixels.hpp"
#include "render/raster/solid_pipeline.hpp"
#include "vulkan/pipeline_layout.hpp"
#include "vulkan/shader_file.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

constexpr uint32_t kBindings = kTilesBindingCount;

struct FramePush {
    QEL_TILES_PUSH_FIELDS
};

static_assert(sizeof(FramePush) == kTilesPushSize, "the push block is shared with the shader");
static_assert(offsetof(FramePush, size) == kTilesPushOffsetSize, "push block layout");
static_assert(offsetof(FramePush, clearColor) == kTilesPushOffsetClearColor, "push block layout");
static_assert(offsetof(FramePush, blueFirst) == kTilesPushOffsetBlueFirst, "push block layout");
static_assert(offsetof(FramePush, firstRange) == kTilesPushOffsetFirstRange, "push block layout");
static_assert(TileBinner::kTile == kTileSize, "the binner's tiles are the shader's");

// The pixels are a storage buffer, the primitives, tiles and lists texels, the atlas an image.
VkDescriptorType bindingType(uint32_t binding) {
    return binding == kTilesAtlasBinding    ? VK_DESCRIPTOR_TYPE_STORAGE_IMAGE
           : binding == kTilesPixelsBinding ? VK_DESCRIPTOR_TYPE_STORAGE_BUFFER
                                            : VK_DESCRIPTOR_TYPE_UNIFORM_TEXEL_BUFFER;
}

// The texel buffers' bindings, in the order of Slot::views.
constexpr uint32_t kTexelBindings[3] = {kTilesShapesBinding, kTilesRangesBinding, kTilesListsBinding};

// The pass a primitive's tiles need: pictures blend, smooth scaled ones are filtered too, and only
// the filtering pass tests the sides of a turned quad or the corners of a rounded box.
TileBinner::Pass passOf(const Primitive& p) {
    if ((p.kindNumber() == kPrimQuad && !p.has(kFlagAxisAligned)) || p.kindNumber() == kPrimRoundedBox) {
        return TileBinner::Pass::Filtered;
    }
    if (p.has(kFlagTextured)) {
        // The blending pass reads the texel under each pixel centre, unfiltered.
        return p.has(kFlagOneTexelAPixel) || p.has(kFlagNearest) ? TileBinner::Pass::Blended
                                                                   : TileBinner::Pass::Filtered;
    }
    return p.color >> 24 == 0xFFu ? TileBinner::Pass::Opaque : TileBinner::Pass::Blended;
}

}  // namespace

TilesRenderer::Slot::Slot(OrvDevice& device)
    : shapes{device, VK_BUFFER_USAGE_UNIFORM_TEXEL_BUFFER_BIT, "shape"},
      tileRanges{device, VK_BUFFER_USAGE_UNIFORM_TEXEL_BUFFER_BIT, "tile range"},
      tileLists{device, VK_BUFFER_USAGE_UNIFORM_TEXEL_BUFFER_BIT, "tile list"} {}

TilesRenderer::TilesRenderer(OrvDevice& d, std::string directory, const TextureAtlas& a)
    : device{d},
      dataDirectory{std::move(directory)},
      atlas{a},
      output{d, VK_BUFFER_USAGE_STORAGE_BUFFER_BIT | VK_BUFFER_USAGE_TRANSFER_SRC_BIT | VK_BUFFER_USAGE_TRANSFER_DST_BIT,
             "frame pixel"} {
    VkPhysicalDeviceProperties properties;
    vkGetPhysicalDeviceProperties(device.getPhysicalDevice(), &properties);
    maxWorkGroups = properties.limits.maxComputeWorkGroupCount[0];
    maxTexels = properties.limits.maxTexelBufferElements;
    createLayouts();
    createDescriptorSets();
}

void TilesRenderer::createLayouts() {
    VkDevice vk = device.getDevice();
    VkDescriptorSetLayoutBinding bindings[kBindings]{};
    for (uint32_t i = 0; i < kBindings; ++i) {
        bindings[i] = {i, bindingType(i), 1, VK_SHADER_STAGE_COMPUTE_BIT, nullptr};
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
    pipelineLayout = createPipelineLayout(vk, madeSetLayout, range);
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

void TilesRenderer::createDescriptorSets() {
    VkDevice vk = device.getDevice();
    const VkDescriptorPoolSize sizes[] = {
        {VK_DESCRIPTOR_TYPE_STORAGE_BUFFER, static_cast<uint32_t>(MAX_FRAMES_IN_FLIGHT)},
        {VK_DESCRIPTOR_TYPE_UNIFORM_TEXEL_BUFFER, static_cast<uint32_t>(3 * MAX_FRAMES_IN_FLIGHT)},
        {VK_DESCRIPTOR_TYPE_STORAGE_IMAGE, static_cast<uint32_t>(MAX_FRAMES_IN_FLIGHT)}};
    VkDescriptorPoolCreateInfo poolInfo{};
    poolInfo.sType = VK_STRUCTURE_TYPE_DESCRIPTOR_POOL_CREATE_INFO;
    poolInfo.maxSets = MAX_FRAMES_IN_FLIGHT;
    poolInfo.poolSizeCount = 3;
    poolInfo.pPoolSizes = sizes;
    VkDescriptorPool madePool = VK_NULL_HANDLE;
    vkCheck(vkCreateDescriptorPool(vk, &poolInfo, nullptr, &madePool), "failed to create descriptor pool!");
    pool = VkHandle<VkDescriptorPool>{vk, madePool, vkDestroyDescriptorPool};
    const VkDescriptorSetLayout layout = setLayout;
    for (auto& slot : slots) {
        slot = std::make_unique<Slot>(device);
        VkDescriptorSetAllocateInfo info{};
        info.sType = VK_STRUCTURE_TYPE_DESCRIPTOR_SET_ALLOCATE_INFO;
        info.descriptorPool = madePool;
        info.descriptorSetCount = 1;
        info.pSetLayouts = &layout;
        vkCheck(vkAllocateDescriptorSets(vk, &info, &slot->set), "failed to allocate descriptor sets!");
    }
}

void TilesRenderer::useTarget(const RenderTarget& target) {
    const VkFormat format = target.imageFormat();
    const bool bgra = format == VK_FORMAT_B8G8R8A8_UNORM;
    if (!bgra && format != VK_FORMAT_R8G8B8A8_UNORM) {
        throw std::runtime_error("the tiles renderer needs swap chain images of 8-bit unsigned normalised "
                                 "colour (format " + std::to_string(format) + " was chosen); set QEL_RENDERER=raster");
    }
    blueFirst = bgra;
    const VkExtent2D extent = target.imageExtent();
    if (output.reserve(static_cast<VkDeviceSize>(extent.width) * extent.height * sizeof(uint32_t))) {
        ++outputGeneration;
    }
    // The shader files of the graphics pipeline are read and checked at every rebuild, as the
    // raster renderer does, so a missing or broken one is reported alike, and first.
    SolidPipeline::checkShaderFiles(device, dataDirectory);
    if (passPipelines[0] == VK_NULL_HANDLE) {
        createComputePipelines();
    }
}

uint32_t TilesRenderer::toTarget(uint32_t rgba) const {
    return blueFirst ? (rgba & 0xFF00FF00u) | (rgba & 0xFFu) << 16 | ((rgba >> 16) & 0xFFu) : rgba;
}

void TilesRenderer::writeShapes(Slot& slot, const DrawList& list) {
    const size_t count = list.size();
    slot.setStale |= slot.shapes.reserve(std::max<VkDeviceSize>(count, 1) * sizeof(Primitive));
    if (count != 0) {
        std::memcpy(slot.shapes.data(), list.primitives.data(), count * sizeof(Primitive));
    }
    binner.begin(list.width, list.height);
    for (uint32_t i = 0; i < count; ++i) {
        const Primitive& p = list.primitives[i];
        TileBinner::Pixels reach{};
        if (!pixelsOf(boundsOf(p), list.width, list.height, reach)) {
            continue;
        }
        if (p.has(kFlagOneTexelAPixel) && list.shown[i].left <= list.shown[i].right) {
            // A picture's transparent margins need no tiles: each pixel there reads a texel
            // with no alpha, which adds nothing.
            TileBinner::Pixels shown{};
            if (!pixelsOf(list.shown[i], list.width, list.height, shown)) {
                continue;
            }
            reach = {std::max(reach.x0, shown.x0), std::max(reach.y0, shown.y0), std::min(reach.x1, shown.x1),
                     std::min(reach.y1, shown.y1)};
            if (reach.empty()) {
                continue;
            }
        }
        const TileBinner::Pass pass = passOf(p);
        TileBinner::Pixels cover{1, 1, 0, 0};  // none
        if (!p.has(kFlagTextured) && p.color >> 24 == 0xFFu) {
            // An axis-aligned solid quad covers exactly its box's pixels; other areas may
            // have been rounded otherwise than the pixels, so one is trimmed off each side.
            cover = p.kindNumber() == kPrimQuad && p.has(kFlagAxisAligned)
                        ? reach
                        : surelyCovered(list.opaque[i], list.width, list.height, reach);
        } else if (p.has(kFlagTextured)) {
            cover = surelyCovered(list.opaque[i], list.width, list.height, reach);
        }
        binner.add(i, reach, p.kind, pass, &cover);
    }
    const uint32_t entries = binner.finish();
    // The shader sees the buffers through texel views, which may show only so many texels.
    const uint64_t texels[] = {uint64_t{count} * (sizeof(Primitive) / 16), binner.tileCount(), entries};
    if (*std::max_element(std::begin(texels), std::end(texels)) > maxTexels) {
        throw std::runtime_error("the tiles renderer cannot draw this frame: " + std::to_string(count) +
                                 " primitives need buffer views of more texels than this device allows (" +
                                 std::to_string(maxTexels) + "); set QEL_RENDERER=raster");
    }
    slot.setStale |= slot.tileRanges.reserve(static_cast<VkDeviceSize>(binner.tileCount()) * sizeof(TileBinner::Range));
    slot.setStale |= slot.tileLists.reserve(std::max<VkDeviceSize>(entries, 1) * sizeof(TileBinner::Entry));
    tilesDrawn = binner.write(static_cast<TileBinner::Range*>(slot.tileRanges.data()),
                              static_cast<TileBinner::Entry*>(slot.tileLists.data()));
    clearColor = list.clearColor;
}

void TilesRenderer::updateDescriptorSet(Slot& slot) {
    VkDevice vk = device.getDevice();
    const VkDescriptorBufferInfo pixels{output.handle(), 0, VK_WHOLE_SIZE};
    const HostBuffer* texelBuffers[3] = {&slot.shapes, &slot.tileRanges, &slot.tileLists};
    const VkFormat formats[3] = {VK_FORMAT_R32G32B32A32_UINT, VK_FORMAT_R32G32B32A32_UINT, VK_FORMAT_R32G32_UINT};
    const VkDeviceSize texelBytes[3] = {16, 16, 8};
    VkBufferView views[3];
    for (size_t b = 0; b < 3; ++b) {
        VkBufferViewCreateInfo info{};
        info.sType = VK_STRUCTURE_TYPE_BUFFER_VIEW_CREATE_INFO;
        info.buffer = texelBuffers[b]->handle();
        info.format = formats[b];
        info.range = std::min<VkDeviceSize>(texelBuffers[b]->capacity(), VkDeviceSize{maxTexels} * texelBytes[b]);
        VkBufferView view = VK_NULL_HANDLE;
        vkCheck(vkCreateBufferView(vk, &info, nullptr, &view), "failed to create buffer view!");
        slot.views[b] = VkHandle<VkBufferView>{vk, view, vkDestroyBufferView};
        views[b] = view;
    }
    const VkDescriptorImageInfo picture{VK_NULL_HANDLE, atlas.view(), VK_IMAGE_LAYOUT_GENERAL};
    VkWriteDescriptorSet writes[kBindings]{};
    for (uint32_t i = 0; i < kBindings; ++i) {
        writes[i].sType = VK_STRUCTURE_TYPE_WRITE_DESCRIPTOR_SET;
        writes[i].dstSet = slot.set;
        writes[i].dstBinding = i;
        writes[i].descriptorCount = 1;
        writes[i].descriptorType = bindingType(i);
    }
    writes[kTilesAtlasBinding].pImageInfo = &picture;
    writes[kTilesPixelsBinding].pBufferInfo = &pixels;
    for (size_t b = 0; b < 3; ++b) {
        writes[kTexelBindings[b]].pTexelBufferView = &views[b];
    }
    vkUpdateDescriptorSets(device.getDevice(), kBindings, writes, 0, nullptr);
    slot.setStale = false;
    slot.setOutput = outputGeneration;
    slot.setAtlas = atlas.generation();
}

void TilesRenderer::prepare(size_t slotIndex, const DrawList& list) {
    Slot& slot = *slots[slotIndex];
    writeShapes(slot, list);
    if (slot.setStale || slot.setOutput != outputGeneration || slot.setAtlas != atlas.generation()) {
        updateDescriptorSet(slot);
    }
}

void TilesRenderer::record(VkCommandBuffer commandBuffer, size_t slotIndex, const RenderTarget& target,
                           uint32_t imageIndex) {
    const VkExtent2D extent = target.imageExtent();
    const VkImage image = target.image(imageIndex);
    const Slot& slot = *slots[slotIndex];

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

    FramePush push{{extent.width, extent.height}, clearColor, blueFirst ? 1u : 0u, 0};
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
        vkCmdBindDescriptorSets(commandBuffer, VK_PIPELINE_BIND_POINT_COMPUTE, pipelineLayout, 0, 1, &slot.set,
                                0, nullptr);
    }
    const std::pair<VkPipeline, uint32_t> passes[3] = {{passPipelines[0], tilesDrawn.opaque},
                                                       {passPipelines[1], tilesDrawn.blended},
                                                       {passPipelines[2], tilesDrawn.filtered}};
    for (const auto& [pipeline, tiles] : passes) {
        if (tiles != 0) {
            vkCmdBindPipeline(commandBuffer, VK_PIPELINE_BIND_POINT_COMPUTE, pipeline);
        }
        // A large window has more tiles than one dispatch may count along x.
        for (uint32_t left = tiles; left != 0;) {
            const uint32_t count = std::min(left, maxWorkGroups);
            vkCmdPushConstants(commandBuffer, pipelineLayout, VK_SHADER_STAGE_COMPUTE_BIT, 0, sizeof(push), &push);
            vkCmdDispatch(commandBuffer, count, 1, 1);
            push.firstRange += count;
            left -= count;
        }
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
    toPresent.newLayout = target.finalLayout();
    vkCmdPipelineBarrier(commandBuffer, VK_PIPELINE_STAGE_TRANSFER_BIT, VK_PIPELINE_STAGE_BOTTOM_OF_PIPE_BIT, 0, 0,
                         nullptr, 0, nullptr, 1, &toPresent);
}

void TilesRenderer::readFrame(size_t, const RenderTarget& target, OrvQueue&, uint8_t* rgba) {
    // The pixel buffer holds the last frame drawn until the next one is drawn.
    copyAsRgba(static_cast<const uint8_t*>(output.data()), target.imageExtent(), target.imageFormat(), rgba);
}

}  // namespace orv
