#include "render/opaque_region.hpp"

#include <gtest/gtest.h>

namespace orv {
namespace {

// A width x height picture, opaque but where `clear` says (x, y) is not.
template <typename Clear>
Image picture(uint32_t width, uint32_t height, Clear clear) {
    Image image{width, height, std::vector<uint8_t>(size_t{width} * height * 4, 255)};
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            image.rgba[(size_t{y} * width + x) * 4 + 3] = clear(x, y) ? 254 : 255;
        }
    }
    return image;
}

bool same(const AtlasRect& a, const AtlasRect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

TEST(OpaqueRegion, IsTheLargerBandOfWholeOpaqueRowsOrColumns) {
    // Soft corners: rows 3 to 28 are whole, as are columns 3 to 28; rows win a tie.
    const auto corners = [](uint32_t x, uint32_t y) { return (x < 3 || x > 28) && (y < 3 || y > 28); };
    EXPECT_TRUE(same(opaqueRegion(picture(32, 32, corners)), AtlasRect{0, 3, 32, 26}));
    // One see-through texel: rows 1 to 3 (30 texels) or columns 2 to 9 (32), the larger.
    const auto one = [](uint32_t x, uint32_t y) { return x == 1 && y == 0; };
    EXPECT_TRUE(same(opaqueRegion(picture(10, 4, one)), AtlasRect{2, 0, 8, 4}));
    EXPECT_TRUE(same(opaqueRegion(picture(5, 5, [](uint32_t, uint32_t) { return false; })), AtlasRect{0, 0, 5, 5}));
    EXPECT_EQ(opaqueRegion(picture(5, 5, [](uint32_t x, uint32_t y) { return x == y; })).width, 0u);
}

TEST(OpaqueRegion, VisibleRegionBoundsTheTexelsWithAnyAlpha) {
    Image image{6, 5, std::vector<uint8_t>(6 * 5 * 4, 0)};
    EXPECT_EQ(visibleRegion(image).width, 0u);
    image.rgba[(1 * 6 + 4) * 4 + 3] = 1;  // (4, 1)
    image.rgba[(3 * 6 + 2) * 4 + 3] = 255;  // (2, 3)
    EXPECT_TRUE(same(visibleRegion(image), AtlasRect{2, 1, 3, 3}));
}

}  // namespace
}  // namespace orv
