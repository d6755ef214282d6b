#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "diagnostics/device_report.hpp"
#include "vulkan/host_buffer.hpp"
#include "vulkan/one_time_commands.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/orv_queue.hpp"
#include "vulkan/orv_swap_chain.hpp"

namespace orv {
namespace {

// Runs on lavapipe with no display: nothing here may touch the window system.
TEST(OffscreenDevice, RunsCommandsWithoutASurface) {
    deviceReport() = nullptr;
    testing::internal::CaptureStdout();
    OrvDevice device;
    const std::string trace = testing::internal::GetCapturedStdout();

    EXPECT_EQ(device.getSurface(), VK_NULL_HANDLE);
    EXPECT_EQ(device.getPresentQueue(), device.getGraphicsQueue());
    EXPECT_EQ(trace.rfind("available extensions:\n", 0), 0u) << trace;
    EXPECT_EQ(trace.find("required extensions:"), std::string::npos) << trace;
    EXPECT_NE(trace.find("\nSelected Device:\n"), std::string::npos) << trace;
    EXPECT_FALSE(deviceReport().contains("requiredExtensions"));
    EXPECT_TRUE(deviceReport().contains("selectedDevice"));
    try {
        OrvSwapChain swapChain{device, device.getSurface(), {64, 64}};
        ADD_FAILURE() << "a swap chain was made without a surface";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "failed to create swap chain: there is no surface to present to");
    }

    OrvQueue queue{device.getDevice(), device.getGraphicsQueue(), device.getPresentQueue()};
    HostBuffer buffer{device, VK_BUFFER_USAGE_TRANSFER_DST_BIT, "test"};
    ASSERT_TRUE(buffer.reserve(256));
    std::memset(buffer.data(), 0, 256);
    {
        OneTimeCommands commands{device, queue};
        vkCmdFillBuffer(commands.buffer(), buffer.handle(), 64, 128, 0xA5A5A5A5u);
        commands.run();
    }
    const auto* bytes = static_cast<const unsigned char*>(buffer.data());
    for (size_t i = 0; i < 256; ++i) {
        ASSERT_EQ(bytes[i], i >= 64 && i < 192 ? 0xA5 : 0x00) << "byte " << i;
    }
}

TEST(OffscreenDevice, SurfaceRequestFailuresLeaveNothingBehind) {
    testing::internal::CaptureStdout();
    // The window system's extensions are enabled on the instance the callback receives.
    bool called = false;
    SurfaceRequest refusing{{}, [&](VkInstance instance) -> VkSurfaceKHR {
                                called = instance != VK_NULL_HANDLE;
                                throw std::runtime_error("no surface today");
                            }};
    EXPECT_THROW(
        {
            try {
                OrvDevice device{refusing};
            } catch (const std::runtime_error& e) {
                EXPECT_STREQ(e.what(), "no surface today");
                throw;
            }
        },
        std::runtime_error);
    EXPECT_TRUE(called);

    SurfaceRequest missing{{"VK_KHR_no_such_extension"}, [](VkInstance) -> VkSurfaceKHR { return VK_NULL_HANDLE; }};
    try {
        OrvDevice device{missing};
        ADD_FAILURE() << "an unknown instance extension was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "failed to create instance! (VK_ERROR_EXTENSION_NOT_PRESENT)");
    }
    testing::internal::GetCapturedStdout();
}

}  // namespace
}  // namespace orv
