#pragma once
// The device's queues, used from one place: every submit, acquire, present and idle wait
// goes through here, so none of them overlaps the present running on the presenting thread
// (a queue and a swap chain may be used by one thread at a time).

#include <vulkan/vulkan.h>

#include <memory>

#include "vulkan/async_presenter.hpp"

namespace orv {

class OrvQueue {
public:
    OrvQueue(VkDevice device, VkQueue graphicsQueue, VkQueue presentQueue);
    ~OrvQueue();

    OrvQueue(const OrvQueue&) = delete;
    OrvQueue& operator=(const OrvQueue&) = delete;

    VkResult submit(const VkSubmitInfo& info, VkFence fence);
    VkResult acquire(VkSwapchainKHR swapChain, VkSemaphore signal, uint32_t* imageIndex);
    // Starts presenting on the presenting thread; the result comes from takePresentResult.
    void present(VkSwapchainKHR swapChain, uint32_t imageIndex, VkSemaphore wait);
    // Waits for the present in flight and hands over its result once (VK_SUCCESS if none).
    VkResult takePresentResult();
    // Waits for the present in flight, then for the device.
    VkResult waitIdle() noexcept;

private:
    VkDevice device;
    VkQueue graphicsQueue;
    VkQueue presentQueue;
    AsyncPresenter presenter;
};

}  // namespace orv
