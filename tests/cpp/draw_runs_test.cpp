#include "engine/draw_runs.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace orv {
namespace {

// Segments of `models` quads each (six vertices a quad), laid end to end from vertex 60.
std::vector<Segment> laidOut(const std::vector<std::pair<bool, uint32_t>>& kinds) {
    std::vector<Segment> segments;
    uint32_t next = 60;
    for (const auto& [disc, models] : kinds) {
        segments.push_back(Segment{disc, next, models * 6, models});
        next += models * 6;
    }
    return segments;
}

std::vector<RunDraw> plan(const std::vector<Segment>& segments, uint32_t minModels = 4,
                          uint32_t maxVertices = 1000 * 6) {
    std::vector<RunDraw> out;
    planRunDraws(segments, minModels, maxVertices, out);
    return out;
}

void expectDraws(const std::vector<RunDraw>& got, const std::vector<RunDraw>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].disc, want[i].disc);
        EXPECT_EQ(got[i].first, want[i].first);
        EXPECT_EQ(got[i].count, want[i].count);
    }
}

TEST(PlanRunDraws, NothingToDraw) {
    EXPECT_TRUE(plan({}).empty());
}

TEST(PlanRunDraws, LongStretchesOfOneKindGetTheirOwnFill) {
    expectDraws(plan(laidOut({{true, 10}, {false, 5}})), {{true, 60, 60}, {false, 120, 30}});
    expectDraws(plan(laidOut({{false, 4}})), {{false, 60, 24}});
}

TEST(PlanRunDraws, AlternatingKindsShareOneDrawThatCutsDiscs) {
    expectDraws(plan(laidOut({{true, 1}, {false, 1}, {true, 2}, {false, 3}, {true, 1}})), {{true, 60, 48}});
    // Short stretches of rectangles alone need no disc test.
    expectDraws(plan(laidOut({{false, 3}})), {{false, 60, 18}});
}

TEST(PlanRunDraws, ShortStretchesAroundLongOnesAreGroupedInOrder) {
    expectDraws(plan(laidOut({{false, 1}, {true, 1}, {false, 8}, {false, 2}, {true, 6}, {true, 1}, {false, 1}})),
                {{true, 60, 12}, {false, 72, 48}, {false, 120, 12}, {true, 132, 36}, {true, 168, 12}});
}

TEST(PlanRunDraws, LongDrawsAreCutIntoWholeQuadsInOrder) {
    // 7 quads at most a draw; 9 vertices round down to one quad.
    expectDraws(plan(laidOut({{true, 16}}), 4, 42), {{true, 60, 42}, {true, 102, 42}, {true, 144, 12}});
    expectDraws(plan(laidOut({{false, 2}, {true, 1}, {false, 2}}), 4, 9),
                {{true, 60, 6}, {true, 66, 6}, {true, 72, 6}, {true, 78, 6}, {true, 84, 6}});
    expectDraws(plan(laidOut({{false, 14}}), 4, 42), {{false, 60, 42}, {false, 102, 42}});
}

TEST(PlanRunDraws, AppendsToWhatIsThere) {
    std::vector<RunDraw> out{{false, 0, 6}};
    planRunDraws(laidOut({{true, 9}}), kMinSegmentModels, kMaxDrawVertices, out);
    expectDraws(out, {{false, 0, 6}, {true, 60, 54}});
}

}  // namespace
}  // namespace orv
