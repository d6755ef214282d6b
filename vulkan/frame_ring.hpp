#pragma once
// What each frame in flight owns, in one record per frame slot: the fence that tells when
// its submission is done, the semaphore its acquired image signals, its command buffer.

#include <vulkan/vulkan.h>

#include <array>
#include <cstddef>

#include "vulkan/orv_device.hpp"

namespace orv {

struct FrameData {
    VkFence inFlight = VK_NULL_HANDLE;
    VkSemaphore imageAvailable = VK_NULL_HANDLE;
    VkCommandBuffer commandBuffer = VK_NULL_HANDLE;
};

class FrameRing {
public:
    static constexpr size_t kFrames = 2;

    explicit FrameRing(OrvDevice& device);
    ~FrameRing();

    FrameRing(const FrameRing&) = delete;
    FrameRing& operator=(const FrameRing&) = delete;

    FrameData& current() { return frames[index]; }
    FrameData& slot(size_t i) { return frames[i]; }
    size_t currentIndex() const { return index; }
    void advance() { index = (index + 1) % kFrames; }

    // A frame whose submit failed has a reset fence that nothing will signal and possibly a
    // signalled semaphore that nothing will wait on: give it fresh ones. The device must be idle.
    void renew(FrameData& frame);

private:
    void createSync(FrameData& frame);
    void destroySync(FrameData& frame) noexcept;
    void release() noexcept;

    OrvDevice& device;
    std::array<FrameData, kFrames> frames{};
    size_t index = 0;
};

}  // namespace orv
