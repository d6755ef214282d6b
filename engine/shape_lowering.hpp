#pragma once
// The pieces every kind lowers itself with: turns exact at quarter turns, solid
// parallelograms and triangles, picture quads, and where a picture lands on pixels.

#include <cstdint>

#include "platform/point2d.hpp"
#include "render/atlas_packer.hpp"
#include "render/draw_list.hpp"

namespace orv {

// Cosine and sine of a turn in degrees, exact for quarter turns, so a shape turned by one
// lands on the same pixels as an unturned one.
struct Turn {
    double c = 1.0;
    double s = 0.0;

    bool none() const { return c == 1.0 && s == 0.0; }
};
Turn turnOf(double degrees);

bool finite(float a, float b, float c, float d);

// A solid parallelogram from (x, y) along e1 and e2; axis-aligned when its sides run along x
// and y. Nothing for one of no area.
void solidQuad(DrawList& out, double x, double y, double e1x, double e1y, double e2x, double e2y, uint32_t color);
// A solid triangle; nothing for one of no area.
void solidTriangle(DrawList& out, const Point2D& a, const Point2D& b, const Point2D& c, uint32_t color);

// A picture's texels `rect` stretched over w by h pixels from (x, y).
Primitive& pictureQuad(DrawList& out, float x, float y, float w, float h, const AtlasRect& rect, uint32_t tint,
                       bool ownSize);

// Where a picture anchored at `at` (either axis) is drawn: a picture at its own size lands on
// whole pixels, so each pixel shows one texel as the image has it (and sampling it needs no
// filtering); a scaled one keeps its place.
float pictureCorner(float at, bool ownSize);

}  // namespace orv
