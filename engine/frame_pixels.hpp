#pragma once
// A frame's pixels as scripts get them: RGBA bytes, rows from the top; and as a PNG file.

#include <vulkan/vulkan.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace orv {

// Copies `extent` pixels stored as `format` (8-bit BGRA or RGBA) into RGBA bytes.
void copyAsRgba(const uint8_t* pixels, VkExtent2D extent, VkFormat format, uint8_t* rgba);

// Raised when a file cannot be written; `error` is the errno value.
struct FileError : std::runtime_error {
    FileError(int code, std::string path, const std::string& message)
        : std::runtime_error(message), error{code}, filename{std::move(path)} {}
    int error;
    std::string filename;
};

// Writes RGBA rows as a PNG file; throws FileError when it cannot.
void writePng(const std::string& path, const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height);

}  // namespace orv
