#include "engine/frame_clock.hpp"

#include <gtest/gtest.h>

#include <cstdint>

namespace orv {
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

TEST(FrameClock, ThresholdAndFrameTime) {
    EXPECT_EQ(FrameClock::kFrameIntervalNs, 16'666'666);
    for (const PaceCase& c : kPaceCases) {
        SCOPED_TRACE(testing::Message() << "last " << c.lastFrameNs << " elapsed " << c.elapsedNs);
        FrameClock clock{c.lastFrameNs};
        const FrameClock::Step step = clock.poll(c.lastFrameNs + c.elapsedNs);
        EXPECT_EQ(step.draw, c.draw);
        EXPECT_DOUBLE_EQ(step.frameTime, c.frameTime);
    }
}

// poll's own loop: a clock ticking 1 ms per poll, the last frame moved only when drawing.
TEST(FrameClock, MillisecondPollingDrawsEverySeventeenthCall) {
    const std::int64_t loadNs = 5'000'000'000;
    std::int64_t now = loadNs;
    FrameClock clock{loadNs};
    int draws = 0;
    for (int call = 1; call <= 170; ++call) {
        now += 1'000'000;
        const FrameClock::Step step = clock.poll(now);
        const int sinceDraw = (call - 1) % 17 + 1;
        SCOPED_TRACE(testing::Message() << "call " << call);
        EXPECT_EQ(step.draw, sinceDraw == 17);
        EXPECT_NEAR(step.frameTime, 0.001 * sinceDraw, 1e-12);
        if (step.draw) {
            clock.drawn();
            ++draws;
        }
    }
    EXPECT_EQ(draws, 10);
}

TEST(FrameClock, FirstPollAfterLongLoadDraws) {
    const std::int64_t loadNs = 987'654'321'000;
    FrameClock clock{loadNs};
    const FrameClock::Step step = clock.poll(loadNs + 2'000'000'000);
    EXPECT_TRUE(step.draw);
    EXPECT_EQ(step.frameTime, 2.0);
}

}  // namespace
}  // namespace orv
