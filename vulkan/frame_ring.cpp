#include "vulkan/frame_ring.hpp"

#include "vulkan/vk_check.hpp"

namespace orv {

FrameData::FrameData(OrvDevice& device)
    : atlasStaging{device, VK_BUFFER_USAGE_TRANSFER_SRC_BIT, "texture upload"} {}

FrameRing::FrameRing(OrvDevice& d) : device{d} {
    try {
        for (auto& slotData : frames) {
            slotData = std::make_unique<FrameData>(device);
            FrameData& frame = *slotData;
            createSync(frame);
            VkCommandBufferAllocateInfo info{};
            info.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO;
            info.level = VK_COMMAND_BUFFER_LEVEL_PRIMARY;
            info.commandPool = device.getCommandPool();
            info.commandBufferCount = 1;
            vkCheck(vkAllocateCommandBuffers(device.getDevice(), &info, &frame.commandBuffer),
                    "failed to allocate command buffers!");
        }
    } catch (...) {
        release();
        throw;
    }
}

FrameRing::~FrameRing() {
    release();
}

void FrameRing::release() noexcept {
    for (auto& slotData : frames) {
        if (!slotData) {
            continue;
        }
        FrameData& frame = *slotData;
        destroySync(frame);
        if (frame.commandBuffer != VK_NULL_HANDLE) {
            vkFreeCommandBuffers(device.getDevice(), device.getCommandPool(), 1, &frame.commandBuffer);
            frame.commandBuffer = VK_NULL_HANDLE;
        }
        slotData.reset();
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
    vkCheck(vkCreateSemaphore(vk, &semaphoreInfo, nullptr, &frame.imageAvailable),
            "failed to create synchronization objects for a frame!");
    vkCheck(vkCreateFence(vk, &fenceInfo, nullptr, &frame.inFlight),
            "failed to create synchronization objects for a frame!");
}

void FrameRing::destroySync(FrameData& frame) noexcept {
    vkDestroySemaphore(device.getDevice(), frame.imageAvailable, nullptr);
    vkDestroyFence(device.getDevice(), frame.inFlight, nullptr);
    frame.imageAvailable = VK_NULL_HANDLE;
    frame.inFlight = VK_NULL_HANDLE;
}

void FrameRing::waitFor(const FrameData& frame) {
    vkCheck(vkWaitForFences(device.getDevice(), 1, &frame.inFlight, VK_TRUE, UINT64_MAX),
            "failed to wait for a frame to finish!");
}

void FrameRing::renew(FrameData& frame) {
    destroySync(frame);
    createSync(frame);
}

}  // namespace orv
