#include "vulkan/async_presenter.hpp"

namespace orv {

AsyncPresenter::AsyncPresenter(PFN_vkQueuePresentKHR function)
    : presentFunction{function}, worker{[this] { serve(); }} {}

AsyncPresenter::~AsyncPresenter() {
    {
        std::unique_lock<std::mutex> lock{mutex};
        changed.wait(lock, [this] { return !queued; });
        stopping = true;
    }
    changed.notify_all();
    worker.join();
}

void AsyncPresenter::present(VkQueue presentQueue, VkSwapchainKHR chain, uint32_t index, VkSemaphore semaphore) {
    {
        std::unique_lock<std::mutex> lock{mutex};
        changed.wait(lock, [this] { return !queued; });
        queue = presentQueue;
        swapChain = chain;
        imageIndex = index;
        waitSemaphore = semaphore;
        queued = true;
    }
    changed.notify_all();
}

VkResult AsyncPresenter::wait() {
    std::unique_lock<std::mutex> lock{mutex};
    changed.wait(lock, [this] { return !queued; });
    return result;
}

VkResult AsyncPresenter::takeResult() {
    std::unique_lock<std::mutex> lock{mutex};
    changed.wait(lock, [this] { return !queued; });
    const VkResult last = result;
    result = VK_SUCCESS;
    return last;
}

void AsyncPresenter::serve() {
    std::unique_lock<std::mutex> lock{mutex};
    for (;;) {
        changed.wait(lock, [this] { return queued || stopping; });
        if (!queued) {
            return;
        }
        VkPresentInfoKHR info{};
        info.sType = VK_STRUCTURE_TYPE_PRESENT_INFO_KHR;
        info.waitSemaphoreCount = 1;
        info.pWaitSemaphores = &waitSemaphore;
        info.swapchainCount = 1;
        info.pSwapchains = &swapChain;
        info.pImageIndices = &imageIndex;
        const VkQueue target = queue;
        // The fields stay untouched while queued is set, so they can be read unlocked.
        lock.unlock();
        const VkResult presented = presentFunction(target, &info);
        lock.lock();
        result = presented;
        queued = false;
        changed.notify_all();
    }
}

}  // namespace orv
