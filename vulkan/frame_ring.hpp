#pragma once
// What each frame in flight owns, in one record per frame slot: the fence that tells when
// its submission is done, the semaphore its acquired image signals, and its command buffer.
// The renderers and the atlas keep their own uploads per slot, by the slot's index; nothing
// of a slot changes until its fence says the frame that last used it is done.

#include <vulkan/vulkan.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

// Frames the host may record while the device still runs earlier ones.
constexpr size_t MAX_FRAMES_IN_FLIGHT = 2;

struct FrameData {
    VkHandle<VkFence> inFlight;
    VkHandle<VkSemaphore> imageAvailable;
    CommandBufferHandle commandBuffer;
};

class FrameRing {
public:
    explicit FrameRing(OrvDevice& device);

    FrameRing(const FrameRing&) = delete;
    FrameRing& operator=(const FrameRing&) = delete;

    FrameData& current() { return *frames[index]; }
    FrameData& slot(size_t i) { return *frames[i]; }
    size_t currentIndex() const { return index; }
    void advance() { index = (index + 1) % MAX_FRAMES_IN_FLIGHT; }

    // Waits until the frame's previous submission is done: its command buffer and uploads
    // are then free.
    void waitFor(const FrameData& frame);

    // A frame whose submit failed has a reset fence that nothing will signal and possibly a
    // signalled semaphore that nothing will wait on: give it fresh ones. The device must be idle.
    void renew(FrameData& frame);

private:
    void createSync(FrameData& frame);

    OrvDevice& device;
    std::unique_ptr<FrameData> frames[MAX_FRAMES_IN_FLIGHT];
    size_t index = 0;
};

}  // namespace orv
