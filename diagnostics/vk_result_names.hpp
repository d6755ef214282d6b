#pragma once
// Names of Vulkan result codes, printed on the two failure paths that report them.

#include <vulkan/vulkan.h>

#include <ostream>

namespace orv {

// The name of a result code, or "idk" for a code we do not know.
const char* vkResultName(VkResult result);

// Writes the name and a newline, then flushes.
void printVkResult(VkResult result, std::ostream& out);
void printVkResult(VkResult result);

}  // namespace orv
