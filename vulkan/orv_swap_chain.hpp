#pragma once
// Presentable images and everything sized by them: views, framebuffers, the render pass,
// and one render-finished semaphore per image.

#include <vulkan/vulkan.h>

#include <vector>

#include "vulkan/orv_device.hpp"
#include "vulkan/orv_queue.hpp"
#include "vulkan/render_target.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

class OrvSwapChain : public RenderTarget {
public:
    // Images for `surface` (the device's), sized by the surface or, where it leaves that to
    // the caller, by `framebufferExtent`. They are colour attachments and whatever
    // `extraUsage` adds. With `previous`, Vulkan receives it as the old swap chain; the caller
    // destroys it once this one is complete, or keeps it if building this one fails.
    // Without `vsync` images are presented as soon as they are ready (choosePresentMode).
    OrvSwapChain(OrvDevice& device, VkSurfaceKHR surface, VkExtent2D framebufferExtent,
                 VkImageUsageFlags extraUsage = 0, OrvSwapChain* previous = nullptr, bool vsync = true);
    ~OrvSwapChain() override = default;

    OrvSwapChain(const OrvSwapChain&) = delete;
    OrvSwapChain& operator=(const OrvSwapChain&) = delete;

    VkRenderPass getRenderPass() const { return renderPass; }
    VkFramebuffer getFrameBuffer(uint32_t index) const { return swapChainFramebuffers[index]; }
    VkImage getImage(uint32_t index) const { return swapChainImages[index]; }
    VkFormat getImageFormat() const { return swapChainImageFormat; }
    VkExtent2D getSwapChainExtent() const { return swapChainExtent; }
    size_t imageCount() const { return swapChainImages.size(); }

    VkFormat imageFormat() const override { return swapChainImageFormat; }
    VkExtent2D imageExtent() const override { return swapChainExtent; }
    VkRenderPass colorPass() const override { return renderPass; }
    VkFramebuffer framebuffer(uint32_t index) const override { return swapChainFramebuffers[index]; }
    VkImage image(uint32_t index) const override { return swapChainImages[index]; }
    VkImageLayout finalLayout() const override { return VK_IMAGE_LAYOUT_PRESENT_SRC_KHR; }
    // Once a new swap chain was asked for with this one as its old one, this one can
    // present no more images, whether or not the new one was made.
    bool isRetired() const { return retired; }

    // Waits until the frame slot's previous submission is done (its fence), then acquires an
    // image that `imageAvailable` will signal.
    VkResult acquireNextImage(OrvQueue& queue, VkFence inFlight, VkSemaphore imageAvailable, uint32_t* imageIndex);
    // Waits until the frame slot's previous submission is done: its command buffer and
    // uploads are then free.
    void waitForFrame(VkFence inFlight);
    // Submits the command buffer with the frame's fence, waiting for the image at
    // `waitStage`, and, if that succeeded, starts presenting the image. Returns the
    // submit's result.
    VkResult submitCommandBuffers(OrvQueue& queue, VkCommandBuffer commandBuffer, VkFence inFlight,
                                  VkSemaphore imageAvailable, VkPipelineStageFlags waitStage, uint32_t imageIndex);

private:
    void createSwapChain(VkSurfaceKHR surface, VkExtent2D framebufferExtent, VkImageUsageFlags extraUsage,
                         OrvSwapChain* previous, bool vsync);
    void createImageViews();
    void createRenderPass();
    void createFramebuffers();
    void createSyncObjects();

    OrvDevice& device;
    VkFormat swapChainImageFormat{};
    VkExtent2D swapChainExtent{};
    // Destroyed in reverse: framebuffers before the views and render pass they use, views
    // before the swap chain that owns their images.
    VkHandle<VkSwapchainKHR> swapChain;
    std::vector<VkImage> swapChainImages;
    std::vector<VkHandle<VkImageView>> swapChainImageViews;
    VkHandle<VkRenderPass> renderPass;
    std::vector<VkHandle<VkFramebuffer>> swapChainFramebuffers;
    // Indexed by image: a semaphore may still be waited on by that image's present until
    // the image is acquired again.
    std::vector<VkHandle<VkSemaphore>> renderFinishedSemaphores;
    bool retired = false;
};

}  // namespace orv
