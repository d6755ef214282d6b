#pragma once
// One texture holding every picture and glyph the scene draws, so both renderers sample a
// single image. New pictures are placed by the packer and their texels uploaded at the start
// of the next frame; a full sheet first takes back the places nothing shows (the reclaimer
// says which), then is replaced by one twice as large, its content copied.
// The image stays in the general layout, read by shaders and written by copies.

#include <vulkan/vulkan.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "render/alpha_mask.hpp"
#include "render/atlas_packer.hpp"
#include "vulkan/device_image.hpp"
#include "vulkan/frame_ring.hpp"
#include "vulkan/host_buffer.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/orv_queue.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

class TextureAtlas {
public:
    TextureAtlas(OrvDevice& device, OrvQueue& queue);

    TextureAtlas(const TextureAtlas&) = delete;
    TextureAtlas& operator=(const TextureAtlas&) = delete;

    // Places a picture of RGBA texels and queues its upload. When the sheet is full, the
    // reclaimer is asked to give back places nothing shows; failing that the sheet is
    // replaced by a larger one (waiting for the device); beyond the device's largest image
    // it throws.
    AtlasRect add(uint32_t width, uint32_t height, const uint8_t* rgba);
    // Gives a place back for later pictures. Frames already submitted may still read it:
    // the texels of its next picture are written by a later frame, after their reads.
    void release(const AtlasRect& rect);
    // Called when the sheet is full; true when it gave back any place.
    void setReclaimer(std::function<bool()> reclaim) { reclaimer = std::move(reclaim); }
    // Called first by add and release: a frame may be finishing on another thread with the
    // atlas's queued uploads and sheet, and must be done before they change.
    void setBeforeChange(std::function<void()> settle) { beforeChange = std::move(settle); }

    // Before the commands of the frame in `slot` (whose previous submission is done): copies
    // the queued texels into the slot's staging buffer and plans their copies. May throw;
    // nothing is recorded yet. They stay queued until `uploaded` says the frame carrying them
    // was submitted.
    void stage(size_t slot);
    void uploaded();
    // Whether texels wait for a frame to carry them.
    bool hasQueuedUploads() const { return !pending.empty(); }
    // Records the slot's staged copies (none: nothing) with the barriers around them.
    void recordUploads(VkCommandBuffer commandBuffer, size_t slot) const;

    // How many pictures and glyphs were placed and queued for upload, ever.
    uint64_t uploadsQueued() const { return added; }
    // Which texels are opaque, for collisions by a picture's shape: set when a picture is
    // placed; a released place keeps its bits until the next picture there.
    const AlphaMask& alpha() const { return alphaMask; }

    // The device's largest image side: no picture may be larger.
    uint32_t largestSide() const { return maxSide; }

    VkImageView view() const { return sheet.view(); }
    VkSampler sampler() const { return nearest; }
    // Changes when the image is replaced, so descriptors naming it are written again.
    uint64_t generation() const { return replaced; }

private:
    // A frame slot's texels on their way into the sheet, and where each goes.
    struct Upload {
        explicit Upload(OrvDevice& device);
        HostBuffer staging;
        std::vector<VkBufferImageCopy> copies;
    };

    UniqueDeviceImage createSheet(uint32_t side);
    void growTo(uint32_t side);

    OrvDevice& device;
    OrvQueue& queue;
    uint32_t maxSide;
    AtlasPacker packer;
    AlphaMask alphaMask;
    UniqueDeviceImage sheet;
    VkHandle<VkSampler> nearest;
    uint64_t replaced = 1;
    std::function<bool()> reclaimer;
    std::function<void()> beforeChange;
    // Queued uploads: where each goes, and its texels in `pendingTexels`.
    std::vector<AtlasRect> pending;
    std::vector<uint8_t> pendingTexels;
    std::array<std::unique_ptr<Upload>, MAX_FRAMES_IN_FLIGHT> uploads;
    size_t staged = 0;
    size_t stagedTexels = 0;
    uint64_t added = 0;
};

}  // namespace orv
