#pragma once
// The largest picture or glyph the engine takes, checked from a file's header or a glyph's
// outline before anything is decoded or rendered: a file of a few bytes may declare a
// picture of gigabytes.

#include <cstdint>
#include <string>

namespace orv {

// 8192 by 8192 pixels (256 MiB as RGBA), in any shape up to the device's largest side.
constexpr uint64_t kMaxPicturePixels = uint64_t{8192} * 8192;

// Why a picture of `width` by `height` pixels is refused, or "" when it is not.
inline std::string pictureSizeProblem(uint64_t width, uint64_t height, uint32_t maxSide) {
    const std::string size = std::to_string(width) + " by " + std::to_string(height) + " pixels";
    if (width > maxSide || height > maxSide) {
        return size + ", larger than the device's largest image (" + std::to_string(maxSide) + ")";
    }
    if (width * height > kMaxPicturePixels) {
        return size + ", larger than the largest picture qel takes (" + std::to_string(kMaxPicturePixels) +
               " pixels, 8192 by 8192)";
    }
    return {};
}

}  // namespace orv
