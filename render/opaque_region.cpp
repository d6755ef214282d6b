#include "render/opaque_region.hpp"

#include <algorithm>
#include <vector>

namespace orv {

namespace {

// The longest run of true values: its first index and length.
void longestRun(const std::vector<bool>& all, uint32_t& first, uint32_t& length) {
    first = 0;
    length = 0;
    uint32_t start = 0;
    for (uint32_t i = 0; i <= all.size(); ++i) {
        if (i < all.size() && all[i]) {
            continue;
        }
        if (i - start > length) {
            first = start;
            length = i - start;
        }
        start = i + 1;
    }
}

}  // namespace

AtlasRect opaqueRegion(const Image& image) {
    std::vector<bool> rowOpaque(image.height, true);
    std::vector<bool> columnOpaque(image.width, true);
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint8_t* row = image.rgba.data() + static_cast<size_t>(y) * image.width * 4;
        for (uint32_t x = 0; x < image.width; ++x) {
            if (row[4 * x + 3] != 255) {
                rowOpaque[y] = false;
                columnOpaque[x] = false;
            }
        }
    }
    uint32_t rowFirst = 0, rows = 0, columnFirst = 0, columns = 0;
    longestRun(rowOpaque, rowFirst, rows);
    longestRun(columnOpaque, columnFirst, columns);
    if (rows == 0 && columns == 0) {
        return AtlasRect{};
    }
    if (static_cast<uint64_t>(rows) * image.width >= static_cast<uint64_t>(columns) * image.height) {
        return AtlasRect{0, rowFirst, image.width, rows};
    }
    return AtlasRect{columnFirst, 0, columns, image.height};
}

AtlasRect visibleRegion(const Image& image) {
    uint32_t left = image.width, top = image.height, right = 0, bottom = 0;
    for (uint32_t y = 0; y < image.height; ++y) {
        const uint8_t* row = image.rgba.data() + static_cast<size_t>(y) * image.width * 4;
        for (uint32_t x = 0; x < image.width; ++x) {
            if (row[4 * x + 3] != 0) {
                left = std::min(left, x);
                right = std::max(right, x + 1);
                top = std::min(top, y);
                bottom = std::max(bottom, y + 1);
            }
        }
    }
    return left < right ? AtlasRect{left, top, right - left, bottom - top} : AtlasRect{};
}

}  // namespace orv
