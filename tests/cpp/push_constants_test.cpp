#include "engine/push_constants.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace orv {
namespace {

constexpr float kTwoPi = 6.2831855f;

// The per-frame step spelled out in float arithmetic.
float referenceStep(float r) {
    r = r + 0.01f;
    r -= std::floor(r / kTwoPi) * kTwoPi;
    return r;
}

TEST(AdvanceRotation, FollowsFloatRecurrenceAndStaysInOneTurn) {
    float rotation = 1.5707964f;
    float expected = 1.5707964f;
    int wraps = 0;
    for (int n = 1; n <= 10000; ++n) {
        const float previous = rotation;
        rotation = advanceRotation(rotation);
        expected = referenceStep(expected);
        ASSERT_EQ(rotation, expected) << "step " << n;
        ASSERT_GE(rotation, 0.0f) << "step " << n;
        ASSERT_LT(rotation, kTwoPi) << "step " << n;
        if (rotation < previous) {
            ++wraps;
        }
        if (n == 1) {
            EXPECT_FLOAT_EQ(rotation, 1.5807964f);
        }
    }
    // 100 radians from pi/2: sixteen full turns.
    EXPECT_EQ(wraps, 16);
}

TEST(AdvanceRotation, WrapsJustPastOneTurn) {
    EXPECT_NEAR(advanceRotation(6.28f), 6.29f - kTwoPi, 1e-6f);
    EXPECT_EQ(advanceRotation(kTwoPi - 0.01f), referenceStep(kTwoPi - 0.01f));
    // Every float in the last stretch before a full turn lands back inside [0, 2pi).
    float r = kTwoPi;
    for (int i = 0; i < 200000; ++i) {
        r = std::nextafter(r, 0.0f);
        const float next = advanceRotation(r);
        ASSERT_GE(next, 0.0f) << "from " << r;
        ASSERT_LT(next, kTwoPi) << "from " << r;
    }
}

}  // namespace
}  // namespace orv
