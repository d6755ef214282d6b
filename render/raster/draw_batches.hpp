#pragma once
// How the graphics pipeline's draws are planned: solid quads are streamed back to front in
// slots of six vertices, and runs of them share draws. Long runs of discs or of plain quads
// get draws of their own pipeline; the shorter runs between them share one draw of the mixed
// pipeline, which cuts the disc out of the quads at even slots and not out of those at odd
// ones: a quad that lands on the wrong parity is preceded by an empty one. Switching
// pipelines costs a CPU driver far more than a quad.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orv {

constexpr uint32_t kQuadVertexCount = 6;

enum class DrawKind : uint8_t { Plain, Discs, Mixed, Pictures };

// A run of the frame's vertices (for pictures, of its picture vertices) drawn with one call.
struct Draw {
    DrawKind kind;
    uint32_t first;
    uint32_t count;
};

// The most vertices one draw takes. The CPU driver allocates working memory in proportion
// to a draw's vertices; kept under a megabyte it is reused from frame to frame instead of
// being mapped afresh each time.
constexpr uint32_t kMaxDrawVertices = 768 * kQuadVertexCount;
// Quads of one kind in a row that are worth a draw of their own pipeline.
constexpr size_t kMinRunQuads = 64;

// Plans a stretch of solid quads, `discs[i]` telling whether quad i is a disc: calls
// place(i, firstVertex) for each and pad(firstVertex) for each empty quad, advancing `next`
// (the first free vertex, a multiple of six) and appending to `draws`.
template <typename Place, typename Pad>
void planStretch(const std::vector<uint8_t>& discs, uint32_t& next, std::vector<Draw>& draws, Place&& place,
                 Pad&& pad) {
    const auto emit = [&](DrawKind kind, size_t index) {
        if (kind == DrawKind::Mixed && ((next / kQuadVertexCount) % 2 == 0) != (discs[index] != 0)) {
            pad(next);
            next += kQuadVertexCount;
        }
        place(index, next);
        Draw* last = draws.empty() ? nullptr : &draws.back();
        if (last != nullptr && last->kind == kind && last->first + last->count + kQuadVertexCount >= next &&
            last->count < kMaxDrawVertices) {
            last->count = next + kQuadVertexCount - last->first;
        } else {
            draws.push_back(Draw{kind, next, kQuadVertexCount});
        }
        next += kQuadVertexCount;
    };
    size_t i = 0;
    while (i < discs.size()) {
        size_t end = i;
        while (end < discs.size() && discs[end] == discs[i]) {
            ++end;
        }
        const bool longRun = end - i >= kMinRunQuads;
        for (size_t k = i; k < end; ++k) {
            emit(longRun ? (discs[k] != 0 ? DrawKind::Discs : DrawKind::Plain) : DrawKind::Mixed, k);
        }
        i = end;
    }
}

}  // namespace orv
