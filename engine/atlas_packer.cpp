#include "engine/atlas_packer.hpp"

namespace orv {

bool AtlasPacker::place(uint32_t width, uint32_t height, AtlasRect& out) {
    // One texel of gap on the right and below keeps neighbours apart.
    const uint64_t w = uint64_t{width} + 1;
    const uint64_t h = uint64_t{height} + 1;
    if (width == 0 || height == 0 || w > side || h > side) {
        return false;
    }
    for (Shelf& shelf : shelves) {
        // A shelf takes rectangles up to its height, and not much lower ones, so it is not wasted.
        if (h <= shelf.height && h * 2 > shelf.height && side - shelf.used >= w) {
            out = AtlasRect{shelf.used, shelf.y, width, height};
            shelf.used += static_cast<uint32_t>(w);
            return true;
        }
    }
    if (side - bottom < h) {
        return false;
    }
    shelves.push_back(Shelf{bottom, static_cast<uint32_t>(h), static_cast<uint32_t>(w)});
    out = AtlasRect{0, bottom, width, height};
    bottom += static_cast<uint32_t>(h);
    return true;
}

}  // namespace orv
