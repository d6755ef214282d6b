#pragma once
// Sorts shapes into the screen's 16 x 16 pixel tiles: for each tile, the shapes that reach
// it, in the order they were added (topmost first), each with where in the tile its box lies,
// so the tile's pass needs the shape's record only for the pixels it reaches. A shape that
// paints a whole tile opaque ends that tile's list: nothing added after it would show there.
// Linear in the shapes and the tiles they cover: a counting pass, a prefix sum, a filling
// pass. Keeps its scratch between frames.

#include <cstdint>
#include <vector>

#include "render/coverage.hpp"

namespace orv {

class TileBinner {
public:
    static constexpr uint32_t kTile = 16;

    // A tile that some shape reaches: where it is, and where its list is.
    struct Range {
        uint32_t tile;  // column in the low 16 bits, row in the high
        uint32_t first;
        uint32_t count;
        uint32_t unused;
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
    struct Span {
        uint16_t x0, y0, x1, y1;  // pixels
        uint32_t kind;
        uint32_t shape;
        // The tiles it seals: columns [sealX0, sealX1) by rows [sealY0, sealY1).
        uint16_t sealX0, sealY0, sealX1, sealY1;
    };

    // Calls `reach(tile)` for each of the span's tiles not yet sealed in `sealed`, then
    // seals those it covers.
    template <typename Reach>
    void visit(const Span& span, std::vector<uint8_t>& sealed, Reach&& reach) const;

    uint32_t columns = 0;
    uint32_t rows = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<Span> spans;
    std::vector<uint32_t> counts;
    std::vector<Pass> tilePasses;
    std::vector<uint8_t> sealedTiles;
    mutable std::vector<uint8_t> sealedAgain;  // write() replays the sealing
    mutable std::vector<uint32_t> cursor;
};

}  // namespace orv
