#include "render/image_file.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <png.h>
#include <unistd.h>
#include <turbojpeg.h>

#include "platform/regular_file.hpp"
#include "render/gif_file.hpp"
#include "render/picture_limits.hpp"

namespace orv {

namespace {

bool isPng(const uint8_t* data, size_t size) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= 8 && std::memcmp(data, kSignature, 8) == 0;
}

bool isJpeg(const uint8_t* data, size_t size) {
    return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

void checkSize(uint32_t width, uint32_t height, uint32_t maxSide) {
    if (width == 0 || height == 0) {
        throw std::runtime_error("an empty image (" + std::to_string(width) + " by " + std::to_string(height) +
                                 " pixels)");
    }
    const std::string problem = pictureSizeProblem(width, height, maxSide);
    if (!problem.empty()) {
        throw std::runtime_error(problem);
    }
}

Image decodePng(const uint8_t* data, size_t size, uint32_t maxSide) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    struct Free {
        png_image* image;
        ~Free() { png_image_free(image); }
    } release{&png};
    if (png_image_begin_read_from_memory(&png, data, size) == 0) {
        throw std::runtime_error(std::string("corrupt PNG data (") + png.message + ")");
    }
    checkSize(png.width, png.height, maxSide);
    // 8-bit sRGB with straight alpha, whatever the file holds. A 16-bit file without gamma
    // information is sRGB like every other, not the linear light libpng assumes by default.
    png.format = PNG_FORMAT_RGBA;
    png.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
    Image image;
    image.width = png.width;
    image.height = png.height;
    image.rgba.resize(PNG_IMAGE_SIZE(png));
    if (png_image_finish_read(&png, nullptr, image.rgba.data(), 0, nullptr) == 0) {
        throw std::runtime_error(std::string("truncated or corrupt PNG data (") + png.message + ")");
    }
    return image;
}

// Whether an Adobe APP14 segment comes before the scan: its CMYK is stored inverted, as
// Photoshop writes it (and libjpeg hands it over unchanged).
bool hasAdobeMarker(const uint8_t* data, size_t size) {
    size_t at = 2;
    while (at + 4 <= size && data[at] == 0xFF) {
        const uint8_t marker = data[at + 1];
        const size_t length = size_t{data[at + 2]} << 8 | data[at + 3];
        if (marker == 0xDA || length < 2) {
            return false;
        }
        if (marker == 0xEE && length >= 7 && at + 9 <= size && std::memcmp(data + at + 4, "Adobe", 5) == 0) {
            return true;
        }
        at += 2 + length;
    }
    return false;
}

// CMYK (from a CMYK or YCCK file) to opaque RGB in place, without colour management: each
// channel is what its ink and the black leave of white.
void cmykToRgba(std::vector<uint8_t>& pixels, bool inverted) {
    for (size_t i = 0; i + 4 <= pixels.size(); i += 4) {
        uint8_t* p = pixels.data() + i;
        const unsigned white = inverted ? p[3] : 255u - p[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned left = inverted ? p[c] : 255u - p[c];
            p[c] = static_cast<uint8_t>((left * white + 127) / 255);
        }
        p[3] = 255;
    }
}

Image decodeJpeg(const uint8_t* data, size_t size, uint32_t maxSide) {
    std::unique_ptr<void, int (*)(tjhandle)> jpeg{tjInitDecompress(), &tjDestroy};
    if (!jpeg) {
        throw std::runtime_error("the JPEG decoder could not start");
    }
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (tjDecompressHeader3(jpeg.get(), data, static_cast<unsigned long>(size), &width, &height, &subsampling,
                            &colorspace) != 0) {
        throw std::runtime_error(std::string("corrupt JPEG data (") + tjGetErrorStr2(jpeg.get()) + ")");
    }
    checkSize(static_cast<uint32_t>(width), static_cast<uint32_t>(height), maxSide);
    Image image;
    image.width = static_cast<uint32_t>(width);
    image.height = static_cast<uint32_t>(height);
    image.rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    // libjpeg converts no CMYK to RGB: such files are decoded as CMYK and converted here.
    const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    // A warning (a truncated file, say) leaves part of the picture undecoded: refused too.
    if (tjDecompress2(jpeg.get(), data, static_cast<unsigned long>(size), image.rgba.data(), width, 0, height,
                      cmyk ? TJPF_CMYK : TJPF_RGBA, TJFLAG_STOPONWARNING | TJFLAG_ACCURATEDCT) != 0) {
        throw std::runtime_error(std::string("truncated or corrupt JPEG data (") + tjGetErrorStr2(jpeg.get()) + ")");
    }
    if (cmyk) {
        cmykToRgba(image.rgba, hasAdobeMarker(data, size));
    }
    return image;
}

}  // namespace

Image decodeImage(const uint8_t* data, size_t size, uint32_t maxSide) {
    if (isPng(data, size)) {
        return decodePng(data, size, maxSide);
    }
    if (isJpeg(data, size)) {
        return decodeJpeg(data, size, maxSide);
    }
    if (isGif(data, size)) {
        return std::move(decodeGif(data, size, maxSide, false).image);
    }
    throw std::runtime_error("not a PNG, JPEG or GIF image");
}

ImageFrames decodeImageFrames(const uint8_t* data, size_t size, uint32_t maxSide) {
    if (isGif(data, size)) {
        return decodeGif(data, size, maxSide, true);
    }
    ImageFrames one;
    one.image = decodeImage(data, size, maxSide);
    one.frames.push_back(AtlasRect{0, 0, one.image.width, one.image.height});
    one.delays.push_back(0.0);
    return one;
}

namespace {

// Reads the regular file at `path` and decodes it; the error names the file and the reason.
template <typename Decode>
auto loadFile(const std::string& path, Decode&& decode) {
    const auto fail = [&path](const std::string& why) { return std::runtime_error("cannot load " + path + ": " + why); };
    std::vector<uint8_t> bytes;
    try {
        bytes = readRegularFile(path, kMaxImageFileBytes, "an image");
    } catch (const std::runtime_error& e) {
        throw fail(e.what());
    }
    try {
        return decode(bytes.data(), bytes.size());
    } catch (const std::runtime_error& e) {
        throw fail(e.what());
    }
}

}  // namespace

Image loadImageFile(const std::string& path, uint32_t maxSide) {
    return loadFile(path, [maxSide](const uint8_t* data, size_t size) { return decodeImage(data, size, maxSide); });
}

ImageFrames loadImageFrames(const std::string& path, uint32_t maxSide) {
    return loadFile(path,
                    [maxSide](const uint8_t* data, size_t size) { return decodeImageFrames(data, size, maxSide); });
}

void writePng(const std::string& path, const uint8_t* rgba, uint32_t width, uint32_t height) {
    const auto fail = [&path](int code) {
        return FileError(code, path, "cannot write " + path + ": " + std::strerror(code));
    };
    // Encoded in memory first, then written here, so a failed write reports its own errno
    // (ENOSPC on a full disk) rather than the encoder's lost one.
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = width;
    png.height = height;
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t bytes = 0;
    std::vector<uint8_t> encoded;
    if (png_image_write_to_memory(&png, nullptr, &bytes, 0, rgba, 0, nullptr) != 0) {
        encoded.resize(static_cast<size_t>(bytes));
        if (png_image_write_to_memory(&png, encoded.data(), &bytes, 0, rgba, 0, nullptr) == 0) bytes = 0;
    }
    png_image_free(&png);
    if (bytes == 0) throw fail(ENOMEM);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) throw fail(errno);
    size_t done = 0;
    int code = 0;
    while (done < bytes && code == 0) {
        const ssize_t wrote = ::write(fd, encoded.data() + done, static_cast<size_t>(bytes) - done);
        if (wrote > 0) {
            done += static_cast<size_t>(wrote);
        } else if (wrote == 0 || errno != EINTR) {
            code = wrote == 0 ? EIO : errno;
        }
    }
    if (::close(fd) != 0 && code == 0 && errno != EINTR) code = errno;
    if (code != 0) throw fail(code);
}

}  // namespace orv
