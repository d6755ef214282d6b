#include "engine/frame_pixels.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

#include <stb/stb_image_write.h>

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

void writePng(const std::string& path, const std::vector<uint8_t>& rgba, uint32_t width, uint32_t height) {
    // Opened here rather than by the encoder, so a failure can say why.
    std::unique_ptr<FILE, int (*)(FILE*)> file{std::fopen(path.c_str(), "wb"), &std::fclose};
    if (!file) {
        const int code = errno;
        throw FileError(code, path, "cannot write " + path + ": " + std::strerror(code));
    }
    const auto write = [](void* context, void* data, int size) {
        FILE* out = static_cast<FILE*>(context);
        if (std::fwrite(data, 1, static_cast<size_t>(size), out) != static_cast<size_t>(size)) {
            // Remembered by the stream's error flag, checked below.
        }
    };
    const int ok = stbi_write_png_to_func(write, file.get(), static_cast<int>(width), static_cast<int>(height), 4,
                                          rgba.data(), static_cast<int>(width * 4));
    const bool failed = ok == 0 || std::ferror(file.get()) != 0;
    const int code = errno;
    FILE* raw = file.release();
    if (std::fclose(raw) != 0 || failed) {
        throw FileError(code != 0 ? code : EIO, path, "cannot write " + path + ": " + std::strerror(code != 0 ? code : EIO));
    }
}

}  // namespace orv
