#pragma once
// Names of Vulkan result codes, printed on the two failure paths that report them.

#include <vulkan/vulkan.h>

#include <ostream>
#include <string>

namespace orv {

// The name of a result code, or "idk" for a code we do not know.
const char* vkResultName(VkResult result);

// The plain Vulkan name of a result for error messages; codes we do not know are given by
// number ("VkResult -1000099000").
std::string vkResultText(VkResult result);

// Writes the name and a newline, then flushes.
void printVkResult(VkResult result, std::ostream& out);
void printVkResult(VkResult result);

}  // namespace orv
