#include "render/atlas_packer.hpp"

namespace orv {

bool AtlasPacker::place(uint32_t width, uint32_t height, AtlasRect& out) {
    // One texel of gap on the right and below keeps neighbours apart. The sheet's own edge
    // needs none, so a rectangle as wide as the sheet fits; its gap then lies past the edge
    // and still separates it from what a larger sheet places there.
    const uint64_t w = uint64_t{width} + 1;
    const uint64_t h = uint64_t{height} + 1;
    if (width == 0 || height == 0 || width > side || height > side) {
        return false;
    }
    for (Shelf& shelf : shelves) {
        // A shelf takes rectangles up to its height, and not much lower ones, so it is not wasted.
        if (h <= shelf.height && h * 2 > shelf.height && shelf.used + uint64_t{width} <= side) {
            out = AtlasRect{static_cast<uint32_t>(shelf.used), static_cast<uint32_t>(shelf.y), width, height};
            shelf.used += w;
            return true;
        }
    }
    if (bottom + uint64_t{height} > side) {
        return false;
    }
    shelves.push_back(Shelf{bottom, h, w});
    out = AtlasRect{0, static_cast<uint32_t>(bottom), width, height};
    bottom += h;
    return true;
}

}  // namespace orv
