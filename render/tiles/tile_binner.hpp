#pragma once
// Sorts shapes into the screen's 16 x 16 pixel tiles (kTileSize, render/draw_layout.h): for each tile, the shapes that reach
// it, in the order they were added (topmost first), each with where in the tile its box lies,
// so the tile's pass needs the shape's record only for the pixels it reaches. Each tile has
// a list for its left eight columns and one for its right eight: a CPU driver runs eight
// columns in one vector, and a shape listed for the other half costs that vector nothing.
// Each tile keeps which of its pixels the opaque shapes added so far cover: a shape whose box
// lies wholly within them is hidden there (in one half or both) and left out, and a tile they
// cover whole takes no more.
// Linear in the shapes and the tiles they reach: one pass decides and counts, a prefix sum,
// then the lists are filled in the same order. Keeps its scratch between frames.

#include <cstdint>
#include <vector>

#include "render/coverage.hpp"

namespace orv {

class TileBinner {
public:
    static constexpr uint32_t kTile = kTileSize;
    static constexpr uint32_t kHalf = kTile / 2;

    // A tile that some shape reaches: where it is, and where its lists are: the left half's
    // from `first`, the right half's right after it.
    struct Range {
        uint32_t tile;  // column in the low 16 bits, row in the high
        uint32_t first;
        uint32_t left;   // entries for columns 0 to 7
        uint32_t right;  // entries for columns 8 to 15
    };

    // One shape in one tile's list.
    struct Entry {
        uint32_t shape;
        // The first and last column and row of the tile that the shape's box covers, four
        // bits each from the lowest, and the shape's kind from bit 16.
        uint32_t place;
    };

    // Pixels [x0, x1] by [y0, y1], inclusive, clipped to the frame.
    using Pixels = PixelSpan;

    // Starts a frame of `width` by `height` pixels.
    void begin(uint32_t width, uint32_t height);
    // How a tile is drawn: with opaque shapes only; blending pictures or text drawn at their
    // own size on whole pixels (one texel a pixel); or blending with some picture scaled,
    // which needs filtering. A tile takes the last of these that any of its shapes needs.
    enum class Pass : uint8_t { Opaque, Blended, Filtered };

    // Adds shape number `shape`, of kind `kind` (below 2^16), reaching the pixels `reach`
    // (not empty), drawn in pass `pass`. `opaque`, when given, are pixels the shape paints
    // fully opaque: tiles it covers take no shape added later.
    void add(uint32_t shape, const Pixels& reach, uint32_t kind, Pass pass = Pass::Opaque,
             const Pixels* opaque = nullptr);
    // After the last add: the number of list entries all tiles hold together.
    uint32_t finish();
    struct Written {
        uint32_t opaque;    // tiles of opaque shapes only, written first
        uint32_t blended;   // then those blending pictures at their own size
        uint32_t filtered;  // then those with a scaled picture
        uint32_t total() const { return opaque + blended + filtered; }
    };
    // Writes the tiles that some shape reaches, grouped by pass, each group row by row, and
    // their lists, shapes in the order added.
    Written write(Range* ranges, Entry* lists) const;

    uint32_t tilesX() const { return columns; }
    uint32_t tilesY() const { return rows; }
    uint32_t tileCount() const { return columns * rows; }

private:
    // An entry as add() decided it, with the list it goes to: tile * 2 + half.
    struct Listed {
        uint32_t list;
        Entry entry;
    };

    uint32_t columns = 0;
    uint32_t rows = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<Listed> listed;  // the first listedCount are this frame's
    size_t listedCount = 0;
    std::vector<uint32_t> counts;  // for each list, tile * 2 + half
    std::vector<Pass> tilePasses;
    // For each tile, sixteen rows of bits (bit c: column c) of the pixels that opaque shapes
    // cover, or that lie outside the frame; and how many of its rows are full.
    std::vector<uint16_t> covered;
    std::vector<uint8_t> fullRows;
    mutable std::vector<uint32_t> cursor;
};

}  // namespace orv
