#include "bindings/shape_handles.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace qel {
namespace {

constexpr double kW = 800.0;
constexpr double kH = 600.0;

struct StepCase {
    const char* name;
    bool circle;
    Point2D start;
    double radiusOrWidth;
    double height;  // rectangles only
    double speed;
    Step step;
    double dt;
    Point2D expected;
};

const StepCase kStepCases[] = {
    {"circle up", true, {100, 100}, 20, 0, 50, Step::Up, 0.5, {100, 75}},
    {"circle up clamps at radius", true, {100, 30}, 20, 0, 50, Step::Up, 0.5, {100, 20}},
    {"circle down", true, {100, 100}, 20, 0, 50, Step::Down, 0.5, {100, 125}},
    {"circle down clamps at H - r", true, {100, 570}, 20, 0, 50, Step::Down, 0.5, {100, 580}},
    {"circle left", true, {100, 100}, 20, 0, 50, Step::Left, 0.5, {75, 100}},
    {"circle left clamps at radius", true, {30, 100}, 20, 0, 50, Step::Left, 0.5, {20, 100}},
    {"circle right", true, {100, 100}, 20, 0, 50, Step::Right, 0.5, {125, 100}},
    {"circle right clamps at W - r", true, {770, 100}, 20, 0, 50, Step::Right, 0.5, {780, 100}},
    {"circle speed 0 only clamps", true, {10, 10}, 20, 0, 0, Step::Up, 0.5, {10, 20}},
    {"circle speed 0 inside stays", true, {100, 100}, 20, 0, 0, Step::Right, 0.5, {100, 100}},
    {"circle negative speed up moves down", true, {100, 100}, 20, 0, -50, Step::Up, 0.5, {100, 125}},
    {"circle negative speed up ignores H", true, {100, 590}, 20, 0, -50, Step::Up, 0.5, {100, 615}},
    {"circle negative speed up still clamps at radius", true, {100, -40}, 20, 0, -50, Step::Up, 0.5,
     {100, 20}},
    {"circle negative speed right moves left, unclamped", true, {10, 100}, 20, 0, -50, Step::Right,
     0.5, {-15, 100}},
    {"rectangle up", false, {100, 100}, 100, 50, 50, Step::Up, 0.5, {100, 75}},
    {"rectangle up clamps at 0", false, {100, 10}, 100, 50, 50, Step::Up, 0.5, {100, 0}},
    {"rectangle down clamps at H - height", false, {100, 540}, 100, 50, 50, Step::Down, 0.5,
     {100, 550}},
    {"rectangle left clamps at 0", false, {10, 100}, 100, 50, 50, Step::Left, 0.5, {0, 100}},
    {"rectangle right", false, {100, 100}, 100, 50, 50, Step::Right, 0.5, {125, 100}},
    {"rectangle right from 750 lands on W - width", false, {750, 100}, 100, 50, 50, Step::Right,
     0.5, {700, 100}},
    {"rectangle taller than H goes down to negative", false, {100, 10}, 100, 700, 50, Step::Down,
     0.5, {100, -100}},
    {"rectangle speed 0 right only clamps", false, {750, 100}, 100, 50, 0, Step::Right, 0.5,
     {700, 100}},
    {"rectangle speed 0 up stays", false, {100, 50}, 100, 50, 0, Step::Up, 0.5, {100, 50}},
    {"rectangle negative speed left moves right, unclamped", false, {750, 100}, 100, 50, -50,
     Step::Left, 0.5, {775, 100}},
    {"rectangle negative speed down moves up, unclamped", false, {100, 10}, 100, 50, -50,
     Step::Down, 0.5, {100, -15}},
};

TEST(ShapeHandles, StepMovesAndClampsOnOneSide) {
    for (const StepCase& c : kStepCases) {
        SCOPED_TRACE(c.name);
        Point2D got;
        if (c.circle) {
            Circle circle{7, c.start, c.radiusOrWidth, c.speed};
            stepCircle(circle, c.step, c.dt, StepArea{0, 0, kW, kH});
            EXPECT_EQ(circle.id, 7u);
            EXPECT_EQ(circle.radius, c.radiusOrWidth);
            EXPECT_EQ(circle.speed, c.speed);
            got = circle.center;
        } else {
            Rectangle rectangle{9, c.start, c.height, c.radiusOrWidth, c.speed};
            stepRectangle(rectangle, c.step, c.dt, StepArea{0, 0, kW, kH});
            EXPECT_EQ(rectangle.id, 9u);
            EXPECT_EQ(rectangle.height, c.height);
            EXPECT_EQ(rectangle.width, c.radiusOrWidth);
            got = rectangle.top_left;
        }
        EXPECT_DOUBLE_EQ(got.x, c.expected.x);
        EXPECT_DOUBLE_EQ(got.y, c.expected.y);
    }
}

TEST(ShapeHandles, RepeatedStepsKeepClamping) {
    Circle circle{0, {100, 100}, 20, 50};
    stepCircle(circle, Step::Up, 0.5, StepArea{0, 0, kW, kH});
    EXPECT_DOUBLE_EQ(circle.center.y, 75);
    circle.center.y = 30;
    stepCircle(circle, Step::Up, 0.5, StepArea{0, 0, kW, kH});
    EXPECT_DOUBLE_EQ(circle.center.y, 20);
    stepCircle(circle, Step::Up, 0.5, StepArea{0, 0, kW, kH});
    EXPECT_DOUBLE_EQ(circle.center.y, 20);

    // Too tall for the window: down pins it at H - height, up then pins it at 0.
    Rectangle tall{0, {100, 10}, 700, 100, 50};
    stepRectangle(tall, Step::Down, 0.5, StepArea{0, 0, kW, kH});
    EXPECT_DOUBLE_EQ(tall.top_left.y, -100);
    stepRectangle(tall, Step::Up, 0.5, StepArea{0, 0, kW, kH});
    EXPECT_DOUBLE_EQ(tall.top_left.y, 0);

    // The world area a camera shows need not start at 0: its sides are the limits.
    const StepArea seen{-200, 50, 600, 650};
    stepCircle(circle, Step::Left, 100, seen);
    EXPECT_DOUBLE_EQ(circle.center.x, -180);
    stepRectangle(tall, Step::Up, 0.5, seen);
    EXPECT_DOUBLE_EQ(tall.top_left.y, 50);
    stepRectangle(tall, Step::Right, 100, seen);
    EXPECT_DOUBLE_EQ(tall.top_left.x, 500);
}

TEST(ShapeHandles, StepClockCoversTimeSincePreviousStepAtMostFrameTime) {
    constexpr std::int64_t kPoll = 5'000'000'000;  // ns
    constexpr double kFrame = 1.0 / 60;
    StepClock clock;
    EXPECT_DOUBLE_EQ(clock.take(Step::Up, kPoll, kFrame), kFrame);          // never stepped
    EXPECT_DOUBLE_EQ(clock.take(Step::Up, kPoll, kFrame), 0.0);             // same poll
    EXPECT_DOUBLE_EQ(clock.take(Step::Up, kPoll + 1'000'000, kFrame), 0.001);
    EXPECT_DOUBLE_EQ(clock.take(Step::Right, kPoll + 1'000'000, kFrame), kFrame);  // own clock
    EXPECT_DOUBLE_EQ(clock.take(Step::Up, kPoll + 3'000'000'000, kFrame), kFrame);  // after a pause
    EXPECT_DOUBLE_EQ(clock.take(Step::Down, kPoll, 0.0), 0.0);  // before the first poll

    // A second step in the same poll moves nothing but still applies the limit.
    Circle circle{0, {100, 10}, 20, 50};
    stepCircle(circle, Step::Up, circle.steps.take(Step::Up, kPoll, 0.5), StepArea{0, 0, kW, kH});
    EXPECT_DOUBLE_EQ(circle.center.y, 20);
    circle.center.y = 5;
    stepCircle(circle, Step::Up, circle.steps.take(Step::Up, kPoll, 0.5), StepArea{0, 0, kW, kH});
    EXPECT_DOUBLE_EQ(circle.center.y, 20);
}

TEST(ShapeHandles, FormatPointUsesDefaultStreamFormatting) {
    const std::pair<Point2D, std::string> cases[] = {
        {{1.5, 2}, "(1.5, 2)"},
        {{1234567, 0.1}, "(1.23457e+06, 0.1)"},
        {{0, -0.25}, "(0, -0.25)"},
        {{123.4567, 1e-7}, "(123.457, 1e-07)"},
    };
    for (const auto& [point, text] : cases) {
        EXPECT_EQ(formatPoint(point), text);
    }
}

}  // namespace
}  // namespace qel
