#pragma once
// Presentable images and everything sized by them: views, framebuffers,
// the render pass, and the synchronisation of two frames in flight.

#include <vulkan/vulkan.h>

#include <memory>
#include <vector>

#include "engine/orv_window.hpp"
#include "vulkan/async_presenter.hpp"
#include "vulkan/orv_device.hpp"

namespace orv {

class OrvSwapChain {
public:
    static constexpr size_t MAX_FRAMES_IN_FLIGHT = 2;

    OrvSwapChain(OrvDevice& device, OrvWindow& window);
    OrvSwapChain(OrvDevice& device, OrvWindow& window, std::shared_ptr<OrvSwapChain> previous);
    ~OrvSwapChain();

    OrvSwapChain(const OrvSwapChain&) = delete;
    OrvSwapChain& operator=(const OrvSwapChain&) = delete;

    VkRenderPass getRenderPass() const { return renderPass; }
    VkFramebuffer getFrameBuffer(uint32_t index) const { return swapChainFramebuffers[index]; }
    VkExtent2D getSwapChainExtent() const { return swapChainExtent; }
    size_t imageCount() const { return swapChainImages.size(); }
    // The frame slot the next acquire and submit use.
    size_t currentFrameIndex() const { return currentFrame; }

    VkResult acquireNextImage(uint32_t* imageIndex);
    // Submits the frame and starts presenting it; the present finishes in the background.
    void submitCommandBuffers(const VkCommandBuffer* buffer, uint32_t imageIndex);
    // Waits for the present in flight, so the queue and the device can be used again.
    void waitForPresent();
    // Waits for the present in flight and hands over its result once.
    VkResult takePresentResult();

private:
    void init();
    void createSwapChain();
    void createImageViews();
    void createRenderPass();
    void createFramebuffers();
    void createSyncObjects();
    void release() noexcept;

    VkFormat swapChainImageFormat{};
    VkExtent2D swapChainExtent{};
    std::vector<VkFramebuffer> swapChainFramebuffers;
    VkRenderPass renderPass = VK_NULL_HANDLE;
    std::vector<VkImage> swapChainImages;
    std::vector<VkImageView> swapChainImageViews;
    OrvDevice& device;
    VkSwapchainKHR swapChain = VK_NULL_HANDLE;
    std::shared_ptr<OrvSwapChain> oldSwapChain;
    std::vector<VkSemaphore> imageAvailableSemaphores;
    std::vector<VkSemaphore> renderFinishedSemaphores;
    std::vector<VkFence> inFlightFences;
    std::vector<VkFence> imagesInFlight;
    size_t currentFrame = 0;
    OrvWindow& window;
    std::unique_ptr<AsyncPresenter> presenter;
};

}  // namespace orv
