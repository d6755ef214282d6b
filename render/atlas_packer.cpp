#include "render/atlas_packer.hpp"

#include <algorithm>

namespace orv {

bool AtlasPacker::isEmpty(const Shelf& shelf) const {
    return shelf.free.size() == 1 && shelf.free[0].x == 0 && shelf.free[0].width == extent();
}

bool AtlasPacker::take(Shelf& shelf, uint64_t w, uint64_t& x) {
    for (auto span = shelf.free.begin(); span != shelf.free.end(); ++span) {
        if (span->width >= w) {
            x = span->x;
            span->x += w;
            span->width -= w;
            if (span->width == 0) {
                shelf.free.erase(span);
            }
            return true;
        }
    }
    return false;
}

bool AtlasPacker::place(uint32_t width, uint32_t height, AtlasRect& out) {
    if (width == 0 || height == 0 || width > side || height > side) {
        return false;
    }
    const uint64_t w = uint64_t{width} + 1;
    const uint64_t h = uint64_t{height} + 1;
    const auto placed = [&](const Shelf& shelf, uint64_t x) {
        out = AtlasRect{static_cast<uint32_t>(x), static_cast<uint32_t>(shelf.y), width, height};
        return true;
    };
    uint64_t x = 0;
    // A shelf takes rectangles up to its height, and not much lower ones, so it is not wasted.
    for (Shelf& shelf : shelves) {
        if (h <= shelf.height && h * 2 > shelf.height && take(shelf, w, x)) {
            return placed(shelf, x);
        }
    }
    // An empty shelf high enough: its top becomes a shelf of this height.
    for (size_t i = 0; i < shelves.size(); ++i) {
        if (shelves[i].height >= h && isEmpty(shelves[i])) {
            if (shelves[i].height > h) {
                const Shelf rest{shelves[i].y + h, shelves[i].height - h, {Span{0, extent()}}};
                shelves[i].height = h;
                shelves.insert(shelves.begin() + static_cast<std::ptrdiff_t>(i) + 1, rest);
            }
            take(shelves[i], w, x);
            return placed(shelves[i], x);
        }
    }
    if (bottom + h > extent()) {
        return false;
    }
    shelves.push_back(Shelf{bottom, h, {Span{0, extent()}}});
    bottom += h;
    take(shelves.back(), w, x);
    return placed(shelves.back(), x);
}

void AtlasPacker::release(const AtlasRect& rect) {
    const auto found = std::lower_bound(shelves.begin(), shelves.end(), uint64_t{rect.y},
                                        [](const Shelf& shelf, uint64_t y) { return shelf.y < y; });
    if (found == shelves.end() || found->y != rect.y) {
        return;
    }
    std::vector<Span>& free = found->free;
    const Span given{rect.x, uint64_t{rect.width} + 1};
    auto at = std::lower_bound(free.begin(), free.end(), given.x, [](const Span& s, uint64_t x) { return s.x < x; });
    at = free.insert(at, given);
    // Joined with the stretches it touches.
    if (at + 1 != free.end() && at->x + at->width == (at + 1)->x) {
        at->width += (at + 1)->width;
        free.erase(at + 1);
    }
    if (at != free.begin() && (at - 1)->x + (at - 1)->width == at->x) {
        (at - 1)->width += at->width;
        free.erase(at);
    }
    if (isEmpty(*found)) {
        tidy(static_cast<size_t>(found - shelves.begin()));
    }
}

void AtlasPacker::tidy(size_t index) {
    if (index + 1 < shelves.size() && isEmpty(shelves[index + 1])) {
        shelves[index].height += shelves[index + 1].height;
        shelves.erase(shelves.begin() + static_cast<std::ptrdiff_t>(index) + 1);
    }
    if (index > 0 && isEmpty(shelves[index - 1])) {
        shelves[index - 1].height += shelves[index].height;
        shelves.erase(shelves.begin() + static_cast<std::ptrdiff_t>(index));
        --index;
    }
    if (index + 1 == shelves.size()) {
        bottom = shelves[index].y;
        shelves.pop_back();
    }
}

void AtlasPacker::grow(uint32_t newSide) {
    const uint64_t before = extent();
    side = newSide;
    // Each shelf's stretch at the old edge reaches the new one.
    for (Shelf& shelf : shelves) {
        if (!shelf.free.empty() && shelf.free.back().x + shelf.free.back().width == before) {
            shelf.free.back().width = extent() - shelf.free.back().x;
        } else {
            shelf.free.push_back(Span{before, extent() - before});
        }
    }
}

}  // namespace orv
