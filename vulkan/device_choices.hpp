#pragma once
// The device layer's decisions as plain functions over plain inputs, so they can be
// checked without a GPU.

#include <vulkan/vulkan.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orv {

struct QueueFamilyIndices {
    uint32_t graphicsFamily = 0;
    uint32_t presentFamily = 0;
    bool graphicsFamilyHasValue = false;
    bool presentFamilyHasValue = false;
    bool isComplete() const { return graphicsFamilyHasValue && presentFamilyHasValue; }
};

struct SwapChainSupportDetails {
    VkSurfaceCapabilitiesKHR capabilities{};
    std::vector<VkSurfaceFormatKHR> formats;
    std::vector<VkPresentModeKHR> presentModes;
};

// Walks the families in index order; a later qualifying family overwrites an earlier
// one until both roles are found. `presentSupported` is asked for every family visited.
QueueFamilyIndices walkQueueFamilies(const std::vector<VkQueueFamilyProperties>& families,
                                     const std::function<bool(uint32_t)>& presentSupported);

// True when every wanted name is among the available extensions.
bool extensionsSupported(const std::vector<const char*>& wanted,
                         const std::vector<VkExtensionProperties>& available);

// Suitability; `swapChainAdequate` is only asked when the extensions are supported.
bool isDeviceSuitable(const QueueFamilyIndices& indices, bool deviceExtensionsOk,
                      const std::function<bool()>& swapChainAdequate, bool samplerAnisotropy);

// Distinct families for the queue create infos, ascending.
std::vector<uint32_t> distinctQueueFamilies(const QueueFamilyIndices& indices);

// Lowest memory type index allowed by the filter whose flags hold all wanted properties.
std::optional<uint32_t> findMemoryTypeIndex(const VkPhysicalDeviceMemoryProperties& properties,
                                            uint32_t typeFilter, VkMemoryPropertyFlags wanted);

}  // namespace orv
