#include "vulkan/orv_device.hpp"

#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "diagnostics/device_report.hpp"
#include "diagnostics/vk_result_names.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

OrvDevice::OrvDevice(std::optional<SurfaceRequest> surfaceRequest) : presents{surfaceRequest.has_value()} {
    if (presents) {
        windowExtensions = std::move(surfaceRequest->instanceExtensions);
        deviceExtensions.push_back(VK_KHR_SWAPCHAIN_EXTENSION_NAME);
    }
    createInstance();
    if (presents) {
        surface = VkHandle<VkSurfaceKHR>{instance, surfaceRequest->create(instance), vkDestroySurfaceKHR};
    }
    selectPhysicalDevice();
    createLogicalDevice();
    createCommandPool();
}

void OrvDevice::createInstance() {
    VkApplicationInfo appInfo{};
    appInfo.sType = VK_STRUCTURE_TYPE_APPLICATION_INFO;
    appInfo.pApplicationName = "Qel App";
    appInfo.applicationVersion = VK_MAKE_VERSION(1, 0, 0);
    appInfo.pEngineName = "No Engine";
    appInfo.engineVersion = VK_MAKE_VERSION(1, 0, 0);
    appInfo.apiVersion = VK_API_VERSION_1_0;

    std::vector<const char*> extensions;
    for (const std::string& name : windowExtensions) {
        std::cout << name << "\n";
        extensions.push_back(name.c_str());
    }
    std::cout.flush();

    VkInstanceCreateInfo createInfo{};
    createInfo.sType = VK_STRUCTURE_TYPE_INSTANCE_CREATE_INFO;
    // The portability flag is only valid with its extension enabled; the window system's
    // list names it where a portability driver needs it.
    for (const char* name : extensions) {
        if (std::strcmp(name, VK_KHR_PORTABILITY_ENUMERATION_EXTENSION_NAME) == 0) {
            createInfo.flags = VK_INSTANCE_CREATE_ENUMERATE_PORTABILITY_BIT_KHR;
        }
    }
    createInfo.pApplicationInfo = &appInfo;
    createInfo.enabledExtensionCount = static_cast<uint32_t>(extensions.size());
    createInfo.ppEnabledExtensionNames = extensions.data();

    VkInstance made = VK_NULL_HANDLE;
    const VkResult result = vkCreateInstance(&createInfo, nullptr, &made);
    if (result != VK_SUCCESS) {
        printVkResult(result);
        throw vkError("failed to create instance!", result);
    }
    instance = VkHandle<VkInstance>{made, vkDestroyInstance};
    checkRequiredInstanceExtensions();
}

void OrvDevice::checkRequiredInstanceExtensions() const {
    uint32_t count = 0;
    vkCheck(vkEnumerateInstanceExtensionProperties(nullptr, &count, nullptr),
            "failed to enumerate instance extensions!");
    std::vector<VkExtensionProperties> extensions(count);
    vkCheck(vkEnumerateInstanceExtensionProperties(nullptr, &count, extensions.data()),
            "failed to enumerate instance extensions!");
    extensions.resize(count);

    std::cout << "available extensions:\n";
    std::unordered_set<std::string> available;
    for (const VkExtensionProperties& extension : extensions) {
        std::cout << "\t" << extension.extensionName << "\n";
        available.insert(extension.extensionName);
    }
    setReportKey("availableExtensions", nlohmann::json(std::vector<std::string>(available.begin(), available.end())));

    // The required extensions are the window system's: nothing to list without a surface.
    if (!presents) {
        std::cout.flush();
        return;
    }
    std::cout << "required extensions:\n";
    setReportKey("requiredExtensions", nlohmann::json(windowExtensions));
    for (const std::string& name : windowExtensions) {
        std::cout << "\t" << name << "\n";
        if (available.count(name) == 0) {
            std::cout.flush();
            throw std::runtime_error("Missing required glfw extension");
        }
    }
    std::cout.flush();
}

void OrvDevice::selectPhysicalDevice() {
    uint32_t count = 0;
    vkCheck(vkEnumeratePhysicalDevices(instance, &count, nullptr), "failed to enumerate GPUs!");
    if (count == 0) {
        throw std::runtime_error("failed to find GPUs with Vulkan support!");
    }
    setReportKey("deviceCount", count);
    std::cout << "Device count: " << count << "\n";

    std::vector<VkPhysicalDevice> devices(count);
    vkCheck(vkEnumeratePhysicalDevices(instance, &count, devices.data()), "failed to enumerate GPUs!");
    devices.resize(count);

    std::cout << "\nDetected Devices:\n";
    nlohmann::json detected = nlohmann::json::array();
    for (VkPhysicalDevice candidate : devices) {
        detected.push_back(describeDevice(candidate));
    }
    setReportKey("detectedDevices", std::move(detected));

    for (VkPhysicalDevice candidate : devices) {
        const QueueFamilyIndices indices = findQueueFamilies(candidate);
        const bool extensionsOk = deviceExtensionsSupported(candidate);
        VkPhysicalDeviceFeatures features{};
        vkGetPhysicalDeviceFeatures(candidate, &features);
        const bool suitable = isDeviceSuitable(
            indices, extensionsOk,
            [&] {
                if (!presents) {
                    return true;
                }
                const SwapChainSupportDetails support = querySwapChainSupport(candidate, surface);
                return !support.formats.empty() && !support.presentModes.empty();
            },
            features.samplerAnisotropy == VK_TRUE);
        if (suitable) {
            physicalDevice = candidate;
            std::cout << "\nSelected Device:\n";
            setReportKey("selectedDevice", describeDevice(candidate));
            std::cout.flush();
            return;
        }
    }
    std::cout.flush();
    throw std::runtime_error("failed to find a suitable GPU!");
}

QueueFamilyIndices OrvDevice::findQueueFamilies(VkPhysicalDevice candidate) const {
    uint32_t count = 0;
    vkGetPhysicalDeviceQueueFamilyProperties(candidate, &count, nullptr);
    std::vector<VkQueueFamilyProperties> families(count);
    vkGetPhysicalDeviceQueueFamilyProperties(candidate, &count, families.data());
    families.resize(count);
    return walkQueueFamilies(families, [&](uint32_t index) {
        // Without a surface the graphics queue stands in for the present queue.
        if (!presents) {
            return (families[index].queueFlags & VK_QUEUE_GRAPHICS_BIT) != 0;
        }
        VkBool32 supported = VK_FALSE;
        vkCheck(vkGetPhysicalDeviceSurfaceSupportKHR(candidate, index, surface, &supported),
                "failed to query surface support!");
        return supported == VK_TRUE;
    });
}

bool OrvDevice::deviceExtensionsSupported(VkPhysicalDevice candidate) const {
    uint32_t count = 0;
    vkCheck(vkEnumerateDeviceExtensionProperties(candidate, nullptr, &count, nullptr),
            "failed to enumerate device extensions!");
    std::vector<VkExtensionProperties> available(count);
    vkCheck(vkEnumerateDeviceExtensionProperties(candidate, nullptr, &count, available.data()),
            "failed to enumerate device extensions!");
    available.resize(count);
    return extensionsSupported(deviceExtensions, available);
}

SwapChainSupportDetails OrvDevice::querySwapChainSupport(VkPhysicalDevice candidate, VkSurfaceKHR surface) {
    SwapChainSupportDetails details;
    const char* failed = "failed to query swap chain support!";
    vkCheck(vkGetPhysicalDeviceSurfaceCapabilitiesKHR(candidate, surface, &details.capabilities), failed);

    uint32_t formatCount = 0;
    vkCheck(vkGetPhysicalDeviceSurfaceFormatsKHR(candidate, surface, &formatCount, nullptr), failed);
    if (formatCount != 0) {
        details.formats.resize(formatCount);
        vkCheck(vkGetPhysicalDeviceSurfaceFormatsKHR(candidate, surface, &formatCount, details.formats.data()), failed);
        details.formats.resize(formatCount);
    }
    uint32_t modeCount = 0;
    vkCheck(vkGetPhysicalDeviceSurfacePresentModesKHR(candidate, surface, &modeCount, nullptr), failed);
    if (modeCount != 0) {
        details.presentModes.resize(modeCount);
        vkCheck(vkGetPhysicalDeviceSurfacePresentModesKHR(candidate, surface, &modeCount, details.presentModes.data()),
                failed);
        details.presentModes.resize(modeCount);
    }
    return details;
}

void OrvDevice::createLogicalDevice() {
    const QueueFamilyIndices indices = findQueueFamilies(physicalDevice);
    const float priority = 1.0f;
    std::vector<VkDeviceQueueCreateInfo> queueInfos;
    for (uint32_t family : distinctQueueFamilies(indices)) {
        VkDeviceQueueCreateInfo queueInfo{};
        queueInfo.sType = VK_STRUCTURE_TYPE_DEVICE_QUEUE_CREATE_INFO;
        queueInfo.queueFamilyIndex = family;
        queueInfo.queueCount = 1;
        queueInfo.pQueuePriorities = &priority;
        queueInfos.push_back(queueInfo);
    }

    VkPhysicalDeviceFeatures features{};
    features.samplerAnisotropy = VK_TRUE;

    VkDeviceCreateInfo createInfo{};
    createInfo.sType = VK_STRUCTURE_TYPE_DEVICE_CREATE_INFO;
    createInfo.queueCreateInfoCount = static_cast<uint32_t>(queueInfos.size());
    createInfo.pQueueCreateInfos = queueInfos.data();
    createInfo.pEnabledFeatures = &features;
    createInfo.enabledExtensionCount = static_cast<uint32_t>(deviceExtensions.size());
    createInfo.ppEnabledExtensionNames = deviceExtensions.empty() ? nullptr : deviceExtensions.data();

    VkDevice made = VK_NULL_HANDLE;
    const VkResult result = vkCreateDevice(physicalDevice, &createInfo, nullptr, &made);
    if (result != VK_SUCCESS) {
        throw vkError("failed to create logical device!", result);
    }
    device = VkHandle<VkDevice>{made, vkDestroyDevice};
    vkGetDeviceQueue(device, indices.graphicsFamily, 0, &graphicsQueue);
    vkGetDeviceQueue(device, indices.presentFamily, 0, &presentQueue);
}

void OrvDevice::createCommandPool() {
    const QueueFamilyIndices indices = findQueueFamilies(physicalDevice);
    VkCommandPoolCreateInfo poolInfo{};
    poolInfo.sType = VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO;
    poolInfo.queueFamilyIndex = indices.graphicsFamily;
    poolInfo.flags = VK_COMMAND_POOL_CREATE_TRANSIENT_BIT | VK_COMMAND_POOL_CREATE_RESET_COMMAND_BUFFER_BIT;
    VkCommandPool pool = VK_NULL_HANDLE;
    const VkResult result = vkCreateCommandPool(device, &poolInfo, nullptr, &pool);
    if (result != VK_SUCCESS) {
        throw vkError("failed to create command pool!", result);
    }
    commandPool = VkHandle<VkCommandPool>{device, pool, vkDestroyCommandPool};
}

uint32_t OrvDevice::findMemoryType(uint32_t typeFilter, VkMemoryPropertyFlags properties) const {
    VkPhysicalDeviceMemoryProperties memoryProperties;
    vkGetPhysicalDeviceMemoryProperties(physicalDevice, &memoryProperties);
    const std::optional<uint32_t> index = findMemoryTypeIndex(memoryProperties, typeFilter, properties);
    if (!index) {
        throw std::runtime_error("failed to find suitable memory type!");
    }
    return *index;
}

}  // namespace orv
