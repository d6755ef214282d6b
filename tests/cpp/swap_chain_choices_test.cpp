#include "vulkan/swap_chain_choices.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace orv {
namespace {

TEST(ChooseSwapSurfaceFormat, PrefersUnormWithSrgbNonlinear) {
    constexpr VkColorSpaceKHR kNonlinear = VK_COLOR_SPACE_SRGB_NONLINEAR_KHR;
    constexpr VkColorSpaceKHR kOther = VK_COLOR_SPACE_EXTENDED_SRGB_LINEAR_EXT;
    const VkSurfaceFormatKHR srgb{VK_FORMAT_B8G8R8A8_SRGB, kNonlinear};
    const VkSurfaceFormatKHR unorm{VK_FORMAT_B8G8R8A8_UNORM, kNonlinear};
    const VkSurfaceFormatKHR unormOther{VK_FORMAT_B8G8R8A8_UNORM, kOther};
    const VkSurfaceFormatKHR rgba{VK_FORMAT_R8G8B8A8_UNORM, kNonlinear};
    struct Case {
        const char* name;
        std::vector<VkSurfaceFormatKHR> formats;
        VkSurfaceFormatKHR chosen;
    };
    const Case cases[] = {
        {"only sRGB", {srgb}, srgb},
        {"wanted entry last", {srgb, rgba, unorm}, unorm},
        {"wanted entry first", {unorm, srgb}, unorm},
        {"wanted after same format in another colour space", {unormOther, unorm}, unorm},
        {"same format in another colour space does not count", {unormOther, rgba}, unormOther},
        {"nothing wanted: first entry", {rgba, unormOther, srgb}, rgba},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const VkSurfaceFormatKHR chosen = chooseSwapSurfaceFormat(c.formats);
        EXPECT_EQ(chosen.format, c.chosen.format);
        EXPECT_EQ(chosen.colorSpace, c.chosen.colorSpace);
    }
    EXPECT_THROW(chooseSwapSurfaceFormat({}), std::runtime_error);
}

TEST(ChooseSwapExtent, ClampsFramebufferSizeIntoLimits) {
    VkSurfaceCapabilitiesKHR capabilities{};
    capabilities.minImageExtent = {100, 50};
    capabilities.maxImageExtent = {1000, 800};
    struct Case {
        int width, height;
        uint32_t expectedWidth, expectedHeight;
    };
    const Case cases[] = {
        {640, 480, 640, 480},   {2000, 900, 1000, 800}, {10, 20, 100, 50},
        {2000, 10, 1000, 50},   {10, 900, 100, 800},    {1000, 50, 1000, 50},
        {100, 800, 100, 800},   {0, 0, 100, 50},        {-5, -1, 100, 50},
        {-2147483647 - 1, 480, 100, 480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "framebuffer " << c.width << "x" << c.height);
        const VkExtent2D extent = chooseSwapExtent(capabilities, c.width, c.height);
        EXPECT_EQ(extent.width, c.expectedWidth);
        EXPECT_EQ(extent.height, c.expectedHeight);
    }
}

TEST(ChooseImageCount, OneMoreThanMinimumUnlessCapped) {
    struct Case {
        uint32_t minimum, maximum, count;
    };
    const Case cases[] = {{2, 0, 3}, {3, 3, 3}, {2, 4, 3}, {1, 1, 1}, {2, 3, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "min " << c.minimum << " max " << c.maximum);
        VkSurfaceCapabilitiesKHR capabilities{};
        capabilities.minImageCount = c.minimum;
        capabilities.maxImageCount = c.maximum;
        EXPECT_EQ(chooseImageCount(capabilities), c.count);
    }
}

TEST(ChooseSharingMode, ConcurrentOnlyAcrossFamiliesGraphicsFirst) {
    struct Case {
        uint32_t graphics, present;
        VkSharingMode mode;
        std::vector<uint32_t> families;
    };
    const Case cases[] = {
        {0, 0, VK_SHARING_MODE_EXCLUSIVE, {}},
        {3, 3, VK_SHARING_MODE_EXCLUSIVE, {}},
        {0, 1, VK_SHARING_MODE_CONCURRENT, {0, 1}},
        {2, 0, VK_SHARING_MODE_CONCURRENT, {2, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "graphics " << c.graphics << " present " << c.present);
        QueueFamilyIndices indices;
        indices.graphicsFamily = c.graphics;
        indices.presentFamily = c.present;
        indices.graphicsFamilyHasValue = indices.presentFamilyHasValue = true;
        const SharingChoice choice = chooseSharingMode(indices);
        EXPECT_EQ(choice.mode, c.mode);
        EXPECT_EQ(choice.queueFamilies, c.families);
    }
}

TEST(ChoosePresentMode, VsyncIsFifoElseImmediateThenMailbox) {
    constexpr VkPresentModeKHR kFifo = VK_PRESENT_MODE_FIFO_KHR;
    constexpr VkPresentModeKHR kMailbox = VK_PRESENT_MODE_MAILBOX_KHR;
    constexpr VkPresentModeKHR kImmediate = VK_PRESENT_MODE_IMMEDIATE_KHR;
    constexpr VkPresentModeKHR kRelaxed = VK_PRESENT_MODE_FIFO_RELAXED_KHR;
    struct Case {
        const char* name;
        std::vector<VkPresentModeKHR> available;
        VkPresentModeKHR withoutVsync;
    };
    const Case cases[] = {
        {"all three", {kFifo, kMailbox, kImmediate}, kImmediate},
        {"immediate listed last still first", {kMailbox, kRelaxed, kFifo, kImmediate}, kImmediate},
        {"no immediate", {kFifo, kMailbox}, kMailbox},
        {"only fifo and relaxed", {kRelaxed, kFifo}, kFifo},
        {"nothing listed", {}, kFifo},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(choosePresentMode(c.available, false), c.withoutVsync);
        EXPECT_EQ(choosePresentMode(c.available, true), kFifo);
    }
}

}  // namespace
}  // namespace orv
