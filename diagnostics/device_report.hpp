#pragma once
// The module-wide JSON report of what the engine found while bringing Vulkan up.

#include <vulkan/vulkan.h>

#include <nlohmann/json.hpp>
#include <ostream>
#include <string>

namespace orv {

// One document per process: null at load, filled by the device and swap chain,
// outlives every engine.
nlohmann::json& deviceReport();

// Sets a top-level key, replacing an earlier value.
void setReportKey(const std::string& key, nlohmann::json value);

// Compact, key-sorted text of the report ("null" before anything was written).
std::string deviceReportText();

// Device entry of one physical device; prints its summary block to std::cout.
nlohmann::json describeDevice(VkPhysicalDevice physicalDevice);
// The same from properties already read, printing to `out` (no flush).
nlohmann::json describeDeviceProperties(const VkPhysicalDeviceProperties& properties, std::ostream& out);

// All 106 members of VkPhysicalDeviceLimits, keyed by member name.
nlohmann::json describeLimits(const VkPhysicalDeviceLimits& limits);

std::string deviceTypeName(VkPhysicalDeviceType type);
std::string sampleCountName(VkSampleCountFlags mask);
std::string presentModeName(VkPresentModeKHR mode);

}  // namespace orv
