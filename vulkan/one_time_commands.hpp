#pragma once
// A command buffer recorded once and run to completion at once, for work outside the frame
// loop (reading a frame back, growing the texture atlas). It goes through the engine's queue
// like every submission.

#include <vulkan/vulkan.h>

#include "vulkan/orv_device.hpp"
#include "vulkan/orv_queue.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

class OneTimeCommands {
public:
    // Allocates the command buffer and begins recording.
    OneTimeCommands(OrvDevice& device, OrvQueue& queue);
    ~OneTimeCommands();

    OneTimeCommands(const OneTimeCommands&) = delete;
    OneTimeCommands& operator=(const OneTimeCommands&) = delete;

    VkCommandBuffer buffer() const { return commandBuffer; }
    // Ends recording, submits, and waits until the commands have run. When the wait fails it
    // waits for the whole device before it throws, so what the commands use may be freed.
    void run();

private:
    // Waits for the device, then for the fence; true when the commands are seen finished.
    bool settle() noexcept;

    OrvDevice& device;
    OrvQueue& queue;
    CommandBufferHandle commandBuffer;
    VkHandle<VkFence> done;
    // Submitted and not yet seen finished: the buffer may not be freed before its fence.
    bool pending = false;
};

}  // namespace orv
