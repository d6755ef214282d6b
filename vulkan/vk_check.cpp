#include "vulkan/vk_check.hpp"

#include "diagnostics/vk_result_names.hpp"

namespace orv {

std::runtime_error vkError(const std::string& message, VkResult result) {
    return std::runtime_error(message + " (" + vkResultText(result) + ")");
}

}  // namespace orv
