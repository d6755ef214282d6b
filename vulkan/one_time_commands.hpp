#pragma once
// A command buffer recorded once and run to completion at once, for work outside the frame
// loop (reading a frame back). It goes through the engine's queue like every submission.

#include <vulkan/vulkan.h>

#include "vulkan/orv_device.hpp"
#include "vulkan/orv_queue.hpp"

namespace orv {

class OneTimeCommands {
public:
    // Allocates the command buffer and begins recording.
    OneTimeCommands(OrvDevice& device, OrvQueue& queue);
    ~OneTimeCommands();

    OneTimeCommands(const OneTimeCommands&) = delete;
    OneTimeCommands& operator=(const OneTimeCommands&) = delete;

    VkCommandBuffer buffer() const { return commandBuffer; }
    // Ends recording, submits, and waits until the commands have run.
    void run();

private:
    OrvDevice& device;
    OrvQueue& queue;
    VkCommandBuffer commandBuffer = VK_NULL_HANDLE;
    VkFence done = VK_NULL_HANDLE;
};

}  // namespace orv
