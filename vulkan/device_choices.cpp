#include "vulkan/device_choices.hpp"

#include <cstring>
#include <set>

namespace orv {

QueueFamilyIndices walkQueueFamilies(const std::vector<VkQueueFamilyProperties>& families,
                                     const std::function<bool(uint32_t)>& presentSupported) {
    QueueFamilyIndices indices;
    for (uint32_t i = 0; i < families.size(); ++i) {
        const VkQueueFamilyProperties& family = families[i];
        if (family.queueCount > 0 && (family.queueFlags & VK_QUEUE_GRAPHICS_BIT) != 0) {
            indices.graphicsFamily = i;
            indices.graphicsFamilyHasValue = true;
        }
        const bool present = presentSupported(i);
        if (family.queueCount > 0 && present) {
            indices.presentFamily = i;
            indices.presentFamilyHasValue = true;
        }
        if (indices.isComplete()) {
            break;
        }
    }
    return indices;
}

bool extensionsSupported(const std::vector<const char*>& wanted,
                         const std::vector<VkExtensionProperties>& available) {
    std::set<std::string> missing(wanted.begin(), wanted.end());
    for (const VkExtensionProperties& extension : available) {
        missing.erase(std::string(extension.extensionName,
                                  strnlen(extension.extensionName, VK_MAX_EXTENSION_NAME_SIZE)));
    }
    return missing.empty();
}

bool isDeviceSuitable(const QueueFamilyIndices& indices, bool deviceExtensionsOk,
                      const std::function<bool()>& swapChainAdequate, bool samplerAnisotropy) {
    const bool adequate = deviceExtensionsOk && swapChainAdequate();
    return indices.isComplete() && deviceExtensionsOk && adequate && samplerAnisotropy;
}

std::vector<uint32_t> distinctQueueFamilies(const QueueFamilyIndices& indices) {
    std::set<uint32_t> unique{indices.graphicsFamily, indices.presentFamily};
    return {unique.begin(), unique.end()};
}

std::optional<uint32_t> findMemoryTypeIndex(const VkPhysicalDeviceMemoryProperties& properties,
                                            uint32_t typeFilter, VkMemoryPropertyFlags wanted) {
    for (uint32_t i = 0; i < properties.memoryTypeCount && i < 32; ++i) {
        if ((typeFilter & (1u << i)) != 0 &&
            (properties.memoryTypes[i].propertyFlags & wanted) == wanted) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace orv
