#pragma once
// Failing Vulkan calls become runtime errors that name the result after the message.

#include <vulkan/vulkan.h>

#include <stdexcept>
#include <string>

namespace orv {

// "failed to create swap chain! (VK_ERROR_OUT_OF_HOST_MEMORY)"
std::runtime_error vkError(const std::string& message, VkResult result);

// Throws vkError unless the call succeeded.
inline void vkCheck(VkResult result, const char* message) {
    if (result != VK_SUCCESS) {
        throw vkError(message, result);
    }
}

}  // namespace orv
