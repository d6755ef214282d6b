#include "engine/tile_binner.hpp"

#include <algorithm>

namespace orv {

void TileBinner::begin(uint32_t width, uint32_t height) {
    columns = (width + kTile - 1) / kTile;
    rows = (height + kTile - 1) / kTile;
    spans.clear();
    counts.assign(tileCount(), 0);
}

void TileBinner::add(uint32_t x0, uint32_t y0, uint32_t x1, uint32_t y1) {
    const Span span{static_cast<uint16_t>(x0 / kTile), static_cast<uint16_t>(y0 / kTile),
                    static_cast<uint16_t>(x1 / kTile), static_cast<uint16_t>(y1 / kTile)};
    spans.push_back(span);
    for (uint32_t ty = span.ty0; ty <= span.ty1; ++ty) {
        uint32_t* row = counts.data() + ty * columns;
        for (uint32_t tx = span.tx0; tx <= span.tx1; ++tx) {
            ++row[tx];
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

void TileBinner::write(uint32_t* ranges, uint32_t* lists) const {
    for (size_t t = 0; t < counts.size(); ++t) {
        ranges[2 * t] = cursor[t];
        ranges[2 * t + 1] = counts[t];
    }
    for (uint32_t shape = 0; shape < spans.size(); ++shape) {
        const Span& span = spans[shape];
        for (uint32_t ty = span.ty0; ty <= span.ty1; ++ty) {
            uint32_t* row = cursor.data() + ty * columns;
            for (uint32_t tx = span.tx0; tx <= span.tx1; ++tx) {
                lists[row[tx]++] = shape;
            }
        }
    }
    // Back to the starts, so write() gives the same result if called again.
    for (size_t t = 0; t < counts.size(); ++t) {
        cursor[t] = ranges[2 * t];
    }
}

}  // namespace orv
