#pragma once
// A small CPU rasteriser that draws a draw list the way the rules say (render/coverage.hpp,
// render/draw_layout.h), slowly and plainly, for the renderers to be checked against.

#include <cstdint>
#include <functional>
#include <vector>

#include "render/draw_list.hpp"

namespace orv {

// An atlas texel as RGBA bytes (straight alpha).
using TexelLookup = std::function<std::array<uint8_t, 4>(uint32_t x, uint32_t y)>;

// The frame as RGBA bytes, rows from the top.
std::vector<uint8_t> referenceDraw(const DrawList& list, const TexelLookup& texel);

// How far the pixel centre (x, y) lies from the nearest edge of any primitive that reaches it.
double edgeDistance(const DrawList& list, double x, double y);
// Whether some primitive that blends (a picture, or a colour seen through) covers the pixel
// centre (x, y).
bool blendsAt(const DrawList& list, double x, double y);

}  // namespace orv
