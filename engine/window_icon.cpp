#include "engine/window_icon.hpp"

#include <algorithm>
#include <array>
#include <cstddef>

namespace orv {

namespace {

// Decoded before any device exists, so the limit is the one common to today's devices.
constexpr uint32_t kMaxIconFileSide = 16384;

uint32_t shrunkSide(uint32_t side, uint32_t longer, uint32_t maxSide) {
    const uint64_t scaled = (static_cast<uint64_t>(side) * maxSide + longer / 2) / longer;
    return static_cast<uint32_t>(std::max<uint64_t>(scaled, 1));
}

}  // namespace

Image loadWindowIcon(const std::string& path) {
    return shrinkImage(loadImageFile(path, kMaxIconFileSide), kMaxIconSide);
}

Image shrinkImage(const Image& image, uint32_t maxSide) {
    const uint32_t longer = std::max(image.width, image.height);
    if (longer <= maxSide) {
        return image;
    }
    Image out;
    out.width = shrunkSide(image.width, longer, maxSide);
    out.height = shrunkSide(image.height, longer, maxSide);
    out.rgba.resize(static_cast<size_t>(out.width) * out.height * 4);
    for (uint32_t oy = 0; oy < out.height; ++oy) {
        const size_t y0 = static_cast<size_t>(oy) * image.height / out.height;
        const size_t y1 = static_cast<size_t>(oy + 1) * image.height / out.height;
        for (uint32_t ox = 0; ox < out.width; ++ox) {
            const size_t x0 = static_cast<size_t>(ox) * image.width / out.width;
            const size_t x1 = static_cast<size_t>(ox + 1) * image.width / out.width;
            std::array<uint64_t, 3> colour{};
            uint64_t alpha = 0;
            for (size_t y = y0; y < y1; ++y) {
                const uint8_t* pixel = &image.rgba[(y * image.width + x0) * 4];
                for (size_t x = x0; x < x1; ++x, pixel += 4) {
                    for (size_t c = 0; c < 3; ++c) {
                        colour[c] += static_cast<uint64_t>(pixel[c]) * pixel[3];
                    }
                    alpha += pixel[3];
                }
            }
            const uint64_t count = static_cast<uint64_t>(y1 - y0) * (x1 - x0);
            uint8_t* target = &out.rgba[(static_cast<size_t>(oy) * out.width + ox) * 4];
            for (size_t c = 0; c < 3; ++c) {
                target[c] = static_cast<uint8_t>(alpha == 0 ? 0 : (colour[c] + alpha / 2) / alpha);
            }
            target[3] = static_cast<uint8_t>((alpha + count / 2) / count);
        }
    }
    return out;
}

}  // namespace orv
