#include "vulkan/orv_queue.hpp"

#include <limits>

namespace orv {

OrvQueue::OrvQueue(VkDevice d, VkQueue graphics, VkQueue presentation)
    : device{d}, graphicsQueue{graphics}, presentQueue{presentation} {}

OrvQueue::~OrvQueue() {
    waitIdle();
}

VkResult OrvQueue::submit(const VkSubmitInfo& info, VkFence fence) {
    presenter.wait();
    return vkQueueSubmit(graphicsQueue, 1, &info, fence);
}

VkResult OrvQueue::acquire(VkSwapchainKHR swapChain, VkSemaphore signal, uint32_t* imageIndex) {
    presenter.wait();
    return vkAcquireNextImageKHR(device, swapChain, std::numeric_limits<uint64_t>::max(), signal,
                                 VK_NULL_HANDLE, imageIndex);
}

void OrvQueue::present(VkSwapchainKHR swapChain, uint32_t imageIndex, VkSemaphore wait) {
    presenter.present(presentQueue, swapChain, imageIndex, wait);
}

VkResult OrvQueue::takePresentResult() {
    return presenter.takeResult();
}

VkResult OrvQueue::waitIdle() noexcept {
    presenter.wait();
    return vkDeviceWaitIdle(device);
}

}  // namespace orv
