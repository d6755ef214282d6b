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

PixelBox insideOfEllipse(const Primitive& disc) {
    // The ellipse is centre + M (u, v) for u^2 + v^2 <= 1, M's columns the half sides e1, e2.
    const double e1x = 0.5 * (static_cast<double>(disc.p1[0]) - disc.p0[0]);
    const double e1y = 0.5 * (static_cast<double>(disc.p1[1]) - disc.p0[1]);
    const double e2x = 0.5 * (static_cast<double>(disc.p2[0]) - disc.p0[0]);
    const double e2y = 0.5 * (static_cast<double>(disc.p2[1]) - disc.p0[1]);
    const double det = e1x * e2y - e1y * e2x;
    // Half the bounds' sides; a corner (s wx, s wy) lies on the ellipse when
    // s^2 (2 wx^2 wy^2 + 2 |e1x e1y + e2x e2y| wx wy) = det^2.
    const double wx = std::hypot(e1x, e2x);
    const double wy = std::hypot(e1y, e2y);
    const double reach = 2.0 * wx * wy * (wx * wy + std::fabs(e1x * e1y + e2x * e2y));
    if (!(reach > 0.0) || !std::isfinite(reach)) {
        return PixelBox{};
    }
    const double s = 0.99 * std::fabs(det) / std::sqrt(reach);
    const double cx = 0.5 * (static_cast<double>(disc.p1[0]) + disc.p2[0]);
    const double cy = 0.5 * (static_cast<double>(disc.p1[1]) + disc.p2[1]);
    return PixelBox{static_cast<float>(cx - s * wx), static_cast<float>(cy - s * wy), static_cast<float>(cx + s * wx),
                    static_cast<float>(cy + s * wy)};
}

PixelBox insideOfRoundedBox(const Primitive& box) {
    const bool upright = (box.p1[1] == box.p0[1] && box.p2[0] == box.p0[0]) ||
                         (box.p1[0] == box.p0[0] && box.p2[1] == box.p0[1]);
    if (!upright || box.source[3] > 0.0f) {
        return PixelBox{};
    }
    PixelBox b = boundsOf(box);
    const float width = b.right - b.left;
    const float height = b.bottom - b.top;
    const float r = std::clamp(box.source[2], 0.0f, 0.5f * std::min(width, height));
    if (width * (height - 2.0f * r) >= height * (width - 2.0f * r)) {
        b.top += r;
        b.bottom -= r;
    } else {
        b.left += r;
        b.right -= r;
    }
    return b;
}

}  // namespace orv
