#include "engine/pick_grid.hpp"

#include <algorithm>
#include <cmath>

#include "engine/shape_geometry.hpp"

namespace orv {

namespace {

// The area an object's hit test can answer true in, or false when it holds no point at all
// (triangles, negative sizes, NaN).
bool hitBox(const HitArea& area, double& left, double& top, double& right, double& bottom) {
    if (area.shape == HitArea::Shape::None || (area.shape == HitArea::Shape::Disc && !(area.radius >= 0.0))) {
        return false;
    }
    left = area.corners.left;
    top = area.corners.top;
    right = area.corners.right;
    bottom = area.corners.bottom;
    return left <= right && top <= bottom;
}

uint32_t cellOf(double value, uint32_t count) {
    const double cell = std::floor(value / PickGrid::kCell);
    return static_cast<uint32_t>(std::clamp(cell, 0.0, static_cast<double>(count - 1)));
}

}  // namespace

int64_t PickGrid::find(Scene& scene, uint64_t version, double width, double height, const Point2D& point) {
    if (!(width >= 1.0) || !(height >= 1.0)) {
        width = height = 1.0;
    }
    if (version != builtFor || width != builtWidth || height != builtHeight) {
        build(scene, width, height);
        builtFor = version;
    }
    const bool inside = point.x >= 0.0 && point.x <= builtWidth && point.y >= 0.0 && point.y <= builtHeight;
    const auto search = [&](const uint32_t* first, const uint32_t* last) -> int64_t {
        for (const uint32_t* slot = first; slot != last; ++slot) {
            if (hits(scene, *slot, point)) {
                return scene.at(*slot).id;
            }
        }
        return -1;
    };
    if (!inside) {
        return search(outside.data(), outside.data() + outside.size());
    }
    const size_t cell = static_cast<size_t>(cellOf(point.y, rows)) * columns + cellOf(point.x, columns);
    return search(slots.data() + starts[cell], slots.data() + starts[cell + 1]);
}

bool PickGrid::hits(const Scene& scene, uint32_t slot, const Point2D& point) const {
    return orv::hits(hitAreaOf(scene.at(slot)), point);
}

void PickGrid::build(Scene& scene, double width, double height) {
    builtWidth = width;
    builtHeight = height;
    columns = static_cast<uint32_t>(std::ceil(width / kCell)) + 1;
    rows = static_cast<uint32_t>(std::ceil(height / kCell)) + 1;
    starts.assign(static_cast<size_t>(columns) * rows + 1, 0);
    spans.clear();
    outside.clear();
    // Counting pass, then a prefix sum and a filling pass in drawing order.
    for (uint32_t slot : scene.drawOrder()) {
        double left = 0, top = 0, right = 0, bottom = 0;
        if (!hitBox(hitAreaOf(scene.at(slot)), left, top, right, bottom)) {
            continue;
        }
        if (left < 0.0 || top < 0.0 || right > width || bottom > height) {
            outside.push_back(slot);
        }
        if (right < 0.0 || bottom < 0.0 || left > width || top > height) {
            continue;
        }
        const Span span{slot, cellOf(left, columns), cellOf(top, rows), cellOf(right, columns), cellOf(bottom, rows)};
        spans.push_back(span);
        for (uint32_t r = span.r0; r <= span.r1; ++r) {
            for (uint32_t c = span.c0; c <= span.c1; ++c) {
                ++starts[static_cast<size_t>(r) * columns + c + 1];
            }
        }
    }
    for (size_t i = 1; i < starts.size(); ++i) {
        starts[i] += starts[i - 1];
    }
    slots.resize(starts.back());
    std::vector<uint32_t> cursor(starts.begin(), starts.end() - 1);
    for (const Span& span : spans) {
        for (uint32_t r = span.r0; r <= span.r1; ++r) {
            for (uint32_t c = span.c0; c <= span.c1; ++c) {
                slots[cursor[static_cast<size_t>(r) * columns + c]++] = span.slot;
            }
        }
    }
}

}  // namespace orv
