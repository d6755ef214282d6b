#include "render/coverage.hpp"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

// std::ceil, inline: this runs several times for every primitive of every frame.
double ceilOf(double v) {
    if (!(std::fabs(v) < 4503599627370496.0)) {  // 2^52: whole already (or NaN)
        return v;
    }
    const double t = static_cast<double>(static_cast<int64_t>(v));
    return t < v ? t + 1.0 : t;
}

}  // namespace

bool pixelRange(double lo, double hi, uint32_t limit, uint32_t& first, uint32_t& last) {
    const double from = std::max(ceilOf(lo - 0.5), 0.0);
    const double to = std::min(ceilOf(hi - 0.5) - 1.0, static_cast<double>(limit) - 1.0);
    if (!(from <= to)) {
        return false;
    }
    first = static_cast<uint32_t>(from);
    last = static_cast<uint32_t>(to);
    return true;
}

bool pixelsOf(const PixelBox& box, uint32_t width, uint32_t height, PixelSpan& span) {
    return pixelRange(box.left, box.right, width, span.x0, span.x1) &&
           pixelRange(box.top, box.bottom, height, span.y0, span.y1);
}

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

PixelBox insideOfDisc(const PixelBox& box) {
    const float cx = (box.left + box.right) * 0.5f;
    const float cy = (box.top + box.bottom) * 0.5f;
    const float hx = (box.right - box.left) * 0.35f;  // a little under half of 1 / sqrt(2)
    const float hy = (box.bottom - box.top) * 0.35f;
    return {cx - hx, cy - hy, cx + hx, cy + hy};
}

}  // namespace orv
