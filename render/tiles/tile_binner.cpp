#include "render/tiles/tile_binner.hpp"

#include <algorithm>

namespace orv {

namespace {

// Columns first to last of a tile as bits.
uint16_t columnBits(uint32_t first, uint32_t last) {
    return static_cast<uint16_t>((0xFFFFu >> (TileBinner::kTile - 1 - last)) & (0xFFFFu << first));
}

}  // namespace

void TileBinner::begin(uint32_t frameWidth, uint32_t frameHeight) {
    width = frameWidth;
    height = frameHeight;
    columns = (width + kTile - 1) / kTile;
    rows = (height + kTile - 1) / kTile;
    listedCount = 0;
    counts.assign(static_cast<size_t>(tileCount()) * 2, 0);
    tilePasses.assign(tileCount(), Pass::Opaque);
    covered.assign(static_cast<size_t>(tileCount()) * kTile, 0);
    fullRows.assign(tileCount(), 0);
    // Pixels beyond the frame's right and bottom edges count as covered, so edge tiles fill up.
    const auto mark = [this](uint32_t tile, uint32_t row, uint16_t bits) {
        uint16_t& r = covered[static_cast<size_t>(tile) * kTile + row];
        if (r != 0xFFFFu && (r |= bits) == 0xFFFFu) {
            ++fullRows[tile];
        }
    };
    if (width % kTile != 0) {
        for (uint32_t ty = 0; ty < rows; ++ty) {
            for (uint32_t row = 0; row < kTile; ++row) {
                mark(ty * columns + columns - 1, row, columnBits(width % kTile, kTile - 1));
            }
        }
    }
    if (height % kTile != 0) {
        for (uint32_t tx = 0; tx < columns; ++tx) {
            for (uint32_t row = height % kTile; row < kTile; ++row) {
                mark((rows - 1) * columns + tx, row, 0xFFFFu);
            }
        }
    }
}

void TileBinner::add(uint32_t shape, const Pixels& reach, uint32_t kind, Pass pass, const Pixels* opaque) {
    const bool covers = opaque != nullptr && !opaque->empty();
    // Room for every half of every tile the box reaches, so the entries are written in place:
    // built whole and pushed, they went through the stack and stalled the store that followed.
    const size_t most = static_cast<size_t>(reach.y1 / kTile - reach.y0 / kTile + 1) *
                        (reach.x1 / kTile - reach.x0 / kTile + 1) * 2;
    if (listedCount + most > listed.size()) {
        listed.resize(std::max(listed.size() * 2, listedCount + most));
    }
    for (uint32_t ty = reach.y0 / kTile; ty <= reach.y1 / kTile; ++ty) {
        const uint32_t top = ty * kTile;
        const uint32_t y0 = std::max(reach.y0, top) - top;
        const uint32_t y1 = std::min(reach.y1, top + kTile - 1) - top;
        for (uint32_t tx = reach.x0 / kTile; tx <= reach.x1 / kTile; ++tx) {
            const uint32_t tile = ty * columns + tx;
            if (fullRows[tile] == kTile) {
                continue;
            }
            const uint32_t left = tx * kTile;
            const uint32_t x0 = std::max(reach.x0, left) - left;
            const uint32_t x1 = std::min(reach.x1, left + kTile - 1) - left;
            uint16_t* tileRows = covered.data() + static_cast<size_t>(tile) * kTile;
            const Entry entry{shape, x0 | x1 << 4 | y0 << 8 | y1 << 12 | kind << 16};
            bool seen = false;
            for (uint32_t half = x0 / kHalf; half <= x1 / kHalf; ++half) {
                const uint32_t from = half * kHalf;
                const uint16_t bits = columnBits(std::max(x0, from), std::min(x1, from + kHalf - 1));
                uint32_t y = y0;
                while (y <= y1 && (tileRows[y] & bits) == bits) {
                    ++y;
                }
                if (y <= y1) {  // else hidden behind what is above it here
                    Listed& l = listed[listedCount++];
                    l.list = tile * 2 + half;
                    l.entry = entry;
                    ++counts[tile * 2 + half];
                    seen = true;
                }
            }
            if (!seen) {
                continue;
            }
            tilePasses[tile] = std::max(tilePasses[tile], pass);
            if (covers && opaque->x0 <= left + kTile - 1 && opaque->x1 >= left && opaque->y0 <= top + kTile - 1 &&
                opaque->y1 >= top) {
                const uint16_t hides = columnBits(std::max(opaque->x0, left) - left,
                                                  std::min(opaque->x1, left + kTile - 1) - left);
                const uint32_t last = std::min(opaque->y1, top + kTile - 1) - top;
                for (uint32_t row = std::max(opaque->y0, top) - top; row <= last; ++row) {
                    if (tileRows[row] != 0xFFFFu && (tileRows[row] |= hides) == 0xFFFFu) {
                        ++fullRows[tile];
                    }
                }
            }
        }
    }
}

uint32_t TileBinner::finish() {
    cursor.resize(counts.size());
    uint32_t total = 0;
    for (size_t t = 0; t < counts.size(); ++t) {
        cursor[t] = total;
        total += counts[t];
    }
    return total;
}

TileBinner::Written TileBinner::write(Range* ranges, Entry* lists) const {
    Written written{0, 0, 0};
    uint32_t* const groups[] = {&written.opaque, &written.blended, &written.filtered};
    uint32_t next = 0;
    for (const Pass pass : {Pass::Opaque, Pass::Blended, Pass::Filtered}) {
        for (uint32_t t = 0; t < tileCount(); ++t) {
            if (counts[2 * t] + counts[2 * t + 1] != 0 && tilePasses[t] == pass) {
                ranges[next++] =
                    Range{t % columns | (t / columns) << 16, cursor[2 * t], counts[2 * t], counts[2 * t + 1]};
                ++*groups[static_cast<size_t>(pass)];
            }
        }
    }
    for (size_t i = 0; i < listedCount; ++i) {
        const Listed& l = listed[i];
        lists[cursor[l.list]++] = l.entry;
    }
    // Back to the starts, so write() gives the same result if called again.
    for (size_t t = 0; t < counts.size(); ++t) {
        cursor[t] -= counts[t];
    }
    return written;
}

}  // namespace orv
