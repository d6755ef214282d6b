#include "vulkan/async_presenter.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace orv {
namespace {

// A stand-in for vkQueuePresentKHR that takes a while, notes what it was asked to present
// and whether two presents ever overlapped.
struct FakePresent {
    std::mutex mutex;
    std::vector<uint32_t> images;
    std::vector<VkSwapchainKHR> chains;
    std::vector<VkSemaphore> semaphores;
    std::vector<std::thread::id> threads;
    std::atomic<int> inFlight{0};
    std::atomic<bool> overlapped{false};
    std::atomic<int> finished{0};
    std::chrono::milliseconds delay{20};
    // What the n-th present returns; VK_SUCCESS past the end. Set before presenting.
    std::vector<VkResult> results;
};

FakePresent* fake = nullptr;

VKAPI_ATTR VkResult VKAPI_CALL fakePresent(VkQueue, const VkPresentInfoKHR* info) {
    if (fake->inFlight.fetch_add(1) != 0) {
        fake->overlapped = true;
    }
    {
        std::lock_guard<std::mutex> lock{fake->mutex};
        fake->images.push_back(info->pImageIndices[0]);
        fake->chains.push_back(info->pSwapchains[0]);
        fake->semaphores.push_back(info->pWaitSemaphores[0]);
        fake->threads.push_back(std::this_thread::get_id());
    }
    std::this_thread::sleep_for(fake->delay);
    fake->inFlight.fetch_sub(1);
    const size_t call = static_cast<size_t>(fake->finished.fetch_add(1));
    return call < fake->results.size() ? fake->results[call] : VK_SUCCESS;
}

class AsyncPresenterTest : public ::testing::Test {
protected:
    void SetUp() override { fake = &state; }
    void TearDown() override { fake = nullptr; }
    FakePresent state;
};

VkSwapchainKHR chain(uintptr_t value) {
    return reinterpret_cast<VkSwapchainKHR>(value);
}

VkSemaphore semaphore(uintptr_t value) {
    return reinterpret_cast<VkSemaphore>(value);
}

TEST_F(AsyncPresenterTest, PresentsOffTheCallingThreadOneAtATimeInOrder) {
    {
        AsyncPresenter presenter{fakePresent};
        for (uint32_t i = 0; i < 5; ++i) {
            presenter.present(VK_NULL_HANDLE, chain(0x100 + i), i % 3, semaphore(0x200 + i));
        }
        EXPECT_EQ(presenter.wait(), VK_SUCCESS);
        EXPECT_EQ(state.finished.load(), 5);
    }
    EXPECT_FALSE(state.overlapped.load());
    ASSERT_EQ(state.images, (std::vector<uint32_t>{0, 1, 2, 0, 1}));
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(state.chains[i], chain(0x100 + i));
        EXPECT_EQ(state.semaphores[i], semaphore(0x200 + i));
        EXPECT_NE(state.threads[i], std::this_thread::get_id());
    }
}

TEST_F(AsyncPresenterTest, PresentReturnsBeforeThePresentIsDone) {
    state.delay = std::chrono::milliseconds{200};
    AsyncPresenter presenter{fakePresent};
    presenter.present(VK_NULL_HANDLE, chain(1), 0, semaphore(2));
    EXPECT_EQ(state.finished.load(), 0);
    presenter.wait();
    EXPECT_EQ(state.finished.load(), 1);
}

TEST_F(AsyncPresenterTest, ResultIsKeptByWaitAndHandedOverOnceByTake) {
    AsyncPresenter presenter{fakePresent};
    EXPECT_EQ(presenter.takeResult(), VK_SUCCESS) << "nothing presented yet";
    state.results = {VK_ERROR_OUT_OF_DATE_KHR, VK_SUBOPTIMAL_KHR, VK_SUCCESS, VK_SUCCESS, VK_SUBOPTIMAL_KHR};
    presenter.present(VK_NULL_HANDLE, chain(1), 0, semaphore(2));
    EXPECT_EQ(presenter.wait(), VK_ERROR_OUT_OF_DATE_KHR);
    EXPECT_EQ(presenter.wait(), VK_ERROR_OUT_OF_DATE_KHR);
    EXPECT_EQ(presenter.takeResult(), VK_ERROR_OUT_OF_DATE_KHR);
    EXPECT_EQ(presenter.takeResult(), VK_SUCCESS);

    // Only the last present's result is kept, whatever came before it.
    presenter.present(VK_NULL_HANDLE, chain(1), 1, semaphore(2));
    presenter.present(VK_NULL_HANDLE, chain(1), 0, semaphore(2));
    EXPECT_EQ(presenter.takeResult(), VK_SUCCESS);
    presenter.present(VK_NULL_HANDLE, chain(1), 1, semaphore(2));
    presenter.present(VK_NULL_HANDLE, chain(1), 0, semaphore(2));
    EXPECT_EQ(presenter.takeResult(), VK_SUBOPTIMAL_KHR);
}

TEST_F(AsyncPresenterTest, DestructionWaitsForThePresentInFlight) {
    state.delay = std::chrono::milliseconds{100};
    {
        AsyncPresenter presenter{fakePresent};
        presenter.present(VK_NULL_HANDLE, chain(1), 0, semaphore(2));
    }
    EXPECT_EQ(state.finished.load(), 1);
    EXPECT_EQ(state.inFlight.load(), 0);
}

TEST_F(AsyncPresenterTest, IdlePresenterStopsAtOnce) {
    AsyncPresenter presenter{fakePresent};
    EXPECT_EQ(presenter.wait(), VK_SUCCESS);
    EXPECT_EQ(state.finished.load(), 0);
}

}  // namespace
}  // namespace orv
