#include "render/tiles/tile_binner.hpp"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace orv {
namespace {

struct Listed {
    std::vector<TileBinner::Range> ranges;
    std::vector<TileBinner::Entry> lists;
};

// The shapes of a tile's left and right lists.
using Halves = std::pair<std::vector<uint32_t>, std::vector<uint32_t>>;
Halves shapesOf(const Listed& got, const TileBinner::Range& r) {
    Halves out;
    for (uint32_t i = r.first; i < r.first + r.left + r.right; ++i) {
        (i < r.first + r.left ? out.first : out.second).push_back(got.lists[i].shape);
    }
    return out;
}

Listed bin(TileBinner& binner) {
    Listed out;
    out.lists.resize(binner.finish());
    out.ranges.resize(binner.tileCount());
    const TileBinner::Written written = binner.write(out.ranges.data(), out.lists.data());
    out.ranges.resize(written.total());
    return out;
}

TEST(TileBinner, ListsReachedTilesInOrderWithWhereEachShapeLies) {
    TileBinner binner;
    binner.begin(40, 20);  // 3 x 2 tiles, the last column and row partly outside
    binner.add(0, {10, 3, 20, 5}, 1);   // tiles (0,0) and (1,0)
    binner.add(1, {0, 0, 39, 19}, 0);   // every tile
    binner.add(2, {33, 17, 35, 18}, 2);  // tile (2,1)
    EXPECT_EQ(binner.tilesX(), 3u);
    EXPECT_EQ(binner.tilesY(), 2u);
    const Listed got = bin(binner);

    ASSERT_EQ(got.ranges.size(), 6u);
    const auto place = [](uint32_t x0, uint32_t x1, uint32_t y0, uint32_t y1, uint32_t kind) {
        return x0 | x1 << 4 | y0 << 8 | y1 << 12 | kind << 16;
    };
    // Tile (0,0): the first shape from column 10 to 15, in the right half's list only, then the
    // full one in both.
    EXPECT_EQ(got.ranges[0].tile, 0u);
    EXPECT_EQ(shapesOf(got, got.ranges[0]), Halves({1}, {0, 1}));
    EXPECT_EQ(got.lists[got.ranges[0].first].place, place(0, 15, 0, 15, 0));
    EXPECT_EQ(got.lists[got.ranges[0].first + 1].place, place(10, 15, 3, 5, 1));
    // Tile (1,0): columns 16 to 20 of the first shape are its 0 to 4, in the left half.
    EXPECT_EQ(got.ranges[1].tile, 1u);
    EXPECT_EQ(got.lists[got.ranges[1].first].place, place(0, 4, 3, 5, 1));
    // Tile (2,1) holds the full shape (cut to the frame) above the last one.
    const TileBinner::Range& last = got.ranges[5];
    EXPECT_EQ(last.tile, 2u | 1u << 16);
    EXPECT_EQ(shapesOf(got, last), Halves({1, 2}, {}));
    EXPECT_EQ(got.lists[last.first].place, place(0, 7, 0, 3, 0));
    EXPECT_EQ(got.lists[last.first + 1].shape, 2u);
    EXPECT_EQ(got.lists[last.first + 1].place, place(1, 3, 1, 2, 2));
}

TEST(TileBinner, SkipsTilesNoShapeReachesAndStartsAfreshEachFrame) {
    TileBinner binner;
    binner.begin(64, 64);
    binner.add(0, {40, 40, 41, 41}, 0);
    Listed got = bin(binner);
    ASSERT_EQ(got.ranges.size(), 1u);
    EXPECT_EQ(got.ranges[0].tile, 2u | 2u << 16);

    binner.begin(64, 64);
    EXPECT_EQ(binner.finish(), 0u);
    got = bin(binner);
    EXPECT_TRUE(got.ranges.empty());
}

TEST(TileBinner, TilesAreGroupedByTheLastPassAnyOfTheirShapesNeeds) {
    TileBinner binner;
    binner.begin(64, 16);  // four tiles in a row
    binner.add(0, {0, 0, 63, 15}, 0);
    binner.add(1, {20, 2, 22, 3}, 3, TileBinner::Pass::Filtered);  // tile 1
    binner.add(2, {24, 2, 25, 3}, 3, TileBinner::Pass::Blended);   // tile 1 again: stays filtered
    binner.add(3, {50, 2, 52, 3}, 3, TileBinner::Pass::Blended);   // tile 3
    std::vector<TileBinner::Range> ranges(4);
    std::vector<TileBinner::Entry> lists(binner.finish());
    const TileBinner::Written written = binner.write(ranges.data(), lists.data());
    EXPECT_EQ(written.opaque, 2u);
    EXPECT_EQ(written.blended, 1u);
    EXPECT_EQ(written.filtered, 1u);
    const uint32_t order[4] = {0, 2, 3, 1};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(ranges[i].tile, order[i]) << i;
    }
    EXPECT_EQ(ranges[3].left + ranges[3].right, 4u);  // the full shape in both halves
}

TEST(TileBinner, AShapeOpaqueOverWholeTilesEndsTheirLists) {
    TileBinner binner;
    binner.begin(40, 20);
    // Opaque over columns 8 to 39 of the first row of tiles: tiles (1,0) and (2,0) whole, the
    // latter only as far as the frame goes; tile (0,0) only in part.
    const TileBinner::Pixels opaque{8, 0, 39, 15};
    binner.add(0, {8, 0, 39, 15}, 0, TileBinner::Pass::Opaque, &opaque);
    binner.add(1, {0, 0, 39, 19}, 1);
    const TileBinner::Pixels nothing{9, 9, 8, 8};  // empty: seals nothing
    binner.add(2, {0, 0, 39, 19}, 2, TileBinner::Pass::Opaque, &nothing);
    const Listed got = bin(binner);
    ASSERT_EQ(got.ranges.size(), 6u);
    std::vector<uint32_t> counts;
    for (const TileBinner::Range& r : got.ranges) {
        counts.push_back(r.left);
        counts.push_back(r.right);
    }
    // Tile (0,0): the opaque shape hides the right half only.
    EXPECT_EQ(counts, (std::vector<uint32_t>{2, 1, 1, 1, 1, 0, 2, 2, 2, 2, 2, 0}));
    EXPECT_EQ(got.lists[got.ranges[1].first].shape, 0u);
}

TEST(TileBinner, AShapeHiddenByOpaqueShapesAboveItIsLeftOutOfThatTile) {
    TileBinner binner;
    binner.begin(32, 24);  // 2 x 2 tiles, the bottom ones 8 rows high
    // Two opaque halves above cover tile (0,0) together; the second reaches into tile (1,0).
    const TileBinner::Pixels left{0, 0, 7, 15}, right{8, 0, 19, 15};
    binner.add(0, left, 0, TileBinner::Pass::Opaque, &left);
    binner.add(1, right, 0, TileBinner::Pass::Opaque, &right);
    // A picture under both: hidden in tile (0,0), seen in tile (1,0) past column 19 only.
    binner.add(2, {4, 2, 20, 9}, 0, TileBinner::Pass::Blended);
    binner.add(3, {18, 4, 19, 9}, 0, TileBinner::Pass::Filtered);  // hidden in tile (1,0)
    // The bottom tiles' rows beyond the frame count as covered: this seals tile (0,1).
    const TileBinner::Pixels low{0, 16, 15, 23};
    binner.add(4, low, 0, TileBinner::Pass::Opaque, &low);
    binner.add(5, {0, 16, 31, 23}, 0, TileBinner::Pass::Blended);
    // In tile (1,1), opaque over rows 0 to 3: a shape down to row 4 shows, one to row 3 does not.
    const TileBinner::Pixels band{24, 16, 31, 19};
    binner.add(6, band, 0, TileBinner::Pass::Opaque, &band);
    binner.add(7, {24, 18, 31, 20}, 0);
    binner.add(8, {24, 17, 31, 19}, 0);
    // Then opaque over its left half: a shape reaching both halves, hidden on the left only,
    // is listed on the right only.
    const TileBinner::Pixels leftHalf{16, 16, 23, 23};
    binner.add(9, leftHalf, 0, TileBinner::Pass::Opaque, &leftHalf);
    binner.add(10, {20, 16, 27, 20}, 0);
    const Listed got = bin(binner);
    ASSERT_EQ(got.ranges.size(), 4u);
    std::vector<Halves> shapes;
    for (const TileBinner::Range& r : got.ranges) {
        shapes.push_back(shapesOf(got, r));
    }
    // Opaque tiles (0,0) and (0,1) first, then the blended ones, row by row.
    EXPECT_EQ(got.ranges[0].tile, 0u);
    EXPECT_EQ(got.ranges[1].tile, 1u << 16);
    EXPECT_EQ(shapes, (std::vector<Halves>{{{0}, {1}}, {{4}, {4}}, {{1, 2}, {}}, {{5, 9}, {5, 6, 7, 10}}}));
}

}  // namespace
}  // namespace orv
