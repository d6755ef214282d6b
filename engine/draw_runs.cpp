#include "engine/draw_runs.hpp"

namespace orv {

namespace {

void appendInPieces(RunDraw draw, uint32_t maxVertices, std::vector<RunDraw>& out) {
    while (draw.count > maxVertices) {
        out.push_back(RunDraw{draw.disc, draw.first, maxVertices});
        draw.first += maxVertices;
        draw.count -= maxVertices;
    }
    out.push_back(draw);
}

}  // namespace

void planRunDraws(const std::vector<Segment>& segments, uint32_t minModels, uint32_t maxVertices,
                  std::vector<RunDraw>& out) {
    maxVertices = maxVertices < 6 ? 6 : maxVertices / 6 * 6;
    bool grouping = false;
    RunDraw group;
    auto flushGroup = [&] {
        if (grouping) {
            appendInPieces(group, maxVertices, out);
            grouping = false;
        }
    };
    for (const Segment& segment : segments) {
        if (segment.models >= minModels) {
            flushGroup();
            appendInPieces(RunDraw{segment.disc, segment.first, segment.count}, maxVertices, out);
            continue;
        }
        if (!grouping) {
            group = RunDraw{segment.disc, segment.first, segment.count};
            grouping = true;
        } else {
            group.disc = group.disc || segment.disc;
            group.count += segment.count;
        }
    }
    flushGroup();
}

}  // namespace orv
