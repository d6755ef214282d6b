#include "render/image_file.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orv {
namespace {

// A 1 by 1 RGBA PNG of the pixel 12 34 56 78 (hex), chunk by chunk.
const std::vector<uint8_t> kPixelPng = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a,                                // signature
    0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00,  // IHDR: 1 x 1,
    0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1f, 0x15, 0xc4, 0x89,        // 8-bit RGBA
    0x00, 0x00, 0x00, 0x0d, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0x10, 0x32,  // IDAT
    0x09, 0xab, 0x00, 0x00, 0x02, 0x0d, 0x01, 0x15, 0xa9, 0x7e, 0xa5, 0xc6,
    0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};       // IEND

std::string failure(const std::vector<uint8_t>& bytes, uint32_t maxSide = 16384) {
    try {
        decodeImage(bytes.data(), bytes.size(), maxSide);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "decoded";
}

TEST(DecodeImage, DecodesAPngToStraightRgba) {
    const Image image = decodeImage(kPixelPng.data(), kPixelPng.size(), 16384);
    EXPECT_EQ(image.width, 1u);
    EXPECT_EQ(image.height, 1u);
    EXPECT_EQ(image.rgba, (std::vector<uint8_t>{0x12, 0x34, 0x56, 0x78}));
}

TEST(DecodeImage, RefusesTruncatedOversizedAndForeignBytes) {
    // Cut inside the pixel data, and inside the header.
    EXPECT_NE(failure({kPixelPng.begin(), kPixelPng.begin() + 48}).find("PNG data"), std::string::npos);
    EXPECT_NE(failure({kPixelPng.begin(), kPixelPng.begin() + 20}).find("PNG data"), std::string::npos);
    EXPECT_NE(failure(kPixelPng, 0).find("larger than the device's largest image (0)"), std::string::npos);
    EXPECT_NE(failure({0xff, 0xd8, 0xff, 0xe0, 0x00}), "decoded");  // a JPEG's first marker, cut
    EXPECT_EQ(failure({'h', 'e', 'l', 'l', 'o', '\n', 0, 1, 2, 3}), "not a PNG, JPEG or GIF image");
    EXPECT_EQ(failure({}), "not a PNG, JPEG or GIF image");
}

}  // namespace
}  // namespace orv
