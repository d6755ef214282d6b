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

namespace {

std::vector<const char*> requiredWindowExtensions() {
    uint32_t count = 0;
    const char** names = glfwGetRequiredInstanceExtensions(&count);
    if (names == nullptr) {
        return {};
    }
    return {names, names + count};
}

}  // namespace

OrvDevice::OrvDevice(OrvWindow& w) : window{w} {
    try {
        createInstance();
        window.createSurface(instance, &surface);
        selectPhysicalDevice();
        createLogicalDevice();
        createCommandPool();
    } catch (...) {
        release();
        throw;
    }
}

OrvDevice::~OrvDevice() {
    release();
}

void OrvDevice::release() noexcept {
    if (commandPool != VK_NULL_HANDLE) {
        vkDestroyCommandPool(device, commandPool, nullptr);
        commandPool = VK_NULL_HANDLE;
    }
    if (device != VK_NULL_HANDLE) {
        vkDestroyDevice(device, nullptr);
        device = VK_NULL_HANDLE;
    }
    if (enableValidationLayers && instance != VK_NULL_HANDLE) {
        auto destroyMessenger = reinterpret_cast<PFN_vkDestroyDebugUtilsMessengerEXT>(
            vkGetInstanceProcAddr(instance, "vkDestroyDebugUtilsMessengerEXT"));
        if (destroyMessenger != nullptr && debugMessenger != VK_NULL_HANDLE) {
            destroyMessenger(instance, debugMessenger, nullptr);
            debugMessenger = VK_NULL_HANDLE;
        }
    }
    if (surface != VK_NULL_HANDLE) {
        vkDestroySurfaceKHR(instance, surface, nullptr);
        surface = VK_NULL_HANDLE;
    }
    if (instance != VK_NULL_HANDLE) {
        vkDestroyInstance(instance, nullptr);
        instance = VK_NULL_HANDLE;
    }
}

void OrvDevice::createInstance() {
    if (enableValidationLayers && !validationLayersAvailable()) {
        throw std::runtime_error("validation layers requested, but not available!");
    }

    VkApplicationInfo appInfo{};
    appInfo.sType = VK_STRUCTURE_TYPE_APPLICATION_INFO;
    appInfo.pApplicationName = "Qel App";
    appInfo.applicationVersion = VK_MAKE_VERSION(1, 0, 0);
    appInfo.pEngineName = "No Engine";
    appInfo.engineVersion = VK_MAKE_VERSION(1, 0, 0);
    appInfo.apiVersion = VK_API_VERSION_1_0;

    const std::vector<const char*> extensions = requiredWindowExtensions();
    for (const char* name : extensions) {
        std::cout << name << "\n";
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

    VkDebugUtilsMessengerCreateInfoEXT debugInfo{};
    if (enableValidationLayers) {
        createInfo.enabledLayerCount = static_cast<uint32_t>(validationLayers.size());
        createInfo.ppEnabledLayerNames = validationLayers.data();
        debugInfo.sType = VK_STRUCTURE_TYPE_DEBUG_UTILS_MESSENGER_CREATE_INFO_EXT;
        debugInfo.messageSeverity = VK_DEBUG_UTILS_MESSAGE_SEVERITY_VERBOSE_BIT_EXT |
                                    VK_DEBUG_UTILS_MESSAGE_SEVERITY_WARNING_BIT_EXT |
                                    VK_DEBUG_UTILS_MESSAGE_SEVERITY_ERROR_BIT_EXT;
        debugInfo.messageType = VK_DEBUG_UTILS_MESSAGE_TYPE_GENERAL_BIT_EXT |
                                VK_DEBUG_UTILS_MESSAGE_TYPE_VALIDATION_BIT_EXT |
                                VK_DEBUG_UTILS_MESSAGE_TYPE_PERFORMANCE_BIT_EXT;
        debugInfo.pfnUserCallback = debugCallback;
        createInfo.pNext = &debugInfo;
    }

    const VkResult result = vkCreateInstance(&createInfo, nullptr, &instance);
    if (result != VK_SUCCESS) {
        instance = VK_NULL_HANDLE;
        printVkResult(result);
        throw vkError("failed to create instance!", result);
    }
    checkRequiredInstanceExtensions();
}

VKAPI_ATTR VkBool32 VKAPI_CALL OrvDevice::debugCallback(
    VkDebugUtilsMessageSeverityFlagBitsEXT, VkDebugUtilsMessageTypeFlagsEXT,
    const VkDebugUtilsMessengerCallbackDataEXT* callbackData, void*) {
    std::cerr << "validation layer: " << callbackData->pMessage << std::endl;
    return VK_FALSE;
}

bool OrvDevice::validationLayersAvailable() const {
    uint32_t count = 0;
    vkCheck(vkEnumerateInstanceLayerProperties(&count, nullptr), "failed to enumerate instance layers!");
    std::vector<VkLayerProperties> layers(count);
    vkCheck(vkEnumerateInstanceLayerProperties(&count, layers.data()), "failed to enumerate instance layers!");
    layers.resize(count);

    std::cout << "\nAvailable Validation Layers\n";
    for (const VkLayerProperties& layer : layers) {
        std::cout << "    " << layer.layerName << "\n";
    }
    std::cout << "\n";

    for (const char* wanted : validationLayers) {
        bool found = false;
        for (const VkLayerProperties& layer : layers) {
            if (std::strcmp(wanted, layer.layerName) == 0) {
                found = true;
                break;
            }
        }
        if (!found) {
            return false;
        }
    }
    return true;
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

    std::cout << "required extensions:\n";
    const std::vector<const char*> required = requiredWindowExtensions();
    setReportKey("requiredExtensions", nlohmann::json(std::vector<std::string>(required.begin(), required.end())));
    for (const char* name : required) {
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
                const SwapChainSupportDetails support = querySwapChainSupport(candidate);
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

SwapChainSupportDetails OrvDevice::querySwapChainSupport(VkPhysicalDevice candidate) const {
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
    createInfo.ppEnabledExtensionNames = deviceExtensions.data();
    if (enableValidationLayers) {
        createInfo.enabledLayerCount = static_cast<uint32_t>(validationLayers.size());
        createInfo.ppEnabledLayerNames = validationLayers.data();
    }

    const VkResult result = vkCreateDevice(physicalDevice, &createInfo, nullptr, &device);
    if (result != VK_SUCCESS) {
        device = VK_NULL_HANDLE;
        throw vkError("failed to create logical device!", result);
    }
    vkGetDeviceQueue(device, indices.graphicsFamily, 0, &graphicsQueue);
    vkGetDeviceQueue(device, indices.presentFamily, 0, &presentQueue);
}

void OrvDevice::createCommandPool() {
    const QueueFamilyIndices indices = findQueueFamilies(physicalDevice);
    VkCommandPoolCreateInfo poolInfo{};
    poolInfo.sType = VK_STRUCTURE_TYPE_COMMAND_POOL_CREATE_INFO;
    poolInfo.queueFamilyIndex = indices.graphicsFamily;
    poolInfo.flags = VK_COMMAND_POOL_CREATE_TRANSIENT_BIT | VK_COMMAND_POOL_CREATE_RESET_COMMAND_BUFFER_BIT;
    const VkResult result = vkCreateCommandPool(device, &poolInfo, nullptr, &commandPool);
    if (result != VK_SUCCESS) {
        commandPool = VK_NULL_HANDLE;
        throw vkError("failed to create command pool!", result);
    }
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
