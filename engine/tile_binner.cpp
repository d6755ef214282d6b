#include "engine/tile_binner.hpp"

#include <algorithm>

namespace orv {

void TileBinner::begin(uint32_t width, uint32_t height) {
    columns = (width + kTile - 1) / kTile;
    rows = (height + kTile - 1) / kTile;
    spans.clear();
    counts.assign(tileCount(), 0);
    blendedTiles.assign(tileCount(), 0);
}

void TileBinner::add(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1, uint32_t kind, bool blended) {
    spans.push_back(Span{static_cast<uint16_t>(x0), static_cast<uint16_t>(y0), static_cast<uint16_t>(x1),
                         static_cast<uint16_t>(y1), kind});
    for (uint32_t ty = y0 / kTile; ty <= y1 / kTile; ++ty) {
        uint32_t* row = counts.data() + ty * columns;
        for (uint32_t tx = x0 / kTile; tx <= x1 / kTile; ++tx) {
            ++row[tx];
        }
        if (blended) {
            uint8_t* marks = blendedTiles.data() + ty * columns;
            std::fill(marks + x0 / kTile, marks + x1 / kTile + 1, uint8_t{1});
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
    Written written{0, 0};
    for (uint8_t blended = 0; blended < 2; ++blended) {
        for (uint32_t t = 0; t < counts.size(); ++t) {
            if (counts[t] != 0 && blendedTiles[t] == blended) {
                ranges[written.opaque + written.blended] = Range{t % columns | (t / columns) << 16, cursor[t], counts[t], 0};
                (blended ? written.blended : written.opaque) += 1;
            }
        }
    }
    constexpr uint32_t kLast = kTile - 1;
    for (uint32_t shape = 0; shape < spans.size(); ++shape) {
        const Span& s = spans[shape];
        for (uint32_t ty = s.y0 / kTile; ty <= s.y1 / kTile; ++ty) {
            const uint32_t top = ty * kTile;
            const uint32_t rowBits = (std::max<uint32_t>(s.y0, top) - top) << 8 |
                                     (std::min<uint32_t>(s.y1, top + kLast) - top) << 12 | s.kind << 16;
            uint32_t* row = cursor.data() + ty * columns;
            for (uint32_t tx = s.x0 / kTile; tx <= s.x1 / kTile; ++tx) {
                const uint32_t left = tx * kTile;
                const uint32_t place = rowBits | (std::max<uint32_t>(s.x0, left) - left) |
                                       (std::min<uint32_t>(s.x1, left + kLast) - left) << 4;
                lists[row[tx]++] = Entry{shape, place};
            }
        }
    }
    // Back to the starts, so write() gives the same result if called again.
    for (size_t t = 0; t < counts.size(); ++t) {
        cursor[t] -= counts[t];
    }
    return written;
}

}  // namespace orv
