#pragma once
// Presents swap chain images from a thread of its own.
//
// A CPU driver does the frame's rendering while vkQueuePresentKHR waits for it, so a
// present made on the script's thread would hold the script until the frame is on the
// screen. Handed to this thread, the present runs while the script prepares the next
// frame. One present is in flight at a time; nobody else may use the queue or the swap
// chain until wait() has returned.

#include <vulkan/vulkan.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace orv {

class AsyncPresenter {
public:
    // `presentFunction` is vkQueuePresentKHR except in tests.
    explicit AsyncPresenter(PFN_vkQueuePresentKHR presentFunction = vkQueuePresentKHR);
    ~AsyncPresenter();

    AsyncPresenter(const AsyncPresenter&) = delete;
    AsyncPresenter& operator=(const AsyncPresenter&) = delete;

    // Waits for the present in flight, then starts this one.
    void present(VkQueue queue, VkSwapchainKHR swapChain, uint32_t imageIndex, VkSemaphore waitSemaphore);
    // Waits for the present in flight, if any; the result of the last present stays.
    VkResult wait();
    // Waits, and hands over the last present's result once (VK_SUCCESS when there is none).
    VkResult takeResult();

private:
    void serve();

    const PFN_vkQueuePresentKHR presentFunction;
    std::mutex mutex;
    std::condition_variable changed;
    bool queued = false;
    bool stopping = false;
    VkResult result = VK_SUCCESS;
    VkQueue queue = VK_NULL_HANDLE;
    VkSwapchainKHR swapChain = VK_NULL_HANDLE;
    uint32_t imageIndex = 0;
    VkSemaphore waitSemaphore = VK_NULL_HANDLE;
    // Last, so the state above exists before the thread starts reading it.
    std::thread worker;
};

}  // namespace orv
