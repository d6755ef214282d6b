#include "render/texture_atlas.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "vulkan/one_time_commands.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

constexpr uint32_t kFirstSide = 512;

VkImageMemoryBarrier generalBarrier(VkImage image, VkAccessFlags from, VkAccessFlags to, VkImageLayout oldLayout) {
    VkImageMemoryBarrier barrier{};
    barrier.sType = VK_STRUCTURE_TYPE_IMAGE_MEMORY_BARRIER;
    barrier.srcAccessMask = from;
    barrier.dstAccessMask = to;
    barrier.oldLayout = oldLayout;
    barrier.newLayout = VK_IMAGE_LAYOUT_GENERAL;
    barrier.srcQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    barrier.dstQueueFamilyIndex = VK_QUEUE_FAMILY_IGNORED;
    barrier.image = image;
    barrier.subresourceRange = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 1, 0, 1};
    return barrier;
}

constexpr VkPipelineStageFlags kReaders = VK_PIPELINE_STAGE_FRAGMENT_SHADER_BIT | VK_PIPELINE_STAGE_COMPUTE_SHADER_BIT;

}  // namespace

TextureAtlas::TextureAtlas(OrvDevice& d, OrvQueue& q) : device{d}, queue{q}, maxSide{0}, packer{kFirstSide} {
    VkPhysicalDeviceProperties properties;
    vkGetPhysicalDeviceProperties(device.getPhysicalDevice(), &properties);
    maxSide = properties.limits.maxImageDimension2D;
    const uint32_t first = std::min(kFirstSide, maxSide);
    packer.grow(first);
    alphaMask.growTo(packer.sideLength());
    VkSamplerCreateInfo samplerInfo{};
    samplerInfo.sType = VK_STRUCTURE_TYPE_SAMPLER_CREATE_INFO;
    samplerInfo.magFilter = VK_FILTER_NEAREST;
    samplerInfo.minFilter = VK_FILTER_NEAREST;
    samplerInfo.addressModeU = VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_EDGE;
    samplerInfo.addressModeV = VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_EDGE;
    samplerInfo.addressModeW = VK_SAMPLER_ADDRESS_MODE_CLAMP_TO_EDGE;
    samplerInfo.maxLod = 0.0f;
    VkSampler sampler = VK_NULL_HANDLE;
    vkCheck(vkCreateSampler(device.getDevice(), &samplerInfo, nullptr, &sampler), "failed to create a sampler!");
    nearest = VkHandle<VkSampler>{device.getDevice(), sampler, vkDestroySampler};
    sheet = createSheet(first);
    OneTimeCommands commands{device, queue};
    const VkImageMemoryBarrier ready =
        generalBarrier(sheet.image(), 0, VK_ACCESS_SHADER_READ_BIT, VK_IMAGE_LAYOUT_UNDEFINED);
    vkCmdPipelineBarrier(commands.buffer(), VK_PIPELINE_STAGE_TOP_OF_PIPE_BIT, kReaders, 0, 0, nullptr, 0, nullptr, 1,
                         &ready);
    commands.run();
}

UniqueDeviceImage TextureAtlas::createSheet(uint32_t side) {
    return UniqueDeviceImage{device, {side, side}, VK_FORMAT_R8G8B8A8_UNORM,
                             VK_IMAGE_USAGE_SAMPLED_BIT | VK_IMAGE_USAGE_STORAGE_BIT | VK_IMAGE_USAGE_TRANSFER_DST_BIT |
                                 VK_IMAGE_USAGE_TRANSFER_SRC_BIT};
}

void TextureAtlas::growTo(uint32_t side) {
    UniqueDeviceImage next = createSheet(side);
    {
        // Whatever is on the sheet now moves to the same place on the larger one.
        OneTimeCommands commands{device, queue};
        const VkImageMemoryBarrier barriers[] = {
            generalBarrier(sheet.image(), VK_ACCESS_TRANSFER_WRITE_BIT, VK_ACCESS_TRANSFER_READ_BIT, VK_IMAGE_LAYOUT_GENERAL),
            generalBarrier(next.image(), 0, VK_ACCESS_TRANSFER_WRITE_BIT, VK_IMAGE_LAYOUT_UNDEFINED)};
        vkCmdPipelineBarrier(commands.buffer(), VK_PIPELINE_STAGE_TRANSFER_BIT | kReaders,
                             VK_PIPELINE_STAGE_TRANSFER_BIT, 0, 0, nullptr, 0, nullptr, 2, barriers);
        VkImageCopy region{};
        region.srcSubresource = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
        region.dstSubresource = region.srcSubresource;
        region.extent = {packer.sideLength(), packer.sideLength(), 1};
        vkCmdCopyImage(commands.buffer(), sheet.image(), VK_IMAGE_LAYOUT_GENERAL, next.image(), VK_IMAGE_LAYOUT_GENERAL, 1, &region);
        const VkImageMemoryBarrier copied =
            generalBarrier(next.image(), VK_ACCESS_TRANSFER_WRITE_BIT, VK_ACCESS_SHADER_READ_BIT | VK_ACCESS_TRANSFER_WRITE_BIT,
                           VK_IMAGE_LAYOUT_GENERAL);
        vkCmdPipelineBarrier(commands.buffer(), VK_PIPELINE_STAGE_TRANSFER_BIT,
                             kReaders | VK_PIPELINE_STAGE_TRANSFER_BIT, 0, 0, nullptr, 0, nullptr, 1, &copied);
        // Its fence also covers every frame submitted before it: none reads the old sheet after.
        commands.run();
    }
    sheet = std::move(next);
    packer.grow(side);
    alphaMask.growTo(side);
    ++replaced;
}

AtlasRect TextureAtlas::add(uint32_t width, uint32_t height, const uint8_t* rgba) {
    if (beforeChange) {
        beforeChange();
    }
    AtlasRect rect;
    while (!packer.place(width, height, rect)) {
        if (reclaimer && reclaimer()) {
            continue;
        }
        const uint32_t side = packer.sideLength();
        if (side >= maxSide) {
            throw std::runtime_error("no room for a " + std::to_string(width) + " by " + std::to_string(height) +
                                     " picture: the texture atlas has reached the device's largest image (" +
                                     std::to_string(maxSide) + " pixels a side)");
        }
        growTo(std::min(side * 2, maxSide));
    }
    alphaMask.set(rect, rgba);
    pending.push_back(rect);
    pendingTexels.insert(pendingTexels.end(), rgba, rgba + static_cast<size_t>(width) * height * 4);
    ++added;
    return rect;
}

void TextureAtlas::release(const AtlasRect& rect) {
    if (beforeChange) {
        beforeChange();
    }
    packer.release(rect);
    // What a failed frame staged is staged again by the next.
    staged = 0;
    stagedTexels = 0;
    // Texels still queued for it would land on its next picture's.
    size_t offset = 0;
    for (size_t i = 0; i < pending.size(); ++i) {
        const size_t bytes = static_cast<size_t>(pending[i].width) * pending[i].height * 4;
        const AtlasRect& queued = pending[i];
        if (queued.x == rect.x && queued.y == rect.y && queued.width == rect.width && queued.height == rect.height) {
            const auto from = pendingTexels.begin() + static_cast<std::ptrdiff_t>(offset);
            pendingTexels.erase(from, from + static_cast<std::ptrdiff_t>(bytes));
            pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
        offset += bytes;
    }
}

TextureAtlas::Upload::Upload(OrvDevice& device) : staging{device, VK_BUFFER_USAGE_TRANSFER_SRC_BIT, "texture upload"} {}

void TextureAtlas::stage(size_t slot) {
    if (!uploads[slot]) {
        uploads[slot] = std::make_unique<Upload>(device);
    }
    HostBuffer& staging = uploads[slot]->staging;
    std::vector<VkBufferImageCopy>& copies = uploads[slot]->copies;
    copies.clear();
    staged = 0;
    stagedTexels = 0;
    if (pending.empty()) {
        return;
    }
    staging.reserve(pendingTexels.size());
    std::memcpy(staging.data(), pendingTexels.data(), pendingTexels.size());
    VkDeviceSize offset = 0;
    for (const AtlasRect& rect : pending) {
        VkBufferImageCopy region{};
        region.bufferOffset = offset;
        region.imageSubresource = {VK_IMAGE_ASPECT_COLOR_BIT, 0, 0, 1};
        region.imageOffset = {static_cast<int32_t>(rect.x), static_cast<int32_t>(rect.y), 0};
        region.imageExtent = {rect.width, rect.height, 1};
        copies.push_back(region);
        offset += static_cast<VkDeviceSize>(rect.width) * rect.height * 4;
    }
    staged = pending.size();
    stagedTexels = pendingTexels.size();
}

void TextureAtlas::uploaded() {
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(staged));
    pendingTexels.erase(pendingTexels.begin(), pendingTexels.begin() + static_cast<std::ptrdiff_t>(stagedTexels));
    staged = 0;
    stagedTexels = 0;
}

void TextureAtlas::recordUploads(VkCommandBuffer commandBuffer, size_t slot) const {
    if (!uploads[slot] || uploads[slot]->copies.empty()) {
        return;
    }
    const HostBuffer& staging = uploads[slot]->staging;
    const std::vector<VkBufferImageCopy>& copies = uploads[slot]->copies;
    // Earlier frames' reads of other places come first; this frame reads what is written.
    const VkImageMemoryBarrier before =
        generalBarrier(sheet.image(), VK_ACCESS_SHADER_READ_BIT, VK_ACCESS_TRANSFER_WRITE_BIT, VK_IMAGE_LAYOUT_GENERAL);
    vkCmdPipelineBarrier(commandBuffer, kReaders | VK_PIPELINE_STAGE_TRANSFER_BIT, VK_PIPELINE_STAGE_TRANSFER_BIT, 0, 0,
                         nullptr, 0, nullptr, 1, &before);
    vkCmdCopyBufferToImage(commandBuffer, staging.handle(), sheet.image(), VK_IMAGE_LAYOUT_GENERAL,
                           static_cast<uint32_t>(copies.size()), copies.data());
    const VkImageMemoryBarrier after =
        generalBarrier(sheet.image(), VK_ACCESS_TRANSFER_WRITE_BIT, VK_ACCESS_SHADER_READ_BIT, VK_IMAGE_LAYOUT_GENERAL);
    vkCmdPipelineBarrier(commandBuffer, VK_PIPELINE_STAGE_TRANSFER_BIT, kReaders, 0, 0, nullptr, 0, nullptr, 1, &after);
}

}  // namespace orv
