#include "diagnostics/device_report.hpp"

#include <cstdint>
#include <cstring>
#include <iostream>
#include <utility>

namespace orv {

namespace {

// Widened explicitly so the JSON holds a double, not whatever float promotes to.
nlohmann::json floatValue(float value) { return static_cast<double>(value); }

nlohmann::json sizeValue(std::uint64_t value) { return value; }

nlohmann::json boolValue(VkBool32 value) { return value == VK_TRUE; }

template <std::size_t N>
nlohmann::json uintArray(const std::uint32_t (&values)[N]) {
    nlohmann::json out = nlohmann::json::array();
    for (std::uint32_t v : values) out.push_back(v);
    return out;
}

nlohmann::json floatPair(const float (&values)[2]) {
    return nlohmann::json::array({floatValue(values[0]), floatValue(values[1])});
}

}  // namespace

nlohmann::json& deviceReport() {
    static nlohmann::json report;
    return report;
}

void setReportKey(const std::string& key, nlohmann::json value) {
    deviceReport()[key] = std::move(value);
}

std::string deviceReportText() { return deviceReport().dump(); }

nlohmann::json describeDevice(VkPhysicalDevice physicalDevice) {
    VkPhysicalDeviceProperties properties{};
    vkGetPhysicalDeviceProperties(physicalDevice, &properties);
    return describeDeviceProperties(properties, std::cout);
}

nlohmann::json describeDeviceProperties(const VkPhysicalDeviceProperties& properties, std::ostream& out) {
    // A driver that fills the whole buffer leaves no terminator; never read past it.
    const char* rawName = properties.deviceName;
    std::size_t nameLength = 0;
    while (nameLength < VK_MAX_PHYSICAL_DEVICE_NAME_SIZE && rawName[nameLength] != '\0') ++nameLength;
    const std::string name(rawName, nameLength);
    const std::string type = deviceTypeName(properties.deviceType);

    nlohmann::json entry = nlohmann::json::object();
    entry["name"] = name;
    entry["type"] = type;
    entry["apiVersion"] = properties.apiVersion;
    entry["driverVersion"] = properties.driverVersion;

    // No flush: several devices are listed in a row and the caller decides when.
    out << name << "\n\tType: " << type << "\n\tAPI Version: " << properties.apiVersion
        << "\n\tDriver Version" << properties.driverVersion << "\n\n";

    entry["limits"] = describeLimits(properties.limits);
    return entry;
}

nlohmann::json describeLimits(const VkPhysicalDeviceLimits& limits) {
    nlohmann::json j = nlohmann::json::object();
#define ORV_UINT(m) j[#m] = limits.m
#define ORV_SIZE(m) j[#m] = sizeValue(limits.m)
#define ORV_INT(m) j[#m] = static_cast<std::int32_t>(limits.m)
#define ORV_FLOAT(m) j[#m] = floatValue(limits.m)
#define ORV_BOOL(m) j[#m] = boolValue(limits.m)
#define ORV_SAMPLES(m) j[#m] = sampleCountName(limits.m)
#define ORV_UINTS(m) j[#m] = uintArray(limits.m)
#define ORV_FLOATS(m) j[#m] = floatPair(limits.m)
    ORV_UINT(maxImageDimension1D);
    ORV_UINT(maxImageDimension2D);
    ORV_UINT(maxImageDimension3D);
    ORV_UINT(maxImageDimensionCube);
    ORV_UINT(maxImageArrayLayers);
    ORV_UINT(maxTexelBufferElements);
    ORV_UINT(maxUniformBufferRange);
    ORV_UINT(maxStorageBufferRange);
    ORV_UINT(maxPushConstantsSize);
    ORV_UINT(maxMemoryAllocationCount);
    ORV_UINT(maxSamplerAllocationCount);
    ORV_SIZE(bufferImageGranularity);
    ORV_SIZE(sparseAddressSpaceSize);
    ORV_UINT(maxBoundDescriptorSets);
    ORV_UINT(maxPerStageDescriptorSamplers);
    ORV_UINT(maxPerStageDescriptorUniformBuffers);
    ORV_UINT(maxPerStageDescriptorStorageBuffers);
    ORV_UINT(maxPerStageDescriptorSampledImages);
    ORV_UINT(maxPerStageDescriptorStorageImages);
    ORV_UINT(maxPerStageDescriptorInputAttachments);
    ORV_UINT(maxPerStageResources);
    ORV_UINT(maxDescriptorSetSamplers);
    ORV_UINT(maxDescriptorSetUniformBuffers);
    ORV_UINT(maxDescriptorSetUniformBuffersDynamic);
    ORV_UINT(maxDescriptorSetStorageBuffers);
    ORV_UINT(maxDescriptorSetStorageBuffersDynamic);
    ORV_UINT(maxDescriptorSetSampledImages);
    ORV_UINT(maxDescriptorSetStorageImages);
    ORV_UINT(maxDescriptorSetInputAttachments);
    ORV_UINT(maxVertexInputAttributes);
    ORV_UINT(maxVertexInputBindings);
    ORV_UINT(maxVertexInputAttributeOffset);
    ORV_UINT(maxVertexInputBindingStride);
    ORV_UINT(maxVertexOutputComponents);
    ORV_UINT(maxTessellationGenerationLevel);
    ORV_UINT(maxTessellationPatchSize);
    ORV_UINT(maxTessellationControlPerVertexInputComponents);
    ORV_UINT(maxTessellationControlPerVertexOutputComponents);
    ORV_UINT(maxTessellationControlPerPatchOutputComponents);
    ORV_UINT(maxTessellationControlTotalOutputComponents);
    ORV_UINT(maxTessellationEvaluationInputComponents);
    ORV_UINT(maxTessellationEvaluationOutputComponents);
    ORV_UINT(maxGeometryShaderInvocations);
    ORV_UINT(maxGeometryInputComponents);
    ORV_UINT(maxGeometryOutputComponents);
    ORV_UINT(maxGeometryOutputVertices);
    ORV_UINT(maxGeometryTotalOutputComponents);
    ORV_UINT(maxFragmentInputComponents);
    ORV_UINT(maxFragmentOutputAttachments);
    ORV_UINT(maxFragmentDualSrcAttachments);
    ORV_UINT(maxFragmentCombinedOutputResources);
    ORV_UINT(maxComputeSharedMemorySize);
    ORV_UINTS(maxComputeWorkGroupCount);
    ORV_UINT(maxComputeWorkGroupInvocations);
    ORV_UINTS(maxComputeWorkGroupSize);
    ORV_UINT(subPixelPrecisionBits);
    ORV_UINT(subTexelPrecisionBits);
    ORV_UINT(mipmapPrecisionBits);
    ORV_UINT(maxDrawIndexedIndexValue);
    ORV_UINT(maxDrawIndirectCount);
    ORV_FLOAT(maxSamplerLodBias);
    ORV_FLOAT(maxSamplerAnisotropy);
    ORV_UINT(maxViewports);
    ORV_UINTS(maxViewportDimensions);
    ORV_FLOATS(viewportBoundsRange);
    ORV_UINT(viewportSubPixelBits);
    ORV_SIZE(minMemoryMapAlignment);
    ORV_SIZE(minTexelBufferOffsetAlignment);
    ORV_SIZE(minUniformBufferOffsetAlignment);
    ORV_SIZE(minStorageBufferOffsetAlignment);
    ORV_INT(minTexelOffset);
    ORV_UINT(maxTexelOffset);
    ORV_INT(minTexelGatherOffset);
    ORV_UINT(maxTexelGatherOffset);
    ORV_FLOAT(minInterpolationOffset);
    ORV_FLOAT(maxInterpolationOffset);
    ORV_UINT(subPixelInterpolationOffsetBits);
    ORV_UINT(maxFramebufferWidth);
    ORV_UINT(maxFramebufferHeight);
    ORV_UINT(maxFramebufferLayers);
    ORV_SAMPLES(framebufferColorSampleCounts);
    ORV_SAMPLES(framebufferDepthSampleCounts);
    ORV_SAMPLES(framebufferStencilSampleCounts);
    ORV_SAMPLES(framebufferNoAttachmentsSampleCounts);
    ORV_UINT(maxColorAttachments);
    ORV_SAMPLES(sampledImageColorSampleCounts);
    ORV_SAMPLES(sampledImageIntegerSampleCounts);
    ORV_SAMPLES(sampledImageDepthSampleCounts);
    ORV_SAMPLES(sampledImageStencilSampleCounts);
    ORV_SAMPLES(storageImageSampleCounts);
    ORV_UINT(maxSampleMaskWords);
    ORV_BOOL(timestampComputeAndGraphics);
    ORV_FLOAT(timestampPeriod);
    ORV_UINT(maxClipDistances);
    ORV_UINT(maxCullDistances);
    ORV_UINT(maxCombinedClipAndCullDistances);
    ORV_UINT(discreteQueuePriorities);
    ORV_FLOATS(pointSizeRange);
    ORV_FLOATS(lineWidthRange);
    ORV_FLOAT(pointSizeGranularity);
    ORV_FLOAT(lineWidthGranularity);
    ORV_BOOL(strictLines);
    ORV_BOOL(standardSampleLocations);
    ORV_SIZE(optimalBufferCopyOffsetAlignment);
    ORV_SIZE(optimalBufferCopyRowPitchAlignment);
    ORV_SIZE(nonCoherentAtomSize);
#undef ORV_UINT
#undef ORV_SIZE
#undef ORV_INT
#undef ORV_FLOAT
#undef ORV_BOOL
#undef ORV_SAMPLES
#undef ORV_UINTS
#undef ORV_FLOATS
    return j;
}

std::string deviceTypeName(VkPhysicalDeviceType type) {
    switch (type) {
        case VK_PHYSICAL_DEVICE_TYPE_OTHER: return "Other";
        case VK_PHYSICAL_DEVICE_TYPE_INTEGRATED_GPU: return "INTEGRATED_GPU";
        case VK_PHYSICAL_DEVICE_TYPE_DISCRETE_GPU: return "DISCRETE_GPU";
        case VK_PHYSICAL_DEVICE_TYPE_VIRTUAL_GPU: return "VIRTUAL_GPU";
        case VK_PHYSICAL_DEVICE_TYPE_CPU: return "CPU";
        default: return "Unknown";
    }
}

std::string sampleCountName(VkSampleCountFlags mask) {
    static const char* const names[] = {"_1_BIT", "_2_BIT", "_4_BIT", "_8_BIT", "16_BIT", "32_BIT", "64_BIT"};
    // Bits above 64 have no sample count behind them; a driver setting them
    // is reporting junk, so they are dropped rather than shown as noise.
    std::string out;
    for (unsigned bit = 0; bit < 7; ++bit) {
        if ((mask & (1u << bit)) == 0) continue;
        if (!out.empty()) out += '|';
        out += names[bit];
    }
    return out;
}

std::string presentModeName(VkPresentModeKHR mode) {
    switch (mode) {
        case VK_PRESENT_MODE_IMMEDIATE_KHR: return "IMMEDIATE_KHR";
        case VK_PRESENT_MODE_MAILBOX_KHR: return "MAILBOX_KHR";
        case VK_PRESENT_MODE_FIFO_KHR: return "FIFO_KHR";
        case VK_PRESENT_MODE_FIFO_RELAXED_KHR: return "FIFO_RELAXED_KHR";
        case VK_PRESENT_MODE_SHARED_DEMAND_REFRESH_KHR: return "SHARED_DEMAND_REFRESH_KHR";
        case VK_PRESENT_MODE_SHARED_CONTINUOUS_REFRESH_KHR: return "SHARED_CONTINUOUS_REFRESH_KHR";
        case VK_PRESENT_MODE_MAX_ENUM_KHR: return "VK_PRESENT_MODE_MAX_ENUM_KHR";
        default: return "UNKNOWN_" + std::to_string(static_cast<std::int32_t>(mode));
    }
}

}  // namespace orv
