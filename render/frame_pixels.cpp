#include "render/frame_pixels.hpp"

#include <cstring>

namespace orv {

void copyAsRgba(const uint8_t* pixels, VkExtent2D extent, VkFormat format, uint8_t* rgba) {
    const size_t count = static_cast<size_t>(extent.width) * extent.height;
    const bool blueFirst = format == VK_FORMAT_B8G8R8A8_UNORM || format == VK_FORMAT_B8G8R8A8_SRGB;
    if (!blueFirst) {
        std::memcpy(rgba, pixels, count * 4);
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        rgba[4 * i + 0] = pixels[4 * i + 2];
        rgba[4 * i + 1] = pixels[4 * i + 1];
        rgba[4 * i + 2] = pixels[4 * i + 0];
        rgba[4 * i + 3] = pixels[4 * i + 3];
    }
}

}  // namespace orv
