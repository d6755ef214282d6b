#include "bindings/frame_pacing.hpp"

#include <gtest/gtest.h>

#include <cstdint>

namespace qel {
namespace {

struct PaceCase {
    std::int64_t lastFrameNs;
    std::int64_t elapsedNs;
    bool draw;
    double frameTime;
};

// Large bases stand in for a steady clock that has run for days: the difference must be
// taken in integers, a double would blur the last few hundred nanoseconds.
const PaceCase kPaceCases[] = {
    {0, 0, false, 0.0},
    {0, 16'666'665, false, 0.016666665},
    {0, 16'666'666, true, 0.016666666},
    {0, 16'666'667, true, 0.016666667},
    {1'700'000'000'000'000'000, 16'666'665, false, 0.016666665},
    {1'700'000'000'000'000'000, 16'666'666, true, 0.016666666},
    {123'456'789, 1'000'000, false, 0.001},
    {123'456'789, 2'000'000'000, true, 2.0},
};

TEST(PaceFrame, ThresholdAndFrameTime) {
    EXPECT_EQ(kFrameIntervalNs, 16'666'666);
    for (const PaceCase& c : kPaceCases) {
        SCOPED_TRACE(testing::Message() << "last " << c.lastFrameNs << " elapsed " << c.elapsedNs);
        const PaceStep step = paceFrame(c.lastFrameNs + c.elapsedNs, c.lastFrameNs);
        EXPECT_EQ(step.draw, c.draw);
        EXPECT_DOUBLE_EQ(step.frameTime, c.frameTime);
    }
}

// poll's own loop: a clock ticking 1 ms per poll, lastFrame moved only when drawing.
TEST(PaceFrame, MillisecondPollingDrawsEverySeventeenthCall) {
    const std::int64_t loadNs = 5'000'000'000;
    std::int64_t now = loadNs;
    std::int64_t lastFrame = loadNs;
    int draws = 0;
    for (int call = 1; call <= 170; ++call) {
        now += 1'000'000;
        const PaceStep step = paceFrame(now, lastFrame);
        const int sinceDraw = (call - 1) % 17 + 1;
        SCOPED_TRACE(testing::Message() << "call " << call);
        EXPECT_EQ(step.draw, sinceDraw == 17);
        EXPECT_NEAR(step.frameTime, 0.001 * sinceDraw, 1e-12);
        if (step.draw) {
            lastFrame = now;
            ++draws;
        }
    }
    EXPECT_EQ(draws, 10);
}

TEST(PaceFrame, FirstPollAfterLongLoadDraws) {
    const std::int64_t loadNs = 987'654'321'000;
    const PaceStep step = paceFrame(loadNs + 2'000'000'000, loadNs);
    EXPECT_TRUE(step.draw);
    EXPECT_EQ(step.frameTime, 2.0);
}

}  // namespace
}  // namespace qel
