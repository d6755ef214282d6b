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

// Appends to `out` the draws for `segments`, given in draw order, each starting where the
// one before ends. A segment of at least `minModels` models is drawn alone with its own
// fill; the segments between such ones are drawn together, cutting discs if any of them
// holds circles. Draw order is kept.
void planRunDraws(const std::vector<Segment>& segments, uint32_t minModels, std::vector<RunDraw>& out);

}  // namespace orv
