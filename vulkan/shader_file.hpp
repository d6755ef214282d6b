#pragma once
// Reading SPIR-V files safely: only regular files of shader size are read, and their words are
// validated before any of them reaches a driver, which trusts what vkCreateShaderModule gets.

#include <vulkan/vulkan.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "vulkan/vk_handle.hpp"

namespace orv {

// Shaders are a few KB; anything near this is not one.
constexpr std::size_t kMaxShaderFileBytes = std::size_t{16} << 20;

// The bytes of the regular file at `path`. A file that cannot be opened throws
// "failed to open file: <path>"; one that is not a regular file or is larger than
// kMaxShaderFileBytes throws the same words followed by what is wrong. Never blocks on a FIFO.
std::vector<char> readShaderFile(const std::string& path);

// What keeps `words` from being handed to a Vulkan 1.0 driver as the `stage` shader with entry
// point `entryPoint`, as a phrase ("is not valid SPIR-V (...)"), or "" when nothing does.
std::string spirvProblem(const std::vector<uint32_t>& words, VkShaderStageFlagBits stage,
                         const char* entryPoint = "main");

// The words of the SPIR-V file at `path`, checked by spirvProblem. A bad module throws
// "failed to create shader module: <path> " and the problem.
std::vector<uint32_t> loadSpirv(const std::string& path, VkShaderStageFlagBits stage,
                                const char* entryPoint = "main");

// The module made from the SPIR-V file at `path`, read and checked by loadSpirv. A driver that
// refuses it throws "failed to create shader module: <path>" with the VkResult.
VkHandle<VkShaderModule> loadShaderModule(VkDevice device, const std::string& path, VkShaderStageFlagBits stage);

}  // namespace orv
