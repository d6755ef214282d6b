#include "engine/pick_grid.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/object_shape.hpp"

namespace orv {

namespace {

constexpr uint32_t kNoCell = UINT32_MAX;
// A question over more cells than this walks every object instead.
constexpr double kMostQueryCells = 4096.0;

uint64_t keyOf(int64_t column, int64_t row) {
    return static_cast<uint64_t>(static_cast<uint32_t>(column)) << 32 | static_cast<uint32_t>(row);
}

size_t slotOf(uint64_t key, size_t tableSize) {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & (tableSize - 1);
}

bool meets(const std::array<double, 4>& a, const std::array<double, 4>& b) {
    return a[0] <= b[2] && b[0] <= a[2] && a[1] <= b[3] && b[1] <= a[3];
}

void include(std::array<double, 4>& box, const std::array<double, 4>& more) {
    box = {std::min(box[0], more[0]), std::min(box[1], more[1]), std::max(box[2], more[2]), std::max(box[3], more[3])};
}

}  // namespace

bool PickGrid::cellSpan(const std::array<double, 4>& box, int64_t span[4]) const {
    constexpr double kLimit = 2147483647.0;
    for (int i = 0; i < 4; ++i) {
        const double at = std::floor(box[i] / cell);
        if (!(std::fabs(at) <= kLimit)) {
            return false;
        }
        span[i] = static_cast<int64_t>(at);
    }
    return true;
}

uint32_t PickGrid::cellIndex(uint64_t key) const {
    if (tableKeys.empty()) {
        return kNoCell;
    }
    for (size_t at = slotOf(key, tableKeys.size());; at = (at + 1) & (tableKeys.size() - 1)) {
        if (tableCells[at] == kNoCell || tableKeys[at] == key) {
            return tableCells[at];
        }
    }
}

uint32_t PickGrid::addCell(uint64_t key) {
    if ((static_cast<size_t>(cellCount) + 1) * 2 > tableKeys.size()) {
        // Twice as many places; the cells keep their numbers.
        std::vector<uint64_t> keys(std::max<size_t>(64, tableKeys.size() * 2));
        std::vector<uint32_t> cells(keys.size(), kNoCell);
        for (size_t i = 0; i < tableKeys.size(); ++i) {
            if (tableCells[i] != kNoCell) {
                size_t at = slotOf(tableKeys[i], keys.size());
                while (cells[at] != kNoCell) {
                    at = (at + 1) & (keys.size() - 1);
                }
                keys[at] = tableKeys[i];
                cells[at] = tableCells[i];
            }
        }
        tableKeys = std::move(keys);
        tableCells = std::move(cells);
    }
    size_t at = slotOf(key, tableKeys.size());
    while (tableCells[at] != kNoCell) {
        if (tableKeys[at] == key) {
            return tableCells[at];
        }
        at = (at + 1) & (tableKeys.size() - 1);
    }
    tableKeys[at] = key;
    tableCells[at] = cellCount;
    return cellCount++;
}

void PickGrid::update(Scene& scene, uint64_t version) {
    if (version != builtFor) {
        build(scene);
        builtFor = version;
    }
}

void PickGrid::build(Scene& scene) {
    entries.clear();
    pieces.clear();
    double extents = 0.0;
    size_t measured = 0;
    for (uint32_t slot : scene.drawOrder()) {
        const GameObject& object = scene.at(slot);
        if (!object.visible) {
            continue;
        }
        const auto first = static_cast<uint32_t>(pieces.size());
        shapeOf(object, false, pieces, scratch);
        if (pieces.size() == first) {
            continue;
        }
        std::array<double, 4> box = boundsOf(pieces[first]);
        for (size_t i = first + 1; i < pieces.size(); ++i) {
            include(box, boundsOf(pieces[i]));
        }
        // A NaN corner holds no point.
        if (!(box[0] <= box[2]) || !(box[1] <= box[3])) {
            pieces.resize(first);
            continue;
        }
        // Widened a little: the exact tests decide, and a box rounded inwards must not.
        for (int i = 0; i < 4; ++i) {
            box[i] += (i < 2 ? -1.0 : 1.0) * (std::fabs(box[i]) * 1e-12 + 1e-12);
        }
        entries.push_back({slot, object.id, object.layer, first, static_cast<uint32_t>(pieces.size() - first), box});
        const double extent = std::max(box[2] - box[0], box[3] - box[1]);
        if (std::isfinite(extent)) {
            extents += extent;
            ++measured;
        }
    }
    // Cells about as large as the objects: most objects then lie in one to four cells.
    const double mean = measured != 0 ? extents / static_cast<double>(measured) : 0.0;
    cell = std::ldexp(1.0, std::clamp(static_cast<int>(std::ceil(std::log2(std::max(mean, 8.0)))), 3, 40));

    // Room for about two cells an object without growing.
    size_t tableSize = 64;
    while (tableSize < entries.size() * 4) {
        tableSize *= 2;
    }
    tableKeys.assign(tableSize, 0);
    tableCells.assign(tableSize, kNoCell);
    cellCount = 0;
    starts.reserve(entries.size() * 2 + 1);
    starts.assign(1, 0);
    large.clear();
    cellsInOrder.clear();
    spans.resize(entries.size());
    // Counting pass, then a prefix sum and a filling pass in drawing order.
    for (size_t rank = 0; rank < entries.size(); ++rank) {
        std::array<int64_t, 4>& span = spans[rank];
        if (!cellSpan(entries[rank].box, span.data()) ||
            static_cast<double>(span[2] - span[0] + 1) * static_cast<double>(span[3] - span[1] + 1) > kMostCells) {
            span[0] = 1;
            span[2] = 0;
            large.push_back(static_cast<uint32_t>(rank));
            continue;
        }
        for (int64_t r = span[1]; r <= span[3]; ++r) {
            for (int64_t c = span[0]; c <= span[2]; ++c) {
                const uint32_t index = addCell(keyOf(c, r));
                cellsInOrder.push_back(index);
                if (index + 2 > starts.size()) {
                    starts.resize(index + 2, 0);
                }
                ++starts[index + 1];
            }
        }
    }
    for (size_t i = 1; i < starts.size(); ++i) {
        starts[i] += starts[i - 1];
    }
    ranks.resize(starts.back());
    std::vector<uint32_t> cursor(starts.begin(), starts.end() - 1);
    const uint32_t* index = cellsInOrder.data();
    for (size_t rank = 0; rank < entries.size(); ++rank) {
        const std::array<int64_t, 4>& span = spans[rank];
        if (span[0] <= span[2]) {
            const int64_t cells = (span[2] - span[0] + 1) * (span[3] - span[1] + 1);
            for (int64_t i = 0; i < cells; ++i) {
                ranks[cursor[*index++]++] = static_cast<uint32_t>(rank);
            }
        }
    }
    seen.assign(entries.size(), 0);
    seenMark = 0;
}

void PickGrid::candidates(const std::array<double, 4>& box, std::vector<uint32_t>& out) {
    out.clear();
    int64_t span[4];
    if (!cellSpan(box, span) ||
        static_cast<double>(span[2] - span[0] + 1) * static_cast<double>(span[3] - span[1] + 1) > kMostQueryCells) {
        for (uint32_t rank = 0; rank < entries.size(); ++rank) {
            if (meets(entries[rank].box, box)) {
                out.push_back(rank);
            }
        }
        return;
    }
    // One cell (a point, mostly): its list is in order and holds each object once.
    const bool single = span[0] == span[2] && span[1] == span[3];
    if (!single && ++seenMark == 0) {
        std::fill(seen.begin(), seen.end(), 0);
        seenMark = 1;
    }
    for (int64_t r = span[1]; r <= span[3]; ++r) {
        for (int64_t c = span[0]; c <= span[2]; ++c) {
            const uint32_t index = cellIndex(keyOf(c, r));
            if (index == kNoCell) {
                continue;
            }
            for (uint32_t i = starts[index]; i < starts[index + 1]; ++i) {
                const uint32_t rank = ranks[i];
                if ((single || seen[rank] != seenMark) && meets(entries[rank].box, box)) {
                    seen[rank] = seenMark;
                    out.push_back(rank);
                }
            }
        }
    }
    const size_t inCells = out.size();
    for (uint32_t rank : large) {
        if (meets(entries[rank].box, box)) {
            out.push_back(rank);
        }
    }
    if (single) {
        std::inplace_merge(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(inCells), out.end());
    } else {
        std::sort(out.begin(), out.end());
    }
}

int64_t PickGrid::find(const Scene& scene, const Point2D& point) {
    const View& view = scene.view;
    const bool plain = view.camera.isDefault();
    int64_t best = -1;
    uint32_t bestRank = UINT32_MAX;
    // Fixed layers at the point as given, the rest where the camera shows it.
    for (const bool fixedPass : {true, false}) {
        if (plain && !fixedPass) {
            break;
        }
        const Point2D at = fixedPass ? point : view.camera.toWorld(point);
        candidates({at.x, at.y, at.x, at.y}, found);
        for (uint32_t rank : found) {
            if (rank >= bestRank) {
                break;
            }
            const Entry& entry = entries[rank];
            if (!plain && view.isFixed(entry.layer) != fixedPass) {
                continue;
            }
            if (shapeHolds(scene.at(entry.slot), pieces.data() + entry.firstPiece, entry.pieceCount, at)) {
                best = entry.id;
                bestRank = rank;
                break;
            }
        }
    }
    return best;
}

void PickGrid::meeting(const Scene& scene, const std::vector<Piece>& region, bool fixed, Contact contact,
                       int64_t skip, std::vector<uint32_t>& ids) {
    ids.clear();
    if (region.empty()) {
        return;
    }
    const View& view = scene.view;
    const bool plain = view.camera.isDefault();
    std::vector<uint32_t> hits;
    std::vector<Piece> seenRegion;
    for (const bool fixedPass : {true, false}) {
        if (plain && !fixedPass) {
            break;
        }
        seenRegion.clear();
        for (const Piece& piece : region) {
            seenRegion.push_back(fixedPass == fixed ? piece : seenThrough(piece, view.camera, fixedPass));
        }
        std::array<double, 4> box = boundsOf(seenRegion[0]);
        for (const Piece& piece : seenRegion) {
            include(box, boundsOf(piece));
        }
        candidates(box, found);
        for (uint32_t rank : found) {
            const Entry& entry = entries[rank];
            if ((!plain && view.isFixed(entry.layer) != fixedPass) || entry.id == skip) {
                continue;
            }
            const Piece* own = pieces.data() + entry.firstPiece;
            const bool meet = std::any_of(seenRegion.begin(), seenRegion.end(), [&](const Piece& piece) {
                return std::any_of(own, own + entry.pieceCount,
                                   [&](const Piece& other) { return overlaps(piece, other, contact); });
            });
            if (meet) {
                hits.push_back(rank);
            }
        }
    }
    std::sort(hits.begin(), hits.end());
    for (uint32_t rank : hits) {
        ids.push_back(entries[rank].id);
    }
}

}  // namespace orv
