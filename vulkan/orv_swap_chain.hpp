#pragma once
// Presentable images and everything sized by them: views, framebuffers, the render pass,
// and one render-finished semaphore per image.

#include <vulkan/vulkan.h>

#include <vector>

#include "engine/orv_window.hpp"
#include "vulkan/frame_ring.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/orv_queue.hpp"

namespace orv {

class OrvSwapChain {
public:
    static constexpr size_t MAX_FRAMES_IN_FLIGHT = FrameRing::kFrames;

    // With `previous`, Vulkan receives it as the old swap chain; the caller destroys it once
    // this one is complete, or keeps it if building this one fails.
    OrvSwapChain(OrvDevice& device, OrvWindow& window, OrvSwapChain* previous = nullptr);
    ~OrvSwapChain();

    OrvSwapChain(const OrvSwapChain&) = delete;
    OrvSwapChain& operator=(const OrvSwapChain&) = delete;

    VkRenderPass getRenderPass() const { return renderPass; }
    VkFramebuffer getFrameBuffer(uint32_t index) const { return swapChainFramebuffers[index]; }
    VkExtent2D getSwapChainExtent() const { return swapChainExtent; }
    size_t imageCount() const { return swapChainImages.size(); }
    // Once a new swap chain was asked for with this one as its old one, this one can
    // present no more images, whether or not the new one was made.
    bool isRetired() const { return retired; }

    // Waits until the frame's previous submission is done, then acquires an image that the
    // frame's semaphore will signal; also waits for the frame that last drew into that image.
    VkResult acquireNextImage(OrvQueue& queue, FrameRing& frames, uint32_t* imageIndex);
    // Submits the current frame's command buffer with its fence and, if that succeeded,
    // starts presenting the image. Returns the submit's result.
    VkResult submitCommandBuffers(OrvQueue& queue, FrameRing& frames, uint32_t imageIndex);

private:
    void createSwapChain(OrvSwapChain* previous);
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
    // Indexed by image: a semaphore may still be waited on by that image's present.
    std::vector<VkSemaphore> renderFinishedSemaphores;
    // For each image, the frame slot that last drew into it, or -1.
    std::vector<int> imagesInFlight;
    OrvWindow& window;
    bool retired = false;
};

}  // namespace orv
