#pragma once
// A disc far larger than the frame, for the raster renderer. Its square is drawn whole (the
// disc is cut out of it by each corner's place across it), and a square of 1e10 pixels
// overflows the rasteriser's fixed point: the frame showed half of it. A disc that holds the
// frame and the margin around it is the plain quad of the frame.

#include <cmath>

#include "render/draw_list.hpp"

namespace orv {

inline void fillFrameWithGiantDisc(Primitive& p, float width, float height, float margin) {
    if (p.kindNumber() != kPrimDisc || p.has(kFlagRing) || !p.has(kFlagAxisAligned)) return;
    const double cx = (double{p.p0[0]} + p.p1[0]) / 2.0;
    const double cy = (double{p.p0[1]} + p.p2[1]) / 2.0;
    const double r = std::fabs(double{p.p1[0]} - p.p0[0]) / 2.0;
    if (r < double{width} + double{height} + margin) return;  // its square is small enough to draw
    for (const double x : {-double{margin}, double{width} + margin}) {
        for (const double y : {-double{margin}, double{height} + margin}) {
            if (std::hypot(x - cx, y - cy) > r) return;
        }
    }
    p.kind = (p.kind & ~kKindMask) | kPrimQuad;
    p.p0[0] = 0.0f;
    p.p0[1] = 0.0f;
    p.p1[0] = width;
    p.p1[1] = 0.0f;
    p.p2[0] = 0.0f;
    p.p2[1] = height;
    p.source[2] = 1.0f;
    p.source[3] = 1.0f;
    p.inverse[0] = 1.0f / width;
    p.inverse[3] = 1.0f / height;
}

}  // namespace orv
