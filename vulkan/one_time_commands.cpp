#include "vulkan/one_time_commands.hpp"

#include <limits>

#include "vulkan/vk_check.hpp"

namespace orv {

namespace {
constexpr uint64_t kNoTimeout = std::numeric_limits<uint64_t>::max();
}  // namespace

OneTimeCommands::OneTimeCommands(OrvDevice& d, OrvQueue& q)
    : device{d}, queue{q}, commandBuffer{d.getDevice(), d.getCommandPool()} {
    VkFenceCreateInfo fenceInfo{};
    fenceInfo.sType = VK_STRUCTURE_TYPE_FENCE_CREATE_INFO;
    VkFence fence = VK_NULL_HANDLE;
    vkCheck(vkCreateFence(device.getDevice(), &fenceInfo, nullptr, &fence), "failed to create a fence!");
    done = VkHandle<VkFence>{device.getDevice(), fence, vkDestroyFence};
    VkCommandBufferBeginInfo begin{};
    begin.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO;
    begin.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
    vkCheck(vkBeginCommandBuffer(commandBuffer, &begin), "failed to begin recording command buffer!");
}

OneTimeCommands::~OneTimeCommands() {
    if (pending && !settle()) {
        // Neither the fence nor the device could be waited for: the commands may still read
        // the buffer and the fence, so both are left to the device's end rather than freed.
        commandBuffer.release();
        done.release();
    }
}

bool OneTimeCommands::settle() noexcept {
    VkFence fence = done;
    const VkResult idle = queue.waitIdle();
    // A lost device runs nothing more: what the commands used may be freed.
    if (idle == VK_SUCCESS || idle == VK_ERROR_DEVICE_LOST ||
        vkWaitForFences(device.getDevice(), 1, &fence, VK_TRUE, kNoTimeout) == VK_SUCCESS) {
        pending = false;
    }
    return !pending;
}

void OneTimeCommands::run() {
    vkCheck(vkEndCommandBuffer(commandBuffer), "failed to record command buffer!");
    VkCommandBuffer buffer = commandBuffer;
    VkSubmitInfo submit{};
    submit.sType = VK_STRUCTURE_TYPE_SUBMIT_INFO;
    submit.commandBufferCount = 1;
    submit.pCommandBuffers = &buffer;
    vkCheck(queue.submit(submit, done), "failed to submit draw command buffer!");
    pending = true;
    VkFence fence = done;
    const VkResult waited = vkWaitForFences(device.getDevice(), 1, &fence, VK_TRUE, kNoTimeout);
    if (waited != VK_SUCCESS) {
        // The caller frees what the commands use as this throws (a new atlas sheet, a
        // read-back buffer): they must have finished first.
        settle();
        throw vkError("failed to wait for the device to finish copying!", waited);
    }
    pending = false;
}

}  // namespace orv
