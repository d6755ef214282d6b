#pragma once
// Instance, surface, GPU choice, logical device with its queues, and the command pool.

#include <vulkan/vulkan.h>

#include <vector>

#include "platform/orv_window.hpp"
#include "vulkan/device_choices.hpp"

namespace orv {

class OrvDevice {
public:
    explicit OrvDevice(OrvWindow& window);
    ~OrvDevice();

    OrvDevice(const OrvDevice&) = delete;
    OrvDevice& operator=(const OrvDevice&) = delete;

    VkDevice getDevice() const { return device; }
    VkPhysicalDevice getPhysicalDevice() const { return physicalDevice; }
    VkSurfaceKHR getSurface() const { return surface; }
    VkCommandPool getCommandPool() const { return commandPool; }
    VkQueue getGraphicsQueue() const { return graphicsQueue; }
    VkQueue getPresentQueue() const { return presentQueue; }

    QueueFamilyIndices findQueueFamilies(VkPhysicalDevice candidate) const;
    SwapChainSupportDetails querySwapChainSupport(VkPhysicalDevice candidate) const;
    uint32_t findMemoryType(uint32_t typeFilter, VkMemoryPropertyFlags properties) const;

private:
    void createInstance();
    bool validationLayersAvailable() const;
    void checkRequiredInstanceExtensions() const;
    void selectPhysicalDevice();
    bool deviceExtensionsSupported(VkPhysicalDevice candidate) const;
    void createLogicalDevice();
    void createCommandPool();
    void release() noexcept;

    static VKAPI_ATTR VkBool32 VKAPI_CALL debugCallback(
        VkDebugUtilsMessageSeverityFlagBitsEXT messageSeverity,
        VkDebugUtilsMessageTypeFlagsEXT messageTypes,
        const VkDebugUtilsMessengerCallbackDataEXT* callbackData, void* userData);

    // Validation is switched on from outside (VK_INSTANCE_LAYERS), never by the engine.
    bool enableValidationLayers = false;
    VkInstance instance = VK_NULL_HANDLE;
    VkDebugUtilsMessengerEXT debugMessenger = VK_NULL_HANDLE;
    VkPhysicalDevice physicalDevice = VK_NULL_HANDLE;
    OrvWindow& window;
    VkCommandPool commandPool = VK_NULL_HANDLE;
    VkDevice device = VK_NULL_HANDLE;
    VkSurfaceKHR surface = VK_NULL_HANDLE;
    VkQueue graphicsQueue = VK_NULL_HANDLE;
    VkQueue presentQueue = VK_NULL_HANDLE;
    std::vector<const char*> validationLayers;
    std::vector<const char*> deviceExtensions{VK_KHR_SWAPCHAIN_EXTENSION_NAME};
};

}  // namespace orv
