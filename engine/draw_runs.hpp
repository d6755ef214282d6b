#pragma once
// Planning the draw calls for a stretch of batched models that is contiguous in vertex
// memory. Circles need the pipeline that cuts their disc, everything else is cheaper to
// fill without it; switching pipelines costs the driver far more than a shape, though, so
// only long stretches of one kind get a draw of their own.

#include <cstdint>
#include <vector>

namespace orv {

// Consecutive models of one kind; `first` and `count` are in vertices.
struct Segment {
    bool disc = false;
    uint32_t first = 0;
    uint32_t count = 0;
    uint32_t models = 0;
};

struct RunDraw {
    bool disc = false;
    uint32_t first = 0;
    uint32_t count = 0;
};

// Shapes of one kind in a row that are worth a pipeline switch.
constexpr uint32_t kMinSegmentModels = 64;
// The most vertices one draw takes. The CPU driver allocates working memory in proportion
// to a draw's vertices; kept under a megabyte it is reused from frame to frame instead of
// being mapped afresh each time.
constexpr uint32_t kMaxDrawVertices = 768 * 6;

// Appends to `out` the draws for `segments`, given in draw order, each starting where the
// one before ends. A segment of at least `minModels` models is drawn alone with its own
// fill; the segments between such ones are drawn together, cutting discs if any of them
// holds circles. A draw of more than `maxVertices` vertices is cut into pieces of at most
// that many (a multiple of six: whole quads). Draw order is kept.
void planRunDraws(const std::vector<Segment>& segments, uint32_t minModels, uint32_t maxVertices,
                  std::vector<RunDraw>& out);

}  // namespace orv
