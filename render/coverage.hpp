#pragma once
// Which pixels a primitive covers, written once: a pixel is covered when its centre is, and
// an edge holds the centres on its left or top side only (half-open: lo <= centre < hi).
// The tiles binner, both shaders' quads and the reference rasteriser follow it; a disc or a
// triangle decides its own edge centres (within 1/256 of a pixel the renderers may differ).

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/atlas_packer.hpp"
#include "render/draw_list.hpp"

namespace orv {

// std::ceil, inline: this runs several times for every primitive of every frame.
inline double ceilOf(double v) {
    if (!(std::fabs(v) < 4503599627370496.0)) {  // 2^52: whole already (or NaN)
        return v;
    }
    const double t = static_cast<double>(static_cast<int64_t>(v));
    return t < v ? t + 1.0 : t;
}

// The pixels whose centres c satisfy lo <= c < hi, clipped to [0, limit): first and last.
// False when there are none (or lo or hi is NaN).
inline bool pixelRange(double lo, double hi, uint32_t limit, uint32_t& first, uint32_t& last) {
    const double from = std::max(ceilOf(lo - 0.5), 0.0);
    const double to = std::min(ceilOf(hi - 0.5) - 1.0, static_cast<double>(limit) - 1.0);
    if (!(from <= to)) {
        return false;
    }
    first = static_cast<uint32_t>(from);
    last = static_cast<uint32_t>(to);
    return true;
}

// Pixels [x0, x1] by [y0, y1], inclusive.
struct PixelSpan {
    uint32_t x0, y0, x1, y1;
    bool empty() const { return x1 < x0 || y1 < y0; }
};

// The pixels of `box` in a frame of width by height; false when there are none.
inline bool pixelsOf(const PixelBox& box, uint32_t width, uint32_t height, PixelSpan& span) {
    return pixelRange(box.left, box.right, width, span.x0, span.x1) &&
           pixelRange(box.top, box.bottom, height, span.y0, span.y1);
}
// The pixels of an opaque area that are surely covered, given that the area's edges may have
// been rounded differently than the pixels themselves: one pixel is trimmed off each side,
// and what remains is clipped to `reach`. Empty when nothing remains.
PixelSpan surelyCovered(const PixelBox& area, uint32_t width, uint32_t height, const PixelSpan& reach);

// Where a picture drawn over `box` (its texels stretched evenly over it) shows only texels of
// its fully opaque part `opaque` (from the picture's corner, within `picture` texels): its
// bilinear sample at s = texel position - 0.5 (clamped to the picture) mixes texels floor(s)
// and floor(s) + 1, the latter with weight 0 when s is whole, so s in [first, last] of the
// opaque part reads nothing else. Empty when there is no such part.
// `across` and `down`: texels a pixel.
PixelBox opaquePartOfPicture(const PixelBox& box, uint32_t pictureWidth, uint32_t pictureHeight, float across,
                             float down, const AtlasRect& opaque);

// The square inside a disc drawn in `box`, a little smaller than it could be: it hides what
// is below.
inline PixelBox insideOfDisc(const PixelBox& box) {
    const float cx = (box.left + box.right) * 0.5f;
    const float cy = (box.top + box.bottom) * 0.5f;
    const float hx = (box.right - box.left) * 0.35f;  // a little under half of 1 / sqrt(2)
    const float hy = (box.bottom - box.top) * 0.35f;
    return {cx - hx, cy - hy, cx + hx, cy + hy};
}

// A box inside a disc primitive, turned or not, a little smaller than it could be: the box
// about its centre, shaped as the ellipse's bounds, whose corners just reach the ellipse.
PixelBox insideOfEllipse(const Primitive& disc);

// A box inside a filled rounded box whose sides run along x and y: its own box shrunk by the
// corner radius across or down, whichever keeps more. None for an outline or a turned one.
PixelBox insideOfRoundedBox(const Primitive& box);

}  // namespace orv
