// libFuzzer target: decoding picture bytes (PNG, JPEG, GIF, and every frame of a GIF) must give
// an image of the size its header promised or a clean error, never a crash, a leak or
// undefined behaviour.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "render/gif_file.hpp"
#include "render/image_file.hpp"

namespace {

// Small enough that a hostile header cannot ask for gigabytes.
constexpr uint32_t kMaxSide = 2048;

void check(const orv::Image& image) {
    if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide ||
        image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        check(orv::decodeImage(data, size, kMaxSide));
    } catch (const std::runtime_error&) {
        // A refused picture is an answer.
    }
    try {
        const orv::ImageFrames frames = orv::decodeImageFrames(data, size, kMaxSide);
        check(frames.image);
        if (frames.frames.empty() || frames.frames.size() != frames.delays.size()) {
            std::abort();
        }
        // Every frame lies inside the picture.
        for (const orv::AtlasRect& f : frames.frames) {
            if (uint64_t{f.x} + f.width > frames.image.width || uint64_t{f.y} + f.height > frames.image.height) {
                std::abort();
            }
        }
    } catch (const std::runtime_error&) {
    }
    return 0;
}
