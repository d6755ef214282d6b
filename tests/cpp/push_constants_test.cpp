#include "render/raster/push_constants.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <vector>

#include "engine/shape_geometry.hpp"

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

TEST(MakePushConstants, ShapeCentreRadiusAndTransform) {
    struct Case {
        const char* name;
        QuadCorners corners;
        std::optional<double> radius;
        float pushedRadius, centerX, centerY;
    };
    const Case cases[] = {
        {"circle at (100, 50) radius 20", circleCorners(100, 50, 20), 20.0, 20, 100, 50},
        {"rectangle at (10, 20)", rectangleCorners(10, 20, 30, 40), std::nullopt, 0, 10, 20},
        {"circle radius 0", circleCorners(7, 9, 0), 0.0, 0, 7, 9},
    };
    GameObject object;
    object.color = {0.25f, 0.5f, 0.75f};
    object.rotation = 0.0f;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PushConstantData push = makePushConstants(object, Vertex{{c.corners.left, c.corners.top}, {}}, c.radius, {800, 600});
        EXPECT_EQ(push.radius, c.pushedRadius);
        EXPECT_EQ(push.centerX, c.centerX);
        EXPECT_EQ(push.centerY, c.centerY);
        EXPECT_EQ(push.screenWidth, 800.0f);
        EXPECT_EQ(push.screenHeight, 600.0f);
        EXPECT_EQ(push.color[0], 0.25f);
        EXPECT_EQ(push.color[1], 0.5f);
        EXPECT_EQ(push.color[2], 0.75f);
        EXPECT_EQ(push.offset[0], 0.2f);
        EXPECT_EQ(push.offset[1], 0.0f);
        EXPECT_EQ(push.padding[0], 0.0f);
        EXPECT_EQ(push.padding[1], 0.0f);
    }

    // Columns of rotation times scale (2, 0.5): unrotated, then a quarter turn.
    const Vertex origin{{0, 0}, {0, 0, 0}};
    const float unrotated[4] = {2.0f, 0.0f, -0.0f, 0.5f};
    const PushConstantData flat = makePushConstants(object, origin, std::nullopt, {1, 1});
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(flat.transform[i], unrotated[i]) << "element " << i;
    }
    object.rotation = 1.5707964f;
    const float quarter[4] = {0.0f, 2.0f, -0.5f, 0.0f};
    const PushConstantData turned = makePushConstants(object, origin, std::nullopt, {1, 1});
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(turned.transform[i], quarter[i], 1e-6f) << "element " << i;
    }
}

}  // namespace
}  // namespace orv
