#pragma once
// Instance, surface (when there is one), GPU choice, logical device with its queues, and the
// command pool.

#include <vulkan/vulkan.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "vulkan/device_choices.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

// What the window system needs for the device to present to it.
struct SurfaceRequest {
    // Instance extensions the window system requires.
    std::vector<std::string> instanceExtensions;
    // Makes the surface for the new instance; the device destroys it. Throws on failure.
    std::function<VkSurfaceKHR(VkInstance)> create;
};

class OrvDevice {
public:
    // Without a surface the device only draws into its own images: it needs no window system
    // extensions, uses the graphics queue as its present queue, and has no swap chain.
    explicit OrvDevice(std::optional<SurfaceRequest> surfaceRequest = std::nullopt);

    OrvDevice(const OrvDevice&) = delete;
    OrvDevice& operator=(const OrvDevice&) = delete;

    VkDevice getDevice() const { return device; }
    VkPhysicalDevice getPhysicalDevice() const { return physicalDevice; }
    // VK_NULL_HANDLE without a surface.
    VkSurfaceKHR getSurface() const { return surface; }
    VkCommandPool getCommandPool() const { return commandPool; }
    VkQueue getGraphicsQueue() const { return graphicsQueue; }
    VkQueue getPresentQueue() const { return presentQueue; }

    QueueFamilyIndices findQueueFamilies(VkPhysicalDevice candidate) const;
    // What `surface` offers on `candidate`.
    static SwapChainSupportDetails querySwapChainSupport(VkPhysicalDevice candidate, VkSurfaceKHR surface);
    uint32_t findMemoryType(uint32_t typeFilter, VkMemoryPropertyFlags properties) const;

private:
    void createInstance();
    void checkRequiredInstanceExtensions() const;
    void selectPhysicalDevice();
    bool deviceExtensionsSupported(VkPhysicalDevice candidate) const;
    void createLogicalDevice();
    void createCommandPool();

    std::vector<std::string> windowExtensions;
    bool presents;
    // Destroyed in reverse: the pool, the device, the surface, then the instance.
    VkHandle<VkInstance> instance;
    VkHandle<VkSurfaceKHR> surface;
    VkPhysicalDevice physicalDevice = VK_NULL_HANDLE;
    VkHandle<VkDevice> device;
    VkHandle<VkCommandPool> commandPool;
    VkQueue graphicsQueue = VK_NULL_HANDLE;
    VkQueue presentQueue = VK_NULL_HANDLE;
    std::vector<const char*> deviceExtensions;
};

}  // namespace orv
