#include "vulkan/frame_ring.hpp"

#include "vulkan/vk_check.hpp"

namespace orv {

FrameRing::FrameRing(OrvDevice& d) : device{d} {
    for (auto& slotData : frames) {
        slotData = std::make_unique<FrameData>();
        createSync(*slotData);
        slotData->commandBuffer = CommandBufferHandle{device.getDevice(), device.getCommandPool()};
    }
}

void FrameRing::createSync(FrameData& frame) {
    VkSemaphoreCreateInfo semaphoreInfo{};
    semaphoreInfo.sType = VK_STRUCTURE_TYPE_SEMAPHORE_CREATE_INFO;
    VkFenceCreateInfo fenceInfo{};
    fenceInfo.sType = VK_STRUCTURE_TYPE_FENCE_CREATE_INFO;
    // Signalled, so the first wait on a frame returns at once.
    fenceInfo.flags = VK_FENCE_CREATE_SIGNALED_BIT;
    VkDevice vk = device.getDevice();
    VkSemaphore semaphore = VK_NULL_HANDLE;
    vkCheck(vkCreateSemaphore(vk, &semaphoreInfo, nullptr, &semaphore),
            "failed to create synchronization objects for a frame!");
    frame.imageAvailable = VkHandle<VkSemaphore>{vk, semaphore, vkDestroySemaphore};
    VkFence fence = VK_NULL_HANDLE;
    vkCheck(vkCreateFence(vk, &fenceInfo, nullptr, &fence), "failed to create synchronization objects for a frame!");
    frame.inFlight = VkHandle<VkFence>{vk, fence, vkDestroyFence};
}

void FrameRing::waitFor(const FrameData& frame) {
    const VkFence fence = frame.inFlight;
    vkCheck(vkWaitForFences(device.getDevice(), 1, &fence, VK_TRUE, UINT64_MAX),
            "failed to wait for a frame to finish!");
}

void FrameRing::renew(FrameData& frame) {
    frame.imageAvailable.reset();
    frame.inFlight.reset();
    createSync(frame);
}

}  // namespace orv
