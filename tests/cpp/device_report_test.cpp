#include "diagnostics/device_report.hpp"
#include "diagnostics/vk_result_names.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace orv {
namespace {

using nlohmann::json;

// Counts flushes so tests can tell a flushing writer from a buffering one.
class CountingBuf : public std::stringbuf {
public:
    int syncs = 0;

protected:
    int sync() override {
        ++syncs;
        return std::stringbuf::sync();
    }
};

const std::vector<std::string> kSizeKeys = {
    "bufferImageGranularity",          "sparseAddressSpaceSize",          "minMemoryMapAlignment",
    "minTexelBufferOffsetAlignment",   "minUniformBufferOffsetAlignment", "minStorageBufferOffsetAlignment",
    "optimalBufferCopyOffsetAlignment", "optimalBufferCopyRowPitchAlignment", "nonCoherentAtomSize"};
const std::vector<std::string> kSignedKeys = {"minTexelOffset", "minTexelGatherOffset"};
const std::vector<std::string> kFloatKeys = {"maxSamplerLodBias",      "maxSamplerAnisotropy", "minInterpolationOffset",
                                             "maxInterpolationOffset", "timestampPeriod",      "pointSizeGranularity",
                                             "lineWidthGranularity"};
const std::vector<std::string> kBoolKeys = {"timestampComputeAndGraphics", "strictLines", "standardSampleLocations"};
const std::vector<std::string> kSampleKeys = {
    "framebufferColorSampleCounts",    "framebufferDepthSampleCounts",  "framebufferStencilSampleCounts",
    "framebufferNoAttachmentsSampleCounts", "sampledImageColorSampleCounts", "sampledImageIntegerSampleCounts",
    "sampledImageDepthSampleCounts",   "sampledImageStencilSampleCounts", "storageImageSampleCounts"};
const std::vector<std::string> kUint3Keys = {"maxComputeWorkGroupCount", "maxComputeWorkGroupSize"};
const std::vector<std::string> kUint2Keys = {"maxViewportDimensions"};
const std::vector<std::string> kFloat2Keys = {"viewportBoundsRange", "pointSizeRange", "lineWidthRange"};
const std::vector<std::string> kUintKeys = {
    "maxImageDimension1D", "maxImageDimension2D", "maxImageDimension3D", "maxImageDimensionCube",
    "maxImageArrayLayers", "maxTexelBufferElements", "maxUniformBufferRange", "maxStorageBufferRange",
    "maxPushConstantsSize", "maxMemoryAllocationCount", "maxSamplerAllocationCount", "maxBoundDescriptorSets",
    "maxPerStageDescriptorSamplers", "maxPerStageDescriptorUniformBuffers", "maxPerStageDescriptorStorageBuffers",
    "maxPerStageDescriptorSampledImages", "maxPerStageDescriptorStorageImages",
    "maxPerStageDescriptorInputAttachments", "maxPerStageResources", "maxDescriptorSetSamplers",
    "maxDescriptorSetUniformBuffers", "maxDescriptorSetUniformBuffersDynamic", "maxDescriptorSetStorageBuffers",
    "maxDescriptorSetStorageBuffersDynamic", "maxDescriptorSetSampledImages", "maxDescriptorSetStorageImages",
    "maxDescriptorSetInputAttachments", "maxVertexInputAttributes", "maxVertexInputBindings",
    "maxVertexInputAttributeOffset", "maxVertexInputBindingStride", "maxVertexOutputComponents",
    "maxTessellationGenerationLevel", "maxTessellationPatchSize", "maxTessellationControlPerVertexInputComponents",
    "maxTessellationControlPerVertexOutputComponents", "maxTessellationControlPerPatchOutputComponents",
    "maxTessellationControlTotalOutputComponents", "maxTessellationEvaluationInputComponents",
    "maxTessellationEvaluationOutputComponents", "maxGeometryShaderInvocations", "maxGeometryInputComponents",
    "maxGeometryOutputComponents", "maxGeometryOutputVertices", "maxGeometryTotalOutputComponents",
    "maxFragmentInputComponents", "maxFragmentOutputAttachments", "maxFragmentDualSrcAttachments",
    "maxFragmentCombinedOutputResources", "maxComputeSharedMemorySize", "maxComputeWorkGroupInvocations",
    "subPixelPrecisionBits", "subTexelPrecisionBits", "mipmapPrecisionBits", "maxDrawIndexedIndexValue",
    "maxDrawIndirectCount", "maxViewports", "viewportSubPixelBits", "maxTexelOffset", "maxTexelGatherOffset",
    "subPixelInterpolationOffsetBits", "maxFramebufferWidth", "maxFramebufferHeight", "maxFramebufferLayers",
    "maxColorAttachments", "maxSampleMaskWords", "maxClipDistances", "maxCullDistances",
    "maxCombinedClipAndCullDistances", "discreteQueuePriorities"};

// Each 4-byte word holds its own index, so every uint32_t member differs and a
// key reading the wrong member shows up as a duplicate.
VkPhysicalDeviceLimits distinctLimits() {
    VkPhysicalDeviceLimits l{};
    std::uint32_t words[sizeof(l) / 4];
    for (std::uint32_t i = 0; i < sizeof(l) / 4; ++i) words[i] = 1000 + i;
    std::memcpy(&l, words, sizeof(words));
    return l;
}

TEST(DeviceLimits, HasEveryMemberWithItsJsonType) {
    const json j = describeLimits(distinctLimits());
    ASSERT_TRUE(j.is_object());
    EXPECT_EQ(j.size(), 106u);
    EXPECT_EQ(kUintKeys.size(), 70u);

    std::set<std::string> expected;
    auto check = [&](const std::vector<std::string>& keys, auto&& pred, const char* group) {
        for (const auto& k : keys) {
            expected.insert(k);
            ASSERT_TRUE(j.contains(k)) << k;
            EXPECT_TRUE(pred(j.at(k))) << group << " " << k << " = " << j.at(k).dump();
        }
    };
    check(kUintKeys, [](const json& v) { return v.is_number_unsigned(); }, "uint");
    check(kSizeKeys, [](const json& v) { return v.is_number_unsigned(); }, "size");
    check(kSignedKeys, [](const json& v) { return v.is_number_integer() && !v.is_number_unsigned(); }, "int");
    check(kFloatKeys, [](const json& v) { return v.is_number_float(); }, "float");
    check(kBoolKeys, [](const json& v) { return v.is_boolean(); }, "bool");
    check(kSampleKeys, [](const json& v) { return v.is_string(); }, "samples");
    auto arrayOf = [](std::size_t n, bool floats) {
        return [n, floats](const json& v) {
            if (!v.is_array() || v.size() != n) return false;
            for (const auto& e : v)
                if (floats ? !e.is_number_float() : !e.is_number_unsigned()) return false;
            return true;
        };
    };
    check(kUint3Keys, arrayOf(3, false), "uint[3]");
    check(kUint2Keys, arrayOf(2, false), "uint[2]");
    check(kFloat2Keys, arrayOf(2, true), "float[2]");
    EXPECT_EQ(expected.size(), 106u);

    std::set<std::uint64_t> uintValues;
    for (const auto& k : kUintKeys) uintValues.insert(j.at(k).get<std::uint64_t>());
    EXPECT_EQ(uintValues.size(), kUintKeys.size()) << "two keys read the same member";
}

TEST(DeviceLimits, ValuesKeepRangeAndSign) {
    VkPhysicalDeviceLimits l{};
    l.maxImageDimension2D = 0xFFFFFFFFu;
    l.sparseAddressSpaceSize = 0xFFFFFFFFFFFFFFFFull;
    l.nonCoherentAtomSize = 0x100000000ull;
    l.minMemoryMapAlignment = 64;
    l.minTexelOffset = -8;
    l.minTexelGatherOffset = -32;
    const json j = describeLimits(l);
    EXPECT_EQ(j["maxImageDimension2D"].get<std::uint64_t>(), 0xFFFFFFFFull);
    EXPECT_EQ(j["sparseAddressSpaceSize"].get<std::uint64_t>(), 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(j["nonCoherentAtomSize"].get<std::uint64_t>(), 0x100000000ull);
    EXPECT_EQ(j["minMemoryMapAlignment"].get<std::uint64_t>(), 64u);
    EXPECT_EQ(j["minTexelOffset"].get<std::int64_t>(), -8);
    EXPECT_EQ(j["minTexelGatherOffset"].get<std::int64_t>(), -32);
    EXPECT_EQ(j["minTexelOffset"].dump(), "-8");
}

TEST(DeviceLimits, FloatsAreWidenedNotRounded) {
    VkPhysicalDeviceLimits l{};
    l.timestampPeriod = 1.0f;
    l.maxSamplerLodBias = 0.1f;
    l.minInterpolationOffset = -0.5f;
    l.lineWidthRange[0] = 0.1f;
    l.lineWidthRange[1] = 8.0f;
    const json j = describeLimits(l);
    EXPECT_EQ(j["timestampPeriod"].dump(), "1.0");
    EXPECT_EQ(j["maxSamplerLodBias"].dump(), "0.10000000149011612");
    EXPECT_EQ(j["minInterpolationOffset"].dump(), "-0.5");
    EXPECT_EQ(j["lineWidthRange"].dump(), "[0.10000000149011612,8.0]");
    EXPECT_EQ(j["pointSizeGranularity"].dump(), "0.0");
}

TEST(DeviceLimits, BooleansAreTrueOnlyForOne) {
    VkPhysicalDeviceLimits l{};
    l.timestampComputeAndGraphics = 1;
    l.strictLines = 0;
    l.standardSampleLocations = 2;
    const json j = describeLimits(l);
    EXPECT_EQ(j["timestampComputeAndGraphics"], json(true));
    EXPECT_EQ(j["strictLines"], json(false));
    EXPECT_EQ(j["standardSampleLocations"], json(false));
}

TEST(DeviceLimits, ArraysFollowIndexOrder) {
    VkPhysicalDeviceLimits l{};
    l.maxComputeWorkGroupCount[0] = 65535;
    l.maxComputeWorkGroupCount[1] = 2;
    l.maxComputeWorkGroupCount[2] = 3;
    l.maxComputeWorkGroupSize[0] = 1024;
    l.maxComputeWorkGroupSize[1] = 512;
    l.maxComputeWorkGroupSize[2] = 64;
    l.maxViewportDimensions[0] = 16384;
    l.maxViewportDimensions[1] = 8192;
    l.viewportBoundsRange[0] = -32768.0f;
    l.viewportBoundsRange[1] = 32767.0f;
    l.pointSizeRange[0] = 1.0f;
    l.pointSizeRange[1] = 64.0f;
    const json j = describeLimits(l);
    EXPECT_EQ(j["maxComputeWorkGroupCount"].dump(), "[65535,2,3]");
    EXPECT_EQ(j["maxComputeWorkGroupSize"].dump(), "[1024,512,64]");
    EXPECT_EQ(j["maxViewportDimensions"].dump(), "[16384,8192]");
    EXPECT_EQ(j["viewportBoundsRange"].dump(), "[-32768.0,32767.0]");
    EXPECT_EQ(j["pointSizeRange"].dump(), "[1.0,64.0]");
}

TEST(DeviceLimits, SampleCountsUseNames) {
    VkPhysicalDeviceLimits l{};
    l.framebufferColorSampleCounts = VK_SAMPLE_COUNT_1_BIT | VK_SAMPLE_COUNT_4_BIT;
    l.storageImageSampleCounts = VK_SAMPLE_COUNT_1_BIT;
    const json j = describeLimits(l);
    EXPECT_EQ(j["framebufferColorSampleCounts"], "_1_BIT|_4_BIT");
    EXPECT_EQ(j["storageImageSampleCounts"], "_1_BIT");
    EXPECT_EQ(j["sampledImageDepthSampleCounts"], "");
}

TEST(SampleCountName, SingleAndCombinedBits) {
    const std::pair<VkSampleCountFlags, const char*> cases[] = {
        {1, "_1_BIT"}, {2, "_2_BIT"}, {4, "_4_BIT"}, {8, "_8_BIT"}, {16, "16_BIT"}, {32, "32_BIT"}, {64, "64_BIT"},
        {5, "_1_BIT|_4_BIT"},
        {0x7F, "_1_BIT|_2_BIT|_4_BIT|_8_BIT|16_BIT|32_BIT|64_BIT"},
        {0x48, "_8_BIT|64_BIT"},
        {0, ""},
        {0x80, ""},
        {0x80000003u, "_1_BIT|_2_BIT"},
    };
    for (const auto& [mask, name] : cases) EXPECT_EQ(sampleCountName(mask), name) << "mask " << mask;
}

TEST(EnumNames, DeviceTypes) {
    EXPECT_EQ(deviceTypeName(VK_PHYSICAL_DEVICE_TYPE_OTHER), "Other");
    EXPECT_EQ(deviceTypeName(VK_PHYSICAL_DEVICE_TYPE_INTEGRATED_GPU), "INTEGRATED_GPU");
    EXPECT_EQ(deviceTypeName(VK_PHYSICAL_DEVICE_TYPE_DISCRETE_GPU), "DISCRETE_GPU");
    EXPECT_EQ(deviceTypeName(VK_PHYSICAL_DEVICE_TYPE_VIRTUAL_GPU), "VIRTUAL_GPU");
    EXPECT_EQ(deviceTypeName(VK_PHYSICAL_DEVICE_TYPE_CPU), "CPU");
    EXPECT_EQ(deviceTypeName(static_cast<VkPhysicalDeviceType>(5)), "Unknown");
    EXPECT_EQ(deviceTypeName(VK_PHYSICAL_DEVICE_TYPE_MAX_ENUM), "Unknown");
}

TEST(EnumNames, PresentModes) {
    const std::pair<int, const char*> cases[] = {
        {0, "IMMEDIATE_KHR"},
        {1, "MAILBOX_KHR"},
        {2, "FIFO_KHR"},
        {3, "FIFO_RELAXED_KHR"},
        {1000111000, "SHARED_DEMAND_REFRESH_KHR"},
        {1000111001, "SHARED_CONTINUOUS_REFRESH_KHR"},
        {0x7FFFFFFF, "VK_PRESENT_MODE_MAX_ENUM_KHR"},
        {4, "UNKNOWN_4"},
        {1000361000, "UNKNOWN_1000361000"},
    };
    for (const auto& [mode, name] : cases)
        EXPECT_EQ(presentModeName(static_cast<VkPresentModeKHR>(mode)), name) << "mode " << mode;
}

TEST(VkResultText, EveryCodePrintsItsNameAndFlushes) {
    const std::pair<int, const char*> cases[] = {
        {0, "VK_SUCCESS"},
        {1, "VK_NOT_READY"},
        {2, "VK_TIMEOUT"},
        {3, "VK_EVENT_SET"},
        {4, "VK_EVENT_RESET"},
        {5, "VK_INCOMPLETE"},
        {-1, "VK_ERROR_OUT_OF_HOST_MEMORY"},
        {-2, "VK_ERROR_OUT_OF_DEVICE_MEMORY"},
        {-3, "VK_ERROR_INITIALIZATION_FAILED"},
        {-4, "VK_ERROR_DEVICE_LOST"},
        {-5, "VK_ERROR_MEMORY_MAP_FAILED"},
        {-6, "VK_ERROR_LAYER_NOT_PRESENT"},
        {-7, "VK_ERROR_EXTENSION_NOT_PRESENT right here"},
        {-8, "VK_ERROR_FEATURE_NOT_PRESENT"},
        {-9, "VK_ERROR_INCOMPATIBLE_DRIVER"},
        {-10, "VK_ERROR_TOO_MANY_OBJECTS"},
        {-11, "VK_ERROR_FORMAT_NOT_SUPPORTED"},
        {-12, "VK_ERROR_FRAGMENTED_POOL"},
        {-13, "VK_ERROR_UNKNOWN"},
        {-1000069000, "VK_ERROR_OUT_OF_POOL_MEMORY"},
        {-1000072003, "VK_ERROR_INVALID_EXTERNAL_HANDLE"},
        {-1000161000, "VK_ERROR_FRAGMENTATION"},
        {-1000257000, "VK_ERROR_INVALID_OPAQUE_CAPTURE_ADDRESS"},
        {1000297000, "VK_PIPELINE_COMPILE_REQUIRED"},
        {-1000000000, "VK_ERROR_SURFACE_LOST_KHR"},
        {-1000000001, "VK_ERROR_NATIVE_WINDOW_IN_USE_KHR"},
        {1000001003, "VK_SUBOPTIMAL_KHR"},
        {-1000001004, "VK_ERROR_OUT_OF_DATE_KHR"},
        {-1000003001, "VK_ERROR_INCOMPATIBLE_DISPLAY_KHR"},
        {-1000011001, "VK_ERROR_VALIDATION_FAILED_EXT"},
        {-1000012000, "VK_ERROR_INVALID_SHADER_NV"},
        {-1000158000, "VK_ERROR_INVALID_DRM_FORMAT_MODIFIER_PLANE_LAYOUT_EXT"},
        {-1000174001, "VK_ERROR_NOT_PERMITTED_KHR"},
        {-1000255000, "VK_ERROR_FULL_SCREEN_EXCLUSIVE_MODE_LOST_EXT"},
        {1000268000, "VK_THREAD_IDLE_KHR"},
        {1000268001, "VK_THREAD_DONE_KHR"},
        {1000268002, "VK_OPERATION_DEFERRED_KHR"},
        {1000268003, "VK_OPERATION_NOT_DEFERRED_KHR"},
        {-1000338000, "VK_ERROR_COMPRESSION_EXHAUSTED_EXT"},
        {-1000023000, "idk"},
        {6, "idk"},
        {-14, "idk"},
    };
    for (const auto& [code, name] : cases) {
        const auto result = static_cast<VkResult>(code);
        EXPECT_STREQ(vkResultName(result), name) << "code " << code;
        CountingBuf buf;
        std::ostream out(&buf);
        printVkResult(result, out);
        EXPECT_EQ(buf.str(), std::string(name) + "\n") << "code " << code;
        EXPECT_GE(buf.syncs, 1) << "code " << code << " was not flushed";
    }
}

VkPhysicalDeviceProperties sampleProperties() {
    VkPhysicalDeviceProperties p{};
    std::strcpy(p.deviceName, "Test GPU \xC3\xA9");
    p.deviceType = VK_PHYSICAL_DEVICE_TYPE_DISCRETE_GPU;
    p.apiVersion = 4206847;
    p.driverVersion = 0xFFFFFFFFu;
    p.limits.maxImageDimension2D = 16384;
    return p;
}

TEST(DeviceSummary, PrintsBlockWithoutFlushing) {
    CountingBuf buf;
    std::ostream out(&buf);
    describeDeviceProperties(sampleProperties(), out);
    EXPECT_EQ(buf.str(),
              "Test GPU \xC3\xA9\n\tType: DISCRETE_GPU\n\tAPI Version: 4206847\n"
              "\tDriver Version4294967295\n\n");
    EXPECT_EQ(buf.syncs, 0);
}

TEST(DeviceSummary, EntryHoldsIdentityAndLimits) {
    std::ostringstream out;
    const json entry = describeDeviceProperties(sampleProperties(), out);
    EXPECT_EQ(entry.size(), 5u);
    EXPECT_EQ(entry["name"], "Test GPU \xC3\xA9");
    EXPECT_EQ(entry["type"], "DISCRETE_GPU");
    ASSERT_TRUE(entry["apiVersion"].is_number_unsigned());
    EXPECT_EQ(entry["apiVersion"].get<std::uint64_t>(), 4206847u);
    ASSERT_TRUE(entry["driverVersion"].is_number_unsigned());
    EXPECT_EQ(entry["driverVersion"].get<std::uint64_t>(), 0xFFFFFFFFu);
    EXPECT_EQ(entry["limits"].size(), 106u);
    EXPECT_EQ(entry["limits"]["maxImageDimension2D"], 16384u);
}

TEST(DeviceSummary, NameFillingWholeBufferIsNotOverread) {
    // The bytes after the name are not zero, so a strlen-style read would run on.
    VkPhysicalDeviceProperties props{};
    std::memset(props.deviceName, 'A', VK_MAX_PHYSICAL_DEVICE_NAME_SIZE);
    std::memset(props.pipelineCacheUUID, 'B', VK_UUID_SIZE);
    std::ostringstream out;
    const json entry = describeDeviceProperties(props, out);
    EXPECT_EQ(entry["name"].get<std::string>(), std::string(VK_MAX_PHYSICAL_DEVICE_NAME_SIZE, 'A'));
    EXPECT_EQ(entry["type"], "Other");
}

class DeviceReportTest : public ::testing::Test {
protected:
    void SetUp() override { deviceReport() = nullptr; }
    void TearDown() override { deviceReport() = nullptr; }
};

TEST_F(DeviceReportTest, StartsNullAndSerialisesCompactSorted) {
    EXPECT_EQ(deviceReportText(), "null");
    setReportKey("swapchain", json{{"presentMode", "FIFO_KHR"}, {"images", 3}});
    setReportKey("device", json{{"name", "GPU"}, {"apiVersion", 1u}});
    setReportKey("alpha", json::array({1, 2}));
    EXPECT_TRUE(deviceReport().is_object());
    EXPECT_EQ(deviceReportText(),
              R"({"alpha":[1,2],"device":{"apiVersion":1,"name":"GPU"},)"
              R"("swapchain":{"images":3,"presentMode":"FIFO_KHR"}})");
}

TEST_F(DeviceReportTest, LaterWriteReplacesKey) {
    setReportKey("device", json{{"name", "first"}, {"extra", true}});
    setReportKey("device", json{{"name", "second"}});
    EXPECT_EQ(deviceReportText(), R"({"device":{"name":"second"}})");
    EXPECT_EQ(&deviceReport(), &deviceReport());
}

TEST_F(DeviceReportTest, TextKeepsNonAsciiAndRejectsBrokenUtf8) {
    setReportKey("name", "caf\xC3\xA9");
    EXPECT_EQ(deviceReportText(), "{\"name\":\"caf\xC3\xA9\"}");
    setReportKey("name", std::string("bad\xFF", 4));
    EXPECT_THROW(deviceReportText(), nlohmann::json::type_error);
}

}  // namespace
}  // namespace orv
