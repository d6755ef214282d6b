#include "vulkan/swap_chain_choices.hpp"

#include <algorithm>
#include <stdexcept>

namespace orv {

VkSurfaceFormatKHR chooseSwapSurfaceFormat(const std::vector<VkSurfaceFormatKHR>& formats) {
    if (formats.empty()) {
        throw std::runtime_error("failed to find a surface format for the swap chain!");
    }
    for (const VkSurfaceFormatKHR& format : formats) {
        if (format.format == VK_FORMAT_B8G8R8A8_UNORM &&
            format.colorSpace == VK_COLOR_SPACE_SRGB_NONLINEAR_KHR) {
            return format;
        }
    }
    return formats.front();
}

namespace {

uint32_t clampSide(int size, uint32_t minimum, uint32_t maximum) {
    const uint32_t wanted = size > 0 ? static_cast<uint32_t>(size) : 0u;
    if (wanted > maximum) {
        return maximum;
    }
    return std::max(wanted, minimum);
}

}  // namespace

VkExtent2D chooseSwapExtent(const VkSurfaceCapabilitiesKHR& capabilities, int framebufferWidth,
                            int framebufferHeight) {
    return {clampSide(framebufferWidth, capabilities.minImageExtent.width, capabilities.maxImageExtent.width),
            clampSide(framebufferHeight, capabilities.minImageExtent.height,
                      capabilities.maxImageExtent.height)};
}

uint32_t chooseImageCount(const VkSurfaceCapabilitiesKHR& capabilities) {
    uint32_t count = capabilities.minImageCount + 1;
    if (capabilities.maxImageCount > 0 && count > capabilities.maxImageCount) {
        count = capabilities.maxImageCount;
    }
    return count;
}

SharingChoice chooseSharingMode(const QueueFamilyIndices& indices) {
    if (indices.graphicsFamily != indices.presentFamily) {
        return {VK_SHARING_MODE_CONCURRENT, {indices.graphicsFamily, indices.presentFamily}};
    }
    return {VK_SHARING_MODE_EXCLUSIVE, {}};
}

VkPresentModeKHR choosePresentMode(const std::vector<VkPresentModeKHR>& available, bool vsync) {
    if (vsync) {
        return VK_PRESENT_MODE_FIFO_KHR;
    }
    for (const VkPresentModeKHR wanted : {VK_PRESENT_MODE_IMMEDIATE_KHR, VK_PRESENT_MODE_MAILBOX_KHR}) {
        if (std::find(available.begin(), available.end(), wanted) != available.end()) {
            return wanted;
        }
    }
    return VK_PRESENT_MODE_FIFO_KHR;
}

}  // namespace orv
