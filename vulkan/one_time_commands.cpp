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
    if (pending) {
        // A failed wait in run(): try once more, as a lost device returns at once.
        VkFence fence = done;
        vkWaitForFences(device.getDevice(), 1, &fence, VK_TRUE, kNoTimeout);
    }
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
    vkCheck(vkWaitForFences(device.getDevice(), 1, &fence, VK_TRUE, kNoTimeout), "failed to wait for a frame to finish!");
    pending = false;
}

}  // namespace orv
