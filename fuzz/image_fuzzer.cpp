// libFuzzer target: decoding picture bytes (PNG and JPEG) must give an image of the size its
// header promised or a clean error, never a crash, a leak or undefined behaviour.
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#include "render/image_file.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Small enough that a hostile header cannot ask for gigabytes.
    constexpr uint32_t kMaxSide = 2048;
    try {
        const orv::Image image = orv::decodeImage(data, size, kMaxSide);
        if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide ||
            image.rgba.size() != static_cast<size_t>(image.width) * image.height * 4) {
            std::abort();
        }
    } catch (const std::runtime_error&) {
        // A refused picture is an answer.
    }
    return 0;
}
