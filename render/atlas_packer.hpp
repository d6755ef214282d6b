#pragma once
// Places rectangles in a square sheet, shelf by shelf: each new rectangle goes on the first
// shelf with room, or on a new shelf below. A sheet made larger keeps every place it gave.

#include <cstdint>
#include <vector>

namespace orv {

struct AtlasRect {
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

class AtlasPacker {
public:
    explicit AtlasPacker(uint32_t sheetSide) : side{sheetSide} {}

    // A place for a width x height rectangle with a free texel around it, or false when the
    // sheet has no room.
    bool place(uint32_t width, uint32_t height, AtlasRect& out);
    // Makes the sheet `newSide` on a side (at least as large as now).
    void grow(uint32_t newSide) { side = newSide; }
    uint32_t sideLength() const { return side; }

private:
    // 64-bit: a gap past the sheet's edge may take these one beyond its side.
    struct Shelf {
        uint64_t y;
        uint64_t height;
        uint64_t used;  // from the left
    };

    uint32_t side;
    uint64_t bottom = 0;  // where the next shelf starts
    std::vector<Shelf> shelves;
};

}  // namespace orv
