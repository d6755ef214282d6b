// The camera applied to lowered primitives: the default camera changes nothing, and every
// kind is drawn (by the reference rasteriser) where the camera shows its world pixels.

#include "engine/camera_transform.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/lowering.hpp"
#include "reference_raster.hpp"
#include "scene_objects.hpp"

namespace orv {
namespace {

constexpr uint32_t kSide = 96;


// A rectangle, a circle, a picture at its own size (its texels all one colour) and the demo
// triangle below them.
void fill(Scene& scene) {
    nextObjectId = 0;
    scene.add(rectObject(30, 30, 20, 12, 0xFF0000FFu));
    scene.add(discObject(60, 55, 8, 0xFF00FF00u));
    scene.add(spriteObject(35, 55, 8, 6, AtlasRect{16, 8, 8, 6}, AtlasRect{0, 0, 8, 6}));
    GameObject triangle = placed(TriangleKind::demo(), 0, 0, packColor({0.2f, 0.2f, 0.9f}));
    triangle.layer = -1;
    scene.add(std::move(triangle));
}

std::array<uint8_t, 4> texel(uint32_t, uint32_t) {
    return {200, 100, 50, 255};
}

TEST(CameraTransform, TheDefaultCameraLeavesTheListAsItWas) {
    Scene scene;
    fill(scene);
    DrawList plain;
    plain.begin(kSide, kSide, scene.background);
    for (uint32_t slot : scene.drawOrder()) {
        lowerObject(scene.at(slot), false, plain);
    }
    DrawList lowered;
    // Seen from where it is shown: the default, however spelt.
    for (const double at : {0.0, 37.0}) {
        scene.view.camera = Camera{at, -at, 1.0, 720.0, at, -at};
        lowerScene(scene, kSide, kSide, lowered);
        EXPECT_TRUE(lowered.sameAs(plain)) << at;
    }

    // A shift by whole pixels moves everything by exactly that, pictures still a texel a pixel.
    scene.view.camera = Camera{10.0, -3.0, 1.0, 0.0, 0.0, 0.0};
    lowerScene(scene, kSide, kSide, lowered);
    ASSERT_EQ(lowered.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
        const Primitive& a = plain.primitives[i];
        const Primitive& b = lowered.primitives[i];
        EXPECT_EQ(b.kind, a.kind);
        EXPECT_EQ(b.p0[0], a.p0[0] - 10.0f);
        EXPECT_EQ(b.p2[1], a.p2[1] + 3.0f);
        EXPECT_EQ(0, std::memcmp(a.inverse, b.inverse, sizeof(a.inverse)));
        if (plain.opaque[i].left <= plain.opaque[i].right) {
            EXPECT_EQ(lowered.opaque[i].left, plain.opaque[i].left - 10.0f);
        } else {
            EXPECT_GT(lowered.opaque[i].left, lowered.opaque[i].right);
        }
    }
    // Half a pixel: pictures are filtered; a quarter turn: boxes stay boxes but quads are turned;
    // any other turn: no opaque hints but the discs'.
    const auto flagsAfter = [&](const Camera& camera, uint32_t flag) {
        scene.view.camera = camera;
        lowerScene(scene, kSide, kSide, lowered);
        size_t with = 0;
        for (const Primitive& p : lowered.primitives) {
            with += p.has(flag);
        }
        return with;
    };
    EXPECT_EQ(flagsAfter(Camera{0.5, 0.0, 1.0, 0.0, 0.0, 0.0}, kFlagOneTexelAPixel), 0u);
    EXPECT_EQ(flagsAfter(Camera{48.0, 48.0, 1.0, 90.0, 48.0, 48.0}, kFlagAxisAligned), 1u);  // the disc
    EXPECT_EQ(lowered.opaque[0].right - lowered.opaque[0].left, 12.0f);                     // turned
    flagsAfter(Camera{48.0, 48.0, 2.0, 10.0, 48.0, 48.0}, 0);
    for (size_t i = 0; i < lowered.size(); ++i) {
        const PixelBox& box = lowered.opaque[i];
        if (lowered.primitives[i].kindNumber() != kPrimDisc) {
            EXPECT_GT(box.left, box.right);
            continue;
        }
        const float cx = 0.5f * (lowered.primitives[i].p0[0] + lowered.primitives[i].p1[0]);
        const float cy = 0.5f * (lowered.primitives[i].p0[1] + lowered.primitives[i].p2[1]);
        EXPECT_NEAR(0.5f * (box.left + box.right), cx, 1e-3);
        EXPECT_NEAR(0.5f * (box.top + box.bottom), cy, 1e-3);
        EXPECT_NEAR(box.right - box.left, 2.0f * (plain.opaque[1].right - plain.opaque[1].left), 1e-3);
    }
    // Far away: nothing is left to draw. On a fixed layer: not moved.
    EXPECT_EQ(flagsAfter(Camera{1e6, 0.0, 1.0, 0.0, 0.0, 0.0}, 0), 0u);
    EXPECT_EQ(lowered.size(), 0u);
    flagsAfter(Camera{48.0, 48.0, 1e-300, 0.0, 48.0, 48.0}, 0);  // zoomed down to nothing
    EXPECT_EQ(lowered.size(), 0u);
    scene.view.fixedLayers = {0, -1};
    flagsAfter(Camera{1e6, 0.0, 3.0, 30.0, 0.0, 0.0}, 0);
    EXPECT_TRUE(lowered.sameAs(plain));
}

TEST(CameraTransform, EachKindIsDrawnWhereTheCameraShowsIt) {
    Scene scene;
    fill(scene);
    DrawList world;
    lowerScene(scene, kSide, kSide, world);
    const std::vector<uint8_t> seen = referenceDraw(world, texel);
    for (const double angle : {90.0, 30.0, -135.0}) {
        for (const double zoom : {2.0, 0.75}) {
            SCOPED_TRACE(testing::Message() << "angle " << angle << " zoom " << zoom);
            const Camera camera{45.0, 44.0, zoom, angle, 50.0, 47.0};
            scene.view.camera = camera;
            DrawList moved;
            lowerScene(scene, kSide, kSide, moved);
            const std::vector<uint8_t> drawn = referenceDraw(moved, texel);
            size_t compared = 0;
            for (uint32_t y = 0; y < kSide; ++y) {
                for (uint32_t x = 0; x < kSide; ++x) {
                    // The world pixel whose centre shows here, well away from any edge.
                    const Point2D w = camera.toWorld(Point2D{x + 0.5, y + 0.5});
                    if (!(w.x >= 0.0 && w.y >= 0.0 && w.x < kSide && w.y < kSide) ||
                        edgeDistance(world, w.x, w.y) < 0.75) {
                        continue;
                    }
                    const size_t at = (static_cast<size_t>(y) * kSide + x) * 4;
                    const size_t from = (static_cast<size_t>(w.y) * kSide + static_cast<size_t>(w.x)) * 4;
                    ++compared;
                    for (int c = 0; c < 4; ++c) {
                        ASSERT_LE(std::abs(int{drawn[at + c]} - int{seen[from + c]}), 1) << x << ", " << y;
                    }
                }
            }
            EXPECT_GT(compared, 2000u);
        }
    }
}

}  // namespace
}  // namespace orv
