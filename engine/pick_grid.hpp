#pragma once
// Finds the objects whose shapes meet a point or a region without testing every object: each
// object's box is sorted into square cells of a sparse grid over wherever objects are (in
// their own coordinates: the world, or the window for fixed layers), each cell listing its
// objects topmost first; objects spanning too many cells are kept in one list of their own.
// Built again, in time linear in the objects, when the scene has changed since the last
// question; a question costs what the objects in its cells cost.

#include <array>
#include <cstdint>
#include <vector>

#include "engine/collision.hpp"
#include "engine/scene.hpp"
#include "platform/point2d.hpp"
#include "render/draw_list.hpp"

namespace orv {

class PickGrid {
public:
    // More cells than this for one object, and it goes in the list of large objects.
    static constexpr double kMostCells = 64.0;

    // Rebuilds the grid when `version` differs from the scene state it was built for.
    void update(Scene& scene, uint64_t version);

    // The identifier of the topmost object whose shape holds the window point (seen through
    // the scene's view), or -1.
    int64_t find(const Scene& scene, const Point2D& point);
    // The identifiers of the objects whose shapes meet `region`, topmost first; `region` is in
    // window coordinates when `fixed`, else in the world, and is seen through the view for the
    // objects on the other kind of layer. `skip` is left out.
    void meeting(const Scene& scene, const std::vector<Piece>& region, bool fixed, Contact contact, int64_t skip,
                 std::vector<uint32_t>& ids);

    // What the grid knows of an object: its place in the scene and its pieces.
    struct Entry {
        uint32_t slot;
        uint32_t id;
        int32_t layer;
        uint32_t firstPiece;
        uint32_t pieceCount;
        std::array<double, 4> box;  // left, top, right, bottom
    };

private:
    void build(Scene& scene);
    uint32_t cellIndex(uint64_t key) const;
    uint32_t addCell(uint64_t key);
    // The ranks of the objects whose boxes meet the box, ascending.
    void candidates(const std::array<double, 4>& box, std::vector<uint32_t>& ranks);
    bool cellSpan(const std::array<double, 4>& box, int64_t span[4]) const;

    uint64_t builtFor = UINT64_MAX;
    double cell = 32.0;
    std::vector<Entry> entries;  // in drawing order: an entry's index is its rank
    std::vector<Piece> pieces;
    // An open-addressed table from cell keys to cell numbers.
    std::vector<uint64_t> tableKeys;
    std::vector<uint32_t> tableCells;
    uint32_t cellCount = 0;
    std::vector<uint32_t> starts;  // per cell, where its list begins in `ranks`; one more at the end
    std::vector<uint32_t> ranks;   // the cells' lists, topmost first
    std::vector<uint32_t> large;   // objects with too many cells, topmost first
    // Scratch kept between builds and questions.
    std::vector<std::array<int64_t, 4>> spans;
    std::vector<uint32_t> cellsInOrder;  // each object's cells, as the counting pass met them
    std::vector<uint32_t> seen;
    uint32_t seenMark = 0;
    std::vector<uint32_t> found;
    DrawList scratch;
};

}  // namespace orv
