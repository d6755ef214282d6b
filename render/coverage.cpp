#include "render/coverage.hpp"

#include <algorithm>
#include <cmath>

namespace orv {

PixelSpan surelyCovered(const PixelBox& area, uint32_t width, uint32_t height, const PixelSpan& reach) {
    constexpr PixelSpan kNone{1, 1, 0, 0};
    PixelSpan cover{};
    if (!pixelsOf(area, width, height, cover) || cover.x1 == 0 || cover.y1 == 0) {
        return kNone;
    }
    cover = {std::max(cover.x0 + 1, reach.x0), std::max(cover.y0 + 1, reach.y0), std::min(cover.x1 - 1, reach.x1),
             std::min(cover.y1 - 1, reach.y1)};
    return cover.empty() ? kNone : cover;
}

PixelBox opaquePartOfPicture(const PixelBox& box, uint32_t pictureWidth, uint32_t pictureHeight, float across,
                             float down, const AtlasRect& opaque) {
    if (opaque.width == 0 || opaque.height == 0 || pictureWidth == 0 || pictureHeight == 0) {
        return PixelBox{};
    }
    const auto span = [](uint32_t first, uint32_t count, uint32_t size, float perPixel, float lo, float hi,
                         float& from, float& to) {
        const float last = static_cast<float>(first + count - 1);
        from = first == 0 ? lo : lo + (static_cast<float>(first) + 0.5f) / perPixel;
        to = first + count == size ? hi : lo + (last + 0.5f) / perPixel;
    };
    PixelBox part{};
    span(opaque.x, opaque.width, pictureWidth, across, box.left, box.right, part.left, part.right);
    span(opaque.y, opaque.height, pictureHeight, down, box.top, box.bottom, part.top, part.bottom);
    return part;
}

}  // namespace orv
