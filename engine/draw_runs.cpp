#include "engine/draw_runs.hpp"

namespace orv {

void planRunDraws(const std::vector<Segment>& segments, uint32_t minModels, std::vector<RunDraw>& out) {
    bool grouping = false;
    RunDraw group;
    auto flushGroup = [&] {
        if (grouping) {
            out.push_back(group);
            grouping = false;
        }
    };
    for (const Segment& segment : segments) {
        if (segment.models >= minModels) {
            flushGroup();
            out.push_back(RunDraw{segment.disc, segment.first, segment.count});
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
