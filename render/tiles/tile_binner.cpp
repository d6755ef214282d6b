#include "render/tiles/tile_binner.hpp"

#include <algorithm>

namespace orv {

void TileBinner::begin(uint32_t frameWidth, uint32_t frameHeight) {
    width = frameWidth;
    height = frameHeight;
    columns = (width + kTile - 1) / kTile;
    rows = (height + kTile - 1) / kTile;
    spans.clear();
    counts.assign(tileCount(), 0);
    tilePasses.assign(tileCount(), Pass::Opaque);
    sealedTiles.assign(tileCount(), 0);
}

template <typename Reach>
void TileBinner::visit(const Span& span, std::vector<uint8_t>& sealed, Reach&& reach) const {
    for (uint32_t ty = span.y0 / kTile; ty <= span.y1 / kTile; ++ty) {
        const uint8_t* marks = sealed.data() + ty * columns;
        for (uint32_t tx = span.x0 / kTile; tx <= span.x1 / kTile; ++tx) {
            if (marks[tx] == 0) {
                reach(ty * columns + tx);
            }
        }
    }
    for (uint32_t ty = span.sealY0; ty < span.sealY1; ++ty) {
        uint8_t* marks = sealed.data() + ty * columns;
        std::fill(marks + span.sealX0, marks + span.sealX1, uint8_t{1});
    }
}

void TileBinner::add(uint32_t shape, const Pixels& reach, uint32_t kind, Pass pass, const Pixels* opaque) {
    Span span{static_cast<uint16_t>(reach.x0), static_cast<uint16_t>(reach.y0), static_cast<uint16_t>(reach.x1),
              static_cast<uint16_t>(reach.y1), kind, shape, 0, 0, 0, 0};
    if (opaque != nullptr && opaque->x0 <= opaque->x1 && opaque->y0 <= opaque->y1) {
        // The tiles whose pixels (those inside the frame) all lie in `opaque`.
        const auto whole = [](uint32_t lo, uint32_t hi, uint32_t size, uint32_t& first, uint32_t& end) {
            first = (lo + kTile - 1) / kTile;
            end = hi + 1 >= size ? (size + kTile - 1) / kTile : (hi + 1) / kTile;
            if (end < first) {
                end = first;
            }
        };
        uint32_t fx = 0, ex = 0, fy = 0, ey = 0;
        whole(opaque->x0, opaque->x1, width, fx, ex);
        whole(opaque->y0, opaque->y1, height, fy, ey);
        if (fx < ex && fy < ey) {
            span.sealX0 = static_cast<uint16_t>(fx);
            span.sealX1 = static_cast<uint16_t>(ex);
            span.sealY0 = static_cast<uint16_t>(fy);
            span.sealY1 = static_cast<uint16_t>(ey);
        }
    }
    spans.push_back(span);
    visit(span, sealedTiles, [&](uint32_t tile) {
        ++counts[tile];
        tilePasses[tile] = std::max(tilePasses[tile], pass);
    });
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
        for (uint32_t t = 0; t < counts.size(); ++t) {
            if (counts[t] != 0 && tilePasses[t] == pass) {
                ranges[next++] = Range{t % columns | (t / columns) << 16, cursor[t], counts[t], 0};
                ++*groups[static_cast<size_t>(pass)];
            }
        }
    }
    constexpr uint32_t kLast = kTile - 1;
    sealedAgain.assign(counts.size(), 0);
    for (const Span& s : spans) {
        visit(s, sealedAgain, [&](uint32_t tile) {
            const uint32_t left = tile % columns * kTile;
            const uint32_t top = tile / columns * kTile;
            const uint32_t place = (std::max<uint32_t>(s.x0, left) - left) |
                                   (std::min<uint32_t>(s.x1, left + kLast) - left) << 4 |
                                   (std::max<uint32_t>(s.y0, top) - top) << 8 |
                                   (std::min<uint32_t>(s.y1, top + kLast) - top) << 12 | s.kind << 16;
            lists[cursor[tile]++] = Entry{s.shape, place};
        });
    }
    // Back to the starts, so write() gives the same result if called again.
    for (size_t t = 0; t < counts.size(); ++t) {
        cursor[t] -= counts[t];
    }
    return written;
}

}  // namespace orv
