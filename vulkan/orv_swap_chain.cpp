#include "vulkan/orv_swap_chain.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <cstdint>
#include <iostream>
#include <limits>
#include <stdexcept>

#include "diagnostics/device_report.hpp"
#include "vulkan/color_render_pass.hpp"
#include "vulkan/swap_chain_choices.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

// What the line after the device report calls each mode the engine picks.
const char* presentModeLabel(VkPresentModeKHR mode) {
    switch (mode) {
        case VK_PRESENT_MODE_IMMEDIATE_KHR: return "Immediate";
        case VK_PRESENT_MODE_MAILBOX_KHR: return "Mailbox";
        default: return "V-Sync";
    }
}

VkPresentModeKHR chooseSwapPresentMode(const std::vector<VkPresentModeKHR>& available, bool vsync) {
    nlohmann::json names = nlohmann::json::array();
    for (VkPresentModeKHR mode : available) {
        names.push_back(presentModeName(mode));
    }
    const VkPresentModeKHR chosen = choosePresentMode(available, vsync);
    setReportKey("availablePresentModes", std::move(names));
    setReportKey("selectedPresentMode", presentModeName(chosen));
    std::cout << "Present mode: " << presentModeLabel(chosen) << std::endl;
    return chosen;
}

VkHandle<VkImageView> createView(VkDevice device, VkImage image, VkFormat format, VkImageAspectFlags aspect) {
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
    vkCheck(vkCreateImageView(device, &viewInfo, nullptr, &view), "failed to create swap chain image view!");
    return VkHandle<VkImageView>{device, view, vkDestroyImageView};
}

constexpr uint64_t kNoTimeout = std::numeric_limits<uint64_t>::max();

}  // namespace

OrvSwapChain::OrvSwapChain(OrvDevice& d, VkSurfaceKHR surface, VkExtent2D framebufferExtent,
                           VkImageUsageFlags extraUsage, OrvSwapChain* previous, bool vsync)
    : device{d} {
    // A device made without a surface has nothing to present to.
    if (surface == VK_NULL_HANDLE) {
        throw std::runtime_error("failed to create swap chain: there is no surface to present to");
    }
    createSwapChain(surface, framebufferExtent, extraUsage, previous, vsync);
    createImageViews();
    createRenderPass();
    createFramebuffers();
    createSyncObjects();
}

void OrvSwapChain::createSwapChain(VkSurfaceKHR surface, VkExtent2D framebufferExtent, VkImageUsageFlags extraUsage,
                                   OrvSwapChain* previous, bool vsync) {
    const SwapChainSupportDetails support = OrvDevice::querySwapChainSupport(device.getPhysicalDevice(), surface);
    const VkSurfaceFormatKHR surfaceFormat = chooseSwapSurfaceFormat(support.formats);
    const VkPresentModeKHR presentMode = chooseSwapPresentMode(support.presentModes, vsync);
    const VkExtent2D extent = chooseSwapExtent(support.capabilities, static_cast<int>(framebufferExtent.width),
                                               static_cast<int>(framebufferExtent.height));
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
    createInfo.surface = surface;
    createInfo.minImageCount = imageCount;
    createInfo.imageFormat = surfaceFormat.format;
    createInfo.imageColorSpace = surfaceFormat.colorSpace;
    createInfo.imageExtent = extent;
    createInfo.imageArrayLayers = 1;
    if ((support.capabilities.supportedUsageFlags & extraUsage) != extraUsage) {
        throw std::runtime_error("failed to create swap chain: the surface's images cannot be used as the renderer "
                                 "needs (usage flags " + std::to_string(extraUsage) + " missing)");
    }
    createInfo.imageUsage = VK_IMAGE_USAGE_COLOR_ATTACHMENT_BIT | extraUsage;

    const SharingChoice sharing = chooseSharingMode(device.findQueueFamilies(device.getPhysicalDevice()));
    createInfo.imageSharingMode = sharing.mode;
    createInfo.queueFamilyIndexCount = static_cast<uint32_t>(sharing.queueFamilies.size());
    createInfo.pQueueFamilyIndices = sharing.queueFamilies.empty() ? nullptr : sharing.queueFamilies.data();

    createInfo.preTransform = support.capabilities.currentTransform;
    createInfo.compositeAlpha = VK_COMPOSITE_ALPHA_OPAQUE_BIT_KHR;
    createInfo.presentMode = presentMode;
    createInfo.clipped = VK_TRUE;
    // A retired swap chain may not be named as the old one again.
    createInfo.oldSwapchain = previous && !previous->retired ? previous->swapChain.get() : VK_NULL_HANDLE;
    if (previous) {
        previous->retired = true;
    }

    VkSwapchainKHR made = VK_NULL_HANDLE;
    const VkResult created = vkCreateSwapchainKHR(device.getDevice(), &createInfo, nullptr, &made);
    if (created != VK_SUCCESS) {
        throw vkError("failed to create swap chain!", created);
    }
    swapChain = VkHandle<VkSwapchainKHR>{device.getDevice(), made, vkDestroySwapchainKHR};

    uint32_t count = 0;
    vkCheck(vkGetSwapchainImagesKHR(device.getDevice(), swapChain, &count, nullptr),
            "failed to get swap chain images!");
    swapChainImages.resize(count);
    vkCheck(vkGetSwapchainImagesKHR(device.getDevice(), swapChain, &count, swapChainImages.data()),
            "failed to get swap chain images!");
    swapChainImages.resize(count);
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
    renderPass = VkHandle<VkRenderPass>{
        device.getDevice(),
        createColorRenderPass(device.getDevice(), swapChainImageFormat, VK_IMAGE_LAYOUT_PRESENT_SRC_KHR),
        vkDestroyRenderPass};
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
        vkCheck(vkCreateFramebuffer(device.getDevice(), &info, nullptr, &framebuffer), "failed to create framebuffer!");
        swapChainFramebuffers.emplace_back(device.getDevice(), framebuffer, vkDestroyFramebuffer);
    }
}

void OrvSwapChain::createSyncObjects() {
    VkSemaphoreCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_SEMAPHORE_CREATE_INFO;
    renderFinishedSemaphores.reserve(imageCount());
    for (size_t i = 0; i < imageCount(); ++i) {
        VkSemaphore semaphore = VK_NULL_HANDLE;
        vkCheck(vkCreateSemaphore(device.getDevice(), &info, nullptr, &semaphore),
                "failed to create synchronization objects for a frame!");
        renderFinishedSemaphores.emplace_back(device.getDevice(), semaphore, vkDestroySemaphore);
    }
}

VkResult OrvSwapChain::acquireNextImage(OrvQueue& queue, VkFence inFlight, VkSemaphore imageAvailable,
                                        uint32_t* imageIndex) {
    waitForFrame(inFlight);
    // Rendering into the image is ordered after its last present by the semaphore.
    return queue.acquire(swapChain, imageAvailable, imageIndex);
}

void OrvSwapChain::waitForFrame(VkFence inFlight) {
    vkCheck(vkWaitForFences(device.getDevice(), 1, &inFlight, VK_TRUE, kNoTimeout),
            "failed to wait for a frame to finish!");
}

VkResult OrvSwapChain::submitCommandBuffers(OrvQueue& queue, VkCommandBuffer commandBuffer, VkFence inFlight,
                                            VkSemaphore imageAvailable, VkPipelineStageFlags waitStage,
                                            uint32_t imageIndex) {
    VkSemaphore signal = renderFinishedSemaphores[imageIndex];
    VkSubmitInfo submitInfo{};
    submitInfo.sType = VK_STRUCTURE_TYPE_SUBMIT_INFO;
    submitInfo.waitSemaphoreCount = 1;
    submitInfo.pWaitSemaphores = &imageAvailable;
    submitInfo.pWaitDstStageMask = &waitStage;
    submitInfo.commandBufferCount = 1;
    submitInfo.pCommandBuffers = &commandBuffer;
    submitInfo.signalSemaphoreCount = 1;
    submitInfo.pSignalSemaphores = &signal;

    vkCheck(vkResetFences(device.getDevice(), 1, &inFlight), "failed to reset a frame's fence!");
    const VkResult submitted = queue.submit(submitInfo, inFlight);
    if (submitted == VK_SUCCESS) {
        queue.present(swapChain, imageIndex, signal);
    }
    return submitted;
}

}  // namespace orv
