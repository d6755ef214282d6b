#include "engine/shape_geometry.hpp"
#include "engine/kinds/triangle_kind.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

namespace orv {
namespace {

using Corner = std::array<double, 2>;

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
        rotation = TriangleKind::advanceRotation(rotation);
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
    EXPECT_NEAR(TriangleKind::advanceRotation(6.28f), 6.29f - kTwoPi, 1e-6f);
    EXPECT_EQ(TriangleKind::advanceRotation(kTwoPi - 0.01f), referenceStep(kTwoPi - 0.01f));
    // Every float in the last stretch before a full turn lands back inside [0, 2pi).
    float r = kTwoPi;
    for (int i = 0; i < 200000; ++i) {
        r = std::nextafter(r, 0.0f);
        const float next = TriangleKind::advanceRotation(r);
        ASSERT_GE(next, 0.0f) << "from " << r;
        ASSERT_LT(next, kTwoPi) << "from " << r;
    }
}

TEST(TriangleTransform, ColumnsOfRotationTimesScale) {
    TriangleKind object = TriangleKind::demo();
    object.rotation = 0.0f;
    const float unrotated[4] = {2.0f, 0.0f, -0.0f, 0.5f};
    const std::array<float, 4> flat = object.transform();
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(flat[i], unrotated[i]) << "element " << i;
    }
    object.rotation = 1.5707964f;
    const float quarter[4] = {0.0f, 2.0f, -0.5f, 0.0f};
    const std::array<float, 4> turned = object.transform();
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(turned[i], quarter[i], 1e-6f) << "element " << i;
    }
}

TEST(ShapeGeometry, RectangleCheckPrintsBlock) {
    std::ostringstream out;
    EXPECT_TRUE(rectangleContains(rectangleCorners(10, 20, 30, 40), {15, 25}, out));
    EXPECT_EQ(out.str(),
              "\nRectangle Check:\n\tClick: (15, 25)\n\tLeft: 10\n\tRight: 40\n\tTop: 20\n"
              "\tBottom: 60\n\n");

    // Six significant digits; the float bound 0.1f still reads 0.1.
    std::ostringstream rounded;
    EXPECT_FALSE(rectangleContains(rectangleCorners(123.4567, 0.1, 10, 10), {123.4567, 0.1}, rounded));
    EXPECT_EQ(rounded.str(),
              "\nRectangle Check:\n\tClick: (123.457, 0.1)\n\tLeft: 123.457\n\tRight: 133.457\n"
              "\tTop: 0.1\n\tBottom: 10.1\n\n");
}

TEST(ShapeGeometry, CircleCheckPrintsBlock) {
    std::ostringstream out;
    EXPECT_TRUE(circleContains(circleCorners(100, 50, 20), 20, {110, 50}, out));
    EXPECT_EQ(out.str(),
              "\nCircle Check:\n\tClick: (110, 50)\n\tCenter: (100, 50)\n\tDistance: 10\n\n");
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct HitCase {
    Point2D point;
    bool inside;
};

TEST(ShapeGeometry, RectangleHitsAreInclusive) {
    const HitCase cases[] = {
        {{15, 25}, true},     {{10, 20}, true},     {{40, 60}, true},      {{10, 60}, true},
        {{40, 20}, true},     {{40.001, 60}, false}, {{9.999, 30}, false}, {{20, 60.001}, false},
        {{20, 19.999}, false}, {{kNaN, 30}, false}, {{20, kNaN}, false},
    };
    const QuadCorners vertices = rectangleCorners(10, 20, 30, 40);
    for (const HitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "point (" << c.point.x << ", " << c.point.y << ")");
        std::ostringstream out;
        EXPECT_EQ(rectangleContains(vertices, c.point, out), c.inside);
        EXPECT_NE(out.str().find("Rectangle Check:"), std::string::npos);
    }

    // Negative sizes describe no area at all, not even the anchor corner.
    const QuadCorners mirrored = rectangleCorners(10, 20, -30, -40);
    for (const Point2D& point : {Point2D{10, 20}, Point2D{0, 0}, Point2D{-20, -20}, Point2D{-5, 0}}) {
        std::ostringstream out;
        EXPECT_FALSE(rectangleContains(mirrored, point, out)) << point.x << ", " << point.y;
    }
}

TEST(ShapeGeometry, CircleHitsAreInclusive) {
    struct CircleCase {
        const char* name;
        double radius;
        Point2D point;
        bool inside;
    };
    const CircleCase cases[] = {
        {"centre", 20, {100, 50}, true},
        {"on the rim", 20, {120, 50}, true},
        {"on the rim above", 20, {100, 30}, true},
        {"just outside", 20, {100, 70.5}, false},
        {"square corner", 20, {119, 69}, false},
        {"NaN", 20, {kNaN, 50}, false},
        {"radius 0 centre", 0, {100, 50}, true},
        {"radius 0 off centre", 0, {100, 50.001}, false},
        {"negative radius centre", -20, {100, 50}, false},
        {"negative radius nearby", -20, {110, 50}, false},
    };
    for (const CircleCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::ostringstream out;
        EXPECT_EQ(circleContains(circleCorners(100, 50, c.radius), c.radius, c.point, out), c.inside);
        EXPECT_NE(out.str().find("\tCenter: (100, 50)\n"), std::string::npos) << out.str();
    }
}

}  // namespace
}  // namespace orv
