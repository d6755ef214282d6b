#include "vulkan/device_choices.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace orv {
namespace {

VkQueueFamilyProperties family(VkQueueFlags flags, uint32_t queueCount = 1) {
    VkQueueFamilyProperties properties{};
    properties.queueFlags = flags;
    properties.queueCount = queueCount;
    return properties;
}

constexpr VkQueueFlags kGraphics = VK_QUEUE_GRAPHICS_BIT | VK_QUEUE_COMPUTE_BIT;
constexpr VkQueueFlags kTransfer = VK_QUEUE_TRANSFER_BIT;

struct WalkCase {
    const char* name;
    std::vector<VkQueueFamilyProperties> families;
    std::vector<uint32_t> presentable;
    std::optional<uint32_t> graphics;
    std::optional<uint32_t> present;
    std::vector<uint32_t> asked;
};

const WalkCase kWalkCases[] = {
    {"0 graphics only, 1 graphics and present", {family(kGraphics), family(kGraphics)}, {1}, 1u, 1u,
     {0, 1}},
    {"0 graphics only, 1 present only", {family(kGraphics), family(kTransfer)}, {1}, 0u, 1u, {0, 1}},
    {"first family does both: stop there", {family(kGraphics), family(kGraphics), family(kGraphics)},
     {0, 1, 2}, 0u, 0u, {0}},
    {"later graphics family overwrites until complete",
     {family(kGraphics), family(kGraphics), family(kTransfer), family(kGraphics)}, {2, 3}, 1u, 2u,
     {0, 1, 2}},
    {"empty graphics family skipped", {family(kGraphics, 0), family(kGraphics)}, {0, 1}, 1u, 1u,
     {0, 1}},
    {"empty presenting family skipped", {family(kGraphics), family(kTransfer, 0)}, {1}, 0u,
     std::nullopt, {0, 1}},
    {"no present anywhere", {family(kGraphics), family(kGraphics)}, {}, 1u, std::nullopt, {0, 1}},
    {"no graphics anywhere", {family(kTransfer), family(VK_QUEUE_COMPUTE_BIT)}, {0, 1}, std::nullopt,
     1u, {0, 1}},
    {"no families", {}, {}, std::nullopt, std::nullopt, {}},
};

TEST(WalkQueueFamilies, PicksFamiliesAndStopsWhenComplete) {
    for (const WalkCase& c : kWalkCases) {
        SCOPED_TRACE(c.name);
        std::vector<uint32_t> asked;
        const QueueFamilyIndices indices = walkQueueFamilies(c.families, [&](uint32_t i) {
            asked.push_back(i);
            return std::find(c.presentable.begin(), c.presentable.end(), i) != c.presentable.end();
        });
        EXPECT_EQ(indices.graphicsFamilyHasValue, c.graphics.has_value());
        if (c.graphics) {
            EXPECT_EQ(indices.graphicsFamily, *c.graphics);
        }
        EXPECT_EQ(indices.presentFamilyHasValue, c.present.has_value());
        if (c.present) {
            EXPECT_EQ(indices.presentFamily, *c.present);
        }
        EXPECT_EQ(indices.isComplete(), c.graphics.has_value() && c.present.has_value());
        EXPECT_EQ(asked, c.asked);
    }
}

QueueFamilyIndices indicesOf(uint32_t graphics, uint32_t present, bool complete = true) {
    QueueFamilyIndices indices;
    indices.graphicsFamily = graphics;
    indices.presentFamily = present;
    indices.graphicsFamilyHasValue = true;
    indices.presentFamilyHasValue = complete;
    return indices;
}

TEST(IsDeviceSuitable, EveryConditionCounts) {
    struct Case {
        const char* name;
        bool complete, extensionsOk, swapChainOk, anisotropy, suitable;
    };
    const Case cases[] = {
        {"all met", true, true, true, true, true},
        {"incomplete queues", false, true, true, true, false},
        {"missing extensions", true, false, true, true, false},
        {"inadequate swap chain", true, true, false, true, false},
        {"no sampler anisotropy", true, true, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int asked = 0;
        const bool suitable = isDeviceSuitable(indicesOf(0, 0, c.complete), c.extensionsOk,
                                               [&] {
                                                   ++asked;
                                                   return c.swapChainOk;
                                               },
                                               c.anisotropy);
        EXPECT_EQ(suitable, c.suitable);
        // Swap-chain support can only be queried once the swapchain extension is known.
        if (!c.extensionsOk) {
            EXPECT_EQ(asked, 0);
        }
    }
}

VkExtensionProperties extension(const char* name) {
    VkExtensionProperties properties{};
    std::strncpy(properties.extensionName, name, VK_MAX_EXTENSION_NAME_SIZE - 1);
    properties.specVersion = 1;
    return properties;
}

TEST(ExtensionsSupported, NeedsEveryWantedNameExactly) {
    const std::vector<const char*> swapchain{VK_KHR_SWAPCHAIN_EXTENSION_NAME};
    struct Case {
        const char* name;
        std::vector<const char*> wanted;
        std::vector<VkExtensionProperties> available;
        bool supported;
    };
    const Case cases[] = {
        {"present among others", swapchain,
         {extension("VK_KHR_maintenance1"), extension(VK_KHR_SWAPCHAIN_EXTENSION_NAME)}, true},
        {"absent", swapchain, {extension("VK_KHR_maintenance1")}, false},
        {"nothing available", swapchain, {}, false},
        {"only a longer name sharing the prefix", swapchain,
         {extension("VK_KHR_swapchain_mutable_format")}, false},
        {"one of two missing", {VK_KHR_SWAPCHAIN_EXTENSION_NAME, "VK_KHR_maintenance1"},
         {extension(VK_KHR_SWAPCHAIN_EXTENSION_NAME)}, false},
        {"nothing wanted", {}, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(extensionsSupported(c.wanted, c.available), c.supported);
    }
}

TEST(DistinctQueueFamilies, OneEntryPerFamilyAscending) {
    EXPECT_EQ(distinctQueueFamilies(indicesOf(1, 1)), (std::vector<uint32_t>{1}));
    EXPECT_EQ(distinctQueueFamilies(indicesOf(2, 0)), (std::vector<uint32_t>{0, 2}));
    EXPECT_EQ(distinctQueueFamilies(indicesOf(0, 3)), (std::vector<uint32_t>{0, 3}));
}

TEST(FindMemoryTypeIndex, LowestAllowedTypeHoldingAllProperties) {
    constexpr VkMemoryPropertyFlags kDevice = VK_MEMORY_PROPERTY_DEVICE_LOCAL_BIT;
    constexpr VkMemoryPropertyFlags kVisible = VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT;
    constexpr VkMemoryPropertyFlags kCoherent = VK_MEMORY_PROPERTY_HOST_COHERENT_BIT;
    VkPhysicalDeviceMemoryProperties properties{};
    properties.memoryTypeCount = 4;
    properties.memoryTypes[0].propertyFlags = kDevice;
    properties.memoryTypes[1].propertyFlags = kVisible | kCoherent;
    properties.memoryTypes[2].propertyFlags = kVisible;
    properties.memoryTypes[3].propertyFlags = kDevice | kVisible | kCoherent;
    // Past memoryTypeCount: whatever sits there must never be picked.
    properties.memoryTypes[5].propertyFlags = kDevice | kVisible | kCoherent;

    struct Case {
        uint32_t filter;
        VkMemoryPropertyFlags wanted;
        std::optional<uint32_t> index;
    };
    const Case cases[] = {
        {0x0, 0, std::nullopt},
        {0x0, kDevice, std::nullopt},
        {0xF, 0, 0u},
        {0xC, 0, 2u},
        {0xF, kVisible | kCoherent, 1u},
        {0xD, kVisible | kCoherent, 3u},
        {0x4, kVisible, 2u},
        {0x4, kVisible | kCoherent, std::nullopt},
        {0xF, kDevice | kVisible, 3u},
        {0x20, 0, std::nullopt},
        {0x30, kVisible, std::nullopt},
        {0xFFFFFFFF, VK_MEMORY_PROPERTY_LAZILY_ALLOCATED_BIT, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "filter 0x" << std::hex << c.filter << " wanted 0x"
                                        << c.wanted);
        EXPECT_EQ(findMemoryTypeIndex(properties, c.filter, c.wanted), c.index);
    }

    // The top bit of the filter is a real type when the device has all 32.
    properties.memoryTypeCount = VK_MAX_MEMORY_TYPES;
    properties.memoryTypes[31].propertyFlags = VK_MEMORY_PROPERTY_PROTECTED_BIT;
    EXPECT_EQ(findMemoryTypeIndex(properties, 0x80000000u, 0), std::optional<uint32_t>(31));
    EXPECT_EQ(findMemoryTypeIndex(properties, 0x80000020u, VK_MEMORY_PROPERTY_PROTECTED_BIT),
              std::optional<uint32_t>(31));
}

}  // namespace
}  // namespace orv
