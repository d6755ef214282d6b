#include "vulkan/orv_swap_chain.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <cstdint>
#include <iostream>
#include <limits>
#include <stdexcept>

#include "diagnostics/device_report.hpp"
#include "vulkan/swap_chain_choices.hpp"

namespace orv {

namespace {

VkPresentModeKHR chooseSwapPresentMode(const std::vector<VkPresentModeKHR>& available) {
    nlohmann::json names = nlohmann::json::array();
    for (VkPresentModeKHR mode : available) {
        names.push_back(presentModeName(mode));
    }
    setReportKey("availablePresentModes", std::move(names));
    setReportKey("selectedPresentMode", "FIFO_KHR");
    std::cout << "Present mode: V-Sync" << std::endl;
    return VK_PRESENT_MODE_FIFO_KHR;
}

VkImageView createView(VkDevice device, VkImage image, VkFormat format, VkImageAspectFlags aspect) {
    VkImageViewCreateInfo viewInfo{};
    viewInfo.sType = VK_STRUCTURE_TYPE_IMAGE_VIEW_CREATE_INFO;
    viewInfo.image = image;
    viewInfo.viewType = VK_IMAGE_VIEW_TYPE_2D;
    viewInfo.format = format;
    viewInfo.subresourceRange.aspectMask = aspect;
    viewInfo.subresourceRange.baseMipLevel = 0;
    viewInfo.subresourceRange.levelCount = 1;
    viewInfo.subresourceRange.baseArrayLayer = 0;
    viewInfo.subresourceRange.layerCount = 1;
    VkImageView view = VK_NULL_HANDLE;
    if (vkCreateImageView(device, &viewInfo, nullptr, &view) != VK_SUCCESS) {
        throw std::runtime_error("failed to create texture image view!");
    }
    return view;
}

constexpr uint64_t kNoTimeout = std::numeric_limits<uint64_t>::max();

}  // namespace

OrvSwapChain::OrvSwapChain(OrvDevice& d, OrvWindow& w) : device{d}, window{w} {
    init();
}

OrvSwapChain::OrvSwapChain(OrvDevice& d, OrvWindow& w, std::shared_ptr<OrvSwapChain> previous)
    : device{d}, oldSwapChain{std::move(previous)}, window{w} {
    init();
    // The presenting thread carries over, idle (the caller waited for the device); what
    // the old swap chain's last present said is of no use to the new one.
    if (oldSwapChain && oldSwapChain->presenter) {
        oldSwapChain->presenter->takeResult();
        presenter = std::move(oldSwapChain->presenter);
    }
    oldSwapChain.reset();
}

void OrvSwapChain::init() {
    try {
        createSwapChain();
        createImageViews();
        createRenderPass();
        createFramebuffers();
        createSyncObjects();
        if (!oldSwapChain || !oldSwapChain->presenter) {
            presenter = std::make_unique<AsyncPresenter>();
        }
    } catch (...) {
        release();
        throw;
    }
}

OrvSwapChain::~OrvSwapChain() {
    release();
}

void OrvSwapChain::release() noexcept {
    // The present in flight still uses the swap chain and a semaphore.
    presenter.reset();
    VkDevice vk = device.getDevice();
    for (VkImageView view : swapChainImageViews) {
        vkDestroyImageView(vk, view, nullptr);
    }
    swapChainImageViews.clear();
    if (swapChain != VK_NULL_HANDLE) {
        vkDestroySwapchainKHR(vk, swapChain, nullptr);
        swapChain = VK_NULL_HANDLE;
    }
    for (VkFramebuffer framebuffer : swapChainFramebuffers) {
        vkDestroyFramebuffer(vk, framebuffer, nullptr);
    }
    swapChainFramebuffers.clear();
    if (renderPass != VK_NULL_HANDLE) {
        vkDestroyRenderPass(vk, renderPass, nullptr);
        renderPass = VK_NULL_HANDLE;
    }
    for (size_t f = 0; f < inFlightFences.size(); ++f) {
        vkDestroySemaphore(vk, renderFinishedSemaphores[f], nullptr);
        vkDestroySemaphore(vk, imageAvailableSemaphores[f], nullptr);
        vkDestroyFence(vk, inFlightFences[f], nullptr);
    }
    renderFinishedSemaphores.clear();
    imageAvailableSemaphores.clear();
    inFlightFences.clear();
    oldSwapChain.reset();
}

void OrvSwapChain::createSwapChain() {
    const SwapChainSupportDetails support = device.querySwapChainSupport(device.getPhysicalDevice());
    const VkSurfaceFormatKHR surfaceFormat = chooseSwapSurfaceFormat(support.formats);
    const VkPresentModeKHR presentMode = chooseSwapPresentMode(support.presentModes);
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    glfwGetFramebufferSize(window.nativeHandle(), &framebufferWidth, &framebufferHeight);
    const VkExtent2D extent = chooseSwapExtent(support.capabilities, framebufferWidth, framebufferHeight);
    const uint32_t imageCount = chooseImageCount(support.capabilities);
    VkPhysicalDeviceProperties properties;
    vkGetPhysicalDeviceProperties(device.getPhysicalDevice(), &properties);
    const VkPhysicalDeviceLimits& limits = properties.limits;
    const uint32_t maxWidth = std::min(limits.maxImageDimension2D, limits.maxFramebufferWidth);
    const uint32_t maxHeight = std::min(limits.maxImageDimension2D, limits.maxFramebufferHeight);
    if (extent.width > maxWidth || extent.height > maxHeight) {
        throw std::runtime_error("failed to create swap chain: the window's " + std::to_string(extent.width) +
                                 " by " + std::to_string(extent.height) + " pixels exceed the device's largest image (" +
                                 std::to_string(maxWidth) + " by " + std::to_string(maxHeight) + ")");
    }

    VkSwapchainCreateInfoKHR createInfo{};
    createInfo.sType = VK_STRUCTURE_TYPE_SWAPCHAIN_CREATE_INFO_KHR;
    createInfo.surface = device.getSurface();
    createInfo.minImageCount = imageCount;
    createInfo.imageFormat = surfaceFormat.format;
    createInfo.imageColorSpace = surfaceFormat.colorSpace;
    createInfo.imageExtent = extent;
    createInfo.imageArrayLayers = 1;
    createInfo.imageUsage = VK_IMAGE_USAGE_COLOR_ATTACHMENT_BIT;

    const SharingChoice sharing = chooseSharingMode(device.findQueueFamilies(device.getPhysicalDevice()));
    createInfo.imageSharingMode = sharing.mode;
    createInfo.queueFamilyIndexCount = static_cast<uint32_t>(sharing.queueFamilies.size());
    createInfo.pQueueFamilyIndices = sharing.queueFamilies.empty() ? nullptr : sharing.queueFamilies.data();

    createInfo.preTransform = support.capabilities.currentTransform;
    createInfo.compositeAlpha = VK_COMPOSITE_ALPHA_OPAQUE_BIT_KHR;
    createInfo.presentMode = presentMode;
    createInfo.clipped = VK_TRUE;
    createInfo.oldSwapchain = oldSwapChain ? oldSwapChain->swapChain : VK_NULL_HANDLE;

    if (vkCreateSwapchainKHR(device.getDevice(), &createInfo, nullptr, &swapChain) != VK_SUCCESS) {
        swapChain = VK_NULL_HANDLE;
        throw std::runtime_error("failed to create swap chain!");
    }

    uint32_t count = 0;
    vkGetSwapchainImagesKHR(device.getDevice(), swapChain, &count, nullptr);
    swapChainImages.resize(count);
    vkGetSwapchainImagesKHR(device.getDevice(), swapChain, &count, swapChainImages.data());
    swapChainImageFormat = surfaceFormat.format;
    swapChainExtent = extent;
}

void OrvSwapChain::createImageViews() {
    swapChainImageViews.reserve(swapChainImages.size());
    for (VkImage image : swapChainImages) {
        swapChainImageViews.push_back(
            createView(device.getDevice(), image, swapChainImageFormat, VK_IMAGE_ASPECT_COLOR_BIT));
    }
}

void OrvSwapChain::createRenderPass() {
    // No depth attachment: shapes are drawn back to front, so the one created first
    // ends up on top without a depth test.
    std::array<VkAttachmentDescription, 1> attachments{};
    VkAttachmentDescription& color = attachments[0];
    color.format = swapChainImageFormat;
    color.samples = VK_SAMPLE_COUNT_1_BIT;
    color.loadOp = VK_ATTACHMENT_LOAD_OP_CLEAR;
    color.storeOp = VK_ATTACHMENT_STORE_OP_STORE;
    color.stencilLoadOp = VK_ATTACHMENT_LOAD_OP_DONT_CARE;
    color.stencilStoreOp = VK_ATTACHMENT_STORE_OP_DONT_CARE;
    color.initialLayout = VK_IMAGE_LAYOUT_UNDEFINED;
    color.finalLayout = VK_IMAGE_LAYOUT_PRESENT_SRC_KHR;

    VkAttachmentReference colorRef{0, VK_IMAGE_LAYOUT_COLOR_ATTACHMENT_OPTIMAL};

    VkSubpassDescription subpass{};
    subpass.pipelineBindPoint = VK_PIPELINE_BIND_POINT_GRAPHICS;
    subpass.colorAttachmentCount = 1;
    subpass.pColorAttachments = &colorRef;

    VkSubpassDependency dependency{};
    dependency.srcSubpass = VK_SUBPASS_EXTERNAL;
    dependency.dstSubpass = 0;
    dependency.srcStageMask = VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT;
    dependency.srcAccessMask = 0;
    dependency.dstStageMask = VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT;
    dependency.dstAccessMask = VK_ACCESS_COLOR_ATTACHMENT_WRITE_BIT;

    VkRenderPassCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_RENDER_PASS_CREATE_INFO;
    info.attachmentCount = static_cast<uint32_t>(attachments.size());
    info.pAttachments = attachments.data();
    info.subpassCount = 1;
    info.pSubpasses = &subpass;
    info.dependencyCount = 1;
    info.pDependencies = &dependency;
    if (vkCreateRenderPass(device.getDevice(), &info, nullptr, &renderPass) != VK_SUCCESS) {
        renderPass = VK_NULL_HANDLE;
        throw std::runtime_error("failed to create render pass!");
    }
}

void OrvSwapChain::createFramebuffers() {
    swapChainFramebuffers.reserve(imageCount());
    for (size_t i = 0; i < imageCount(); ++i) {
        std::array<VkImageView, 1> views{swapChainImageViews[i]};
        VkFramebufferCreateInfo info{};
        info.sType = VK_STRUCTURE_TYPE_FRAMEBUFFER_CREATE_INFO;
        info.renderPass = renderPass;
        info.attachmentCount = static_cast<uint32_t>(views.size());
        info.pAttachments = views.data();
        info.width = swapChainExtent.width;
        info.height = swapChainExtent.height;
        info.layers = 1;
        VkFramebuffer framebuffer = VK_NULL_HANDLE;
        if (vkCreateFramebuffer(device.getDevice(), &info, nullptr, &framebuffer) != VK_SUCCESS) {
            throw std::runtime_error("failed to create framebuffer!");
        }
        swapChainFramebuffers.push_back(framebuffer);
    }
}

void OrvSwapChain::createSyncObjects() {
    imagesInFlight.assign(imageCount(), VK_NULL_HANDLE);
    VkSemaphoreCreateInfo semaphoreInfo{};
    semaphoreInfo.sType = VK_STRUCTURE_TYPE_SEMAPHORE_CREATE_INFO;
    VkFenceCreateInfo fenceInfo{};
    fenceInfo.sType = VK_STRUCTURE_TYPE_FENCE_CREATE_INFO;
    fenceInfo.flags = VK_FENCE_CREATE_SIGNALED_BIT;
    VkDevice vk = device.getDevice();
    for (size_t f = 0; f < MAX_FRAMES_IN_FLIGHT; ++f) {
        VkSemaphore available = VK_NULL_HANDLE;
        VkSemaphore finished = VK_NULL_HANDLE;
        VkFence fence = VK_NULL_HANDLE;
        const bool ok = vkCreateSemaphore(vk, &semaphoreInfo, nullptr, &available) == VK_SUCCESS &&
                        vkCreateSemaphore(vk, &semaphoreInfo, nullptr, &finished) == VK_SUCCESS &&
                        vkCreateFence(vk, &fenceInfo, nullptr, &fence) == VK_SUCCESS;
        if (!ok) {
            // Destroying a null handle is a no-op, so partial frames clean up alike.
            vkDestroySemaphore(vk, available, nullptr);
            vkDestroySemaphore(vk, finished, nullptr);
            vkDestroyFence(vk, fence, nullptr);
            throw std::runtime_error("failed to create synchronization objects for a frame!");
        }
        imageAvailableSemaphores.push_back(available);
        renderFinishedSemaphores.push_back(finished);
        inFlightFences.push_back(fence);
    }
}

void OrvSwapChain::waitForPresent() {
    presenter->wait();
}

VkResult OrvSwapChain::takePresentResult() {
    return presenter->takeResult();
}

VkResult OrvSwapChain::acquireNextImage(uint32_t* imageIndex) {
    // Acquiring and presenting must not overlap on one swap chain.
    presenter->wait();
    vkWaitForFences(device.getDevice(), 1, &inFlightFences[currentFrame], VK_TRUE, kNoTimeout);
    const VkResult result = vkAcquireNextImageKHR(device.getDevice(), swapChain, kNoTimeout,
                                                  imageAvailableSemaphores[currentFrame], VK_NULL_HANDLE,
                                                  imageIndex);
    // The image's command buffer is re-recorded next, so the frame that last used the
    // image must be finished first, not only before the submit.
    if ((result == VK_SUCCESS || result == VK_SUBOPTIMAL_KHR) && imagesInFlight[*imageIndex] != VK_NULL_HANDLE) {
        vkWaitForFences(device.getDevice(), 1, &imagesInFlight[*imageIndex], VK_TRUE, kNoTimeout);
    }
    return result;
}

void OrvSwapChain::submitCommandBuffers(const VkCommandBuffer* buffer, uint32_t imageIndex) {
    if (imagesInFlight[imageIndex] != VK_NULL_HANDLE) {
        vkWaitForFences(device.getDevice(), 1, &imagesInFlight[imageIndex], VK_TRUE, kNoTimeout);
    }
    imagesInFlight[imageIndex] = inFlightFences[currentFrame];

    VkSemaphore waitSemaphores[] = {imageAvailableSemaphores[currentFrame]};
    VkPipelineStageFlags waitStages[] = {VK_PIPELINE_STAGE_COLOR_ATTACHMENT_OUTPUT_BIT};
    VkSemaphore signalSemaphores[] = {renderFinishedSemaphores[currentFrame]};

    VkSubmitInfo submitInfo{};
    submitInfo.sType = VK_STRUCTURE_TYPE_SUBMIT_INFO;
    submitInfo.waitSemaphoreCount = 1;
    submitInfo.pWaitSemaphores = waitSemaphores;
    submitInfo.pWaitDstStageMask = waitStages;
    submitInfo.commandBufferCount = 1;
    submitInfo.pCommandBuffers = buffer;
    submitInfo.signalSemaphoreCount = 1;
    submitInfo.pSignalSemaphores = signalSemaphores;

    vkResetFences(device.getDevice(), 1, &inFlightFences[currentFrame]);
    // The queue is shared with the presenting thread.
    presenter->wait();
    if (vkQueueSubmit(device.getGraphicsQueue(), 1, &submitInfo, inFlightFences[currentFrame]) != VK_SUCCESS) {
        throw std::runtime_error("failed to submit draw command buffer!");
    }
    presenter->present(device.getPresentQueue(), swapChain, imageIndex, renderFinishedSemaphores[currentFrame]);

    currentFrame = (currentFrame + 1) % MAX_FRAMES_IN_FLIGHT;
}

}  // namespace orv
