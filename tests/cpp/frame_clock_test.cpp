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

// nextFrame's schedule: frames a whole interval apart on average whatever each one's lateness,
// a fresh start after falling behind, and at once after a change of pace.
TEST(FrameClock, PacedScheduleHoldsItsRateAndRestartsWhenBehind) {
    FrameClock clock{0};
    clock.setPace(10'000'000);
    EXPECT_EQ(clock.dueAt(123), 123);
    clock.pacedFrameDrawn(1'000);
    EXPECT_EQ(clock.dueAt(2'000), 10'001'000);
    clock.pacedFrameDrawn(10'400'000);  // drawn late: the next is still due on the schedule
    EXPECT_EQ(clock.dueAt(0), 20'001'000);
    clock.pacedFrameDrawn(45'000'000);  // more than a frame behind: a new schedule from now
    EXPECT_EQ(clock.dueAt(0), 55'000'000);
    clock.setPace(500'000'000);  // a new pace counts from the last frame placed
    EXPECT_EQ(clock.dueAt(0), 545'000'000);
    clock.setPace(0);
    EXPECT_EQ(clock.dueAt(61'000'000), 61'000'000);
    clock.setPace(10'000'000);
    clock.unschedule();
    EXPECT_EQ(clock.dueAt(62'000'000), 62'000'000);
}

// A fixed step: every poll draws, one step after the last frame, whatever the time says.
TEST(FrameClock, FixedStepReplacesTheTime) {
    FrameClock clock{1'000};
    clock.setFixedStep(5'000'000);
    for (int frame = 1; frame <= 3; ++frame) {
        const FrameClock::Step step = clock.poll(frame == 2 ? 1'000 : 9'999'999'999);
        EXPECT_TRUE(step.draw);
        EXPECT_DOUBLE_EQ(step.frameTime, 0.005);
        clock.drawn();
        EXPECT_EQ(clock.now(), 1'000 + frame * 5'000'000);
    }
    clock.setFixedStep(0);
    EXPECT_FALSE(clock.poll(clock.now() + 1'000).draw);
}

}  // namespace
}  // namespace orv
