#include "render/alpha_mask.hpp"

#include <algorithm>

namespace orv {

void AlphaMask::growTo(uint32_t next) {
    if (next <= side && !bits.empty()) {
        return;
    }
    const size_t nextWords = (static_cast<size_t>(next) + 63) / 64;
    std::vector<uint64_t> grown(nextWords * next, 0);
    for (uint32_t y = 0; y < side; ++y) {
        std::copy_n(bits.begin() + static_cast<std::ptrdiff_t>(y * words), words,
                    grown.begin() + static_cast<std::ptrdiff_t>(y * nextWords));
    }
    bits = std::move(grown);
    side = next;
    words = nextWords;
}

void AlphaMask::set(const AtlasRect& rect, const uint8_t* rgba) {
    for (uint32_t y = 0; y < rect.height && rect.y + y < side; ++y) {
        uint64_t* row = bits.data() + static_cast<size_t>(rect.y + y) * words;
        for (uint32_t x = 0; x < rect.width && rect.x + x < side; ++x) {
            const uint32_t at = rect.x + x;
            const uint64_t bit = uint64_t{1} << (at & 63);
            if (rgba[(static_cast<size_t>(y) * rect.width + x) * 4 + 3] >= kOpaqueFrom) {
                row[at >> 6] |= bit;
            } else {
                row[at >> 6] &= ~bit;
            }
        }
    }
}

}  // namespace orv
