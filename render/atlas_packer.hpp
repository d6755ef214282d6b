#pragma once
// Places rectangles in a square sheet, shelf by shelf: each new rectangle goes on the first
// shelf of about its height with a free stretch wide enough, or on a new shelf below. A place
// given back frees its stretch of the shelf; an emptied shelf joins empty neighbours and is
// cut again for any height. A sheet made larger keeps every place it gave.

#include <cstddef>
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
    // Gives back a place `place` gave (once).
    void release(const AtlasRect& rect);
    // Makes the sheet `newSide` on a side (at least as large as now).
    void grow(uint32_t newSide);
    uint32_t sideLength() const { return side; }

private:
    // Every place takes its rectangle and a texel of gap right of and below it. The sheet's
    // own edge needs none, so the space is one texel wider and higher than the sheet: a
    // rectangle as wide as the sheet fits, its gap past the edge, and that gap still
    // separates it from what a larger sheet places there. 64-bit for the same reason.
    struct Span {
        uint64_t x;
        uint64_t width;
    };
    struct Shelf {
        uint64_t y;
        uint64_t height;
        std::vector<Span> free;  // by x, apart
    };

    uint64_t extent() const { return uint64_t{side} + 1; }
    bool isEmpty(const Shelf& shelf) const;
    // Takes `w` from the first free stretch of `shelf` that has it.
    static bool take(Shelf& shelf, uint64_t w, uint64_t& x);
    // Joins an emptied shelf with empty neighbours; the last shelf, empty, is gone.
    void tidy(size_t index);

    uint32_t side;
    uint64_t bottom = 0;        // where the next shelf starts
    std::vector<Shelf> shelves;  // by y, one below the other
};

}  // namespace orv
