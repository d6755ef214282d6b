#pragma once
// Which texels of the atlas are opaque enough to collide with (alpha 128 or more), kept on
// the CPU as one bit a texel, so collisions by a picture's shape never read the device.

#include <cstdint>
#include <vector>

#include "render/atlas_packer.hpp"

namespace orv {

class AlphaMask {
public:
    static constexpr uint8_t kOpaqueFrom = 128;

    explicit AlphaMask(uint32_t sheetSide = 0) { growTo(sheetSide); }
    // A larger sheet: what is marked keeps its place.
    void growTo(uint32_t side);
    // Marks the texels of a picture placed at `rect` (RGBA, rows from the top).
    void set(const AtlasRect& rect, const uint8_t* rgba);
    // Outside the sheet: not opaque.
    bool opaque(uint32_t x, uint32_t y) const {
        return x < side && y < side && (bits[static_cast<size_t>(y) * words + (x >> 6)] >> (x & 63) & 1u) != 0;
    }
    uint32_t sideLength() const { return side; }

private:
    uint32_t side = 0;
    size_t words = 0;  // per row
    std::vector<uint64_t> bits;
};

}  // namespace orv
