#include "vulkan/one_time_commands.hpp"

#include <limits>

#include "vulkan/vk_check.hpp"

namespace orv {

OneTimeCommands::OneTimeCommands(OrvDevice& d, OrvQueue& q) : device{d}, queue{q} {
    VkCommandBufferAllocateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO;
    info.level = VK_COMMAND_BUFFER_LEVEL_PRIMARY;
    info.commandPool = device.getCommandPool();
    info.commandBufferCount = 1;
    vkCheck(vkAllocateCommandBuffers(device.getDevice(), &info, &commandBuffer), "failed to allocate command buffers!");
    try {
        VkFenceCreateInfo fenceInfo{};
        fenceInfo.sType = VK_STRUCTURE_TYPE_FENCE_CREATE_INFO;
        vkCheck(vkCreateFence(device.getDevice(), &fenceInfo, nullptr, &done), "failed to create a fence!");
        VkCommandBufferBeginInfo begin{};
        begin.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO;
        begin.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
        vkCheck(vkBeginCommandBuffer(commandBuffer, &begin), "failed to begin recording command buffer!");
    } catch (...) {
        vkDestroyFence(device.getDevice(), done, nullptr);
        vkFreeCommandBuffers(device.getDevice(), device.getCommandPool(), 1, &commandBuffer);
        throw;
    }
}

OneTimeCommands::~OneTimeCommands() {
    vkDestroyFence(device.getDevice(), done, nullptr);
    vkFreeCommandBuffers(device.getDevice(), device.getCommandPool(), 1, &commandBuffer);
}

void OneTimeCommands::run() {
    vkCheck(vkEndCommandBuffer(commandBuffer), "failed to record command buffer!");
    VkSubmitInfo submit{};
    submit.sType = VK_STRUCTURE_TYPE_SUBMIT_INFO;
    submit.commandBufferCount = 1;
    submit.pCommandBuffers = &commandBuffer;
    vkCheck(queue.submit(submit, done), "failed to submit draw command buffer!");
    vkCheck(vkWaitForFences(device.getDevice(), 1, &done, VK_TRUE, std::numeric_limits<uint64_t>::max()),
            "failed to wait for a frame to finish!");
}

}  // namespace orv
