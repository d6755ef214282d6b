#pragma once
// Reading pictures for sprites: PNG (libpng), JPEG (libjpeg-turbo) and GIF (giflib) into RGBA
// bytes with straight alpha, rows from the top; and writing a frame as a PNG file.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace orv {

struct Image {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgba;
};

// Files larger than this are not pictures a game loads.
constexpr size_t kMaxImageFileBytes = size_t{256} << 20;

// Decodes PNG, JPEG or GIF bytes (a GIF's first frame). Throws std::runtime_error with the
// reason ("truncated or corrupt PNG data (...)", "not a PNG, JPEG or GIF image", "4000 by
// 20000 pixels, larger than the device's largest image (16384)"); a picture above
// render/picture_limits.hpp's limit is refused from its header, before it is decoded.
Image decodeImage(const uint8_t* data, size_t size, uint32_t maxSide);

// Reads and decodes the regular file at `path`; the error names the file and the reason.
Image loadImageFile(const std::string& path, uint32_t maxSide);

// As decodeImage and loadImageFile, every frame: an animated GIF's (render/gif_file.hpp), or
// the whole picture as one still frame.
struct ImageFrames;
ImageFrames decodeImageFrames(const uint8_t* data, size_t size, uint32_t maxSide);
ImageFrames loadImageFrames(const std::string& path, uint32_t maxSide);

// Raised when a file cannot be written; `error` is the errno value.
struct FileError : std::runtime_error {
    FileError(int code, std::string path, const std::string& message)
        : std::runtime_error(message), error{code}, filename{std::move(path)} {}
    int error;
    std::string filename;
};

// Writes RGBA rows as a PNG file; throws FileError when it cannot.
void writePng(const std::string& path, const uint8_t* rgba, uint32_t width, uint32_t height);

}  // namespace orv
