#include "render/draw_list.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/lowering.hpp"
#include "render/coverage.hpp"
#include "render/raster/draw_batches.hpp"
#include "scene_objects.hpp"

namespace orv {
namespace {


TEST(Coverage, PixelCentresHalfOpen) {
    uint32_t first = 0;
    uint32_t last = 0;
    // Centres 10.5 .. 19.5 lie in [10, 20); 20.5 does not.
    ASSERT_TRUE(pixelRange(10.0, 20.0, 100, first, last));
    EXPECT_EQ(first, 10u);
    EXPECT_EQ(last, 19u);
    // An edge on a centre holds it on the low side only.
    ASSERT_TRUE(pixelRange(10.5, 12.5, 100, first, last));
    EXPECT_EQ(first, 10u);
    EXPECT_EQ(last, 11u);
    ASSERT_TRUE(pixelRange(-5.0, 500.0, 100, first, last));
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(last, 99u);
    EXPECT_FALSE(pixelRange(10.6, 11.4, 100, first, last));
    EXPECT_FALSE(pixelRange(0.0, std::nan(""), 100, first, last));

    const PixelSpan reach{0, 0, 99, 99};
    const PixelSpan sure = surelyCovered(PixelBox{10.0f, 10.0f, 20.0f, 30.0f}, 100, 100, reach);
    EXPECT_EQ(sure.x0, 11u);
    EXPECT_EQ(sure.x1, 18u);
    EXPECT_EQ(sure.y0, 11u);
    EXPECT_EQ(sure.y1, 28u);
    EXPECT_TRUE(surelyCovered(PixelBox{10.0f, 10.0f, 12.0f, 30.0f}, 100, 100, reach).empty());
    EXPECT_TRUE(surelyCovered(PixelBox{}, 100, 100, reach).empty());
}

TEST(Coverage, OpaquePartOfAPictureReadsOnlyOpaqueTexels) {
    // A 4 x 4 picture at twice its size; its opaque rows are 1 and 2, every column.
    const PixelBox box{100.0f, 50.0f, 108.0f, 58.0f};
    const PixelBox part = opaquePartOfPicture(box, 4, 4, 0.5f, 0.5f, AtlasRect{0, 1, 4, 2});
    // Full width (the columns reach the picture's sides); rows from texel 1.5 to 2.5 only.
    EXPECT_EQ(part.left, 100.0f);
    EXPECT_EQ(part.right, 108.0f);
    EXPECT_EQ(part.top, 53.0f);
    EXPECT_EQ(part.bottom, 55.0f);
    const PixelBox none = opaquePartOfPicture(box, 4, 4, 0.5f, 0.5f, AtlasRect{});
    EXPECT_LT(none.right, none.left);
}

// What the tiles renderer hides below an ellipse or a rounded box lies inside it, and is
// most of what it could be.
TEST(Coverage, HintsLieInsideTurnedEllipsesAndRoundedBoxes) {
    const double c = std::cos(0.5);
    const double s = std::sin(0.5);
    Primitive disc{};
    disc.kind = kPrimDisc;
    const double corners[3][2] = {{-30 * c + 10 * s, -30 * s - 10 * c}, {30 * c + 10 * s, 30 * s - 10 * c},
                                  {-30 * c - 10 * s, -30 * s + 10 * c}};
    float* points[3] = {disc.p0, disc.p1, disc.p2};
    for (int i = 0; i < 3; ++i) {
        points[i][0] = static_cast<float>(50 + corners[i][0]);
        points[i][1] = static_cast<float>(40 + corners[i][1]);
    }
    const PixelBox inside = insideOfEllipse(disc);
    double farthest = 0;
    for (const double x : {inside.left, inside.right}) {
        for (const double y : {inside.top, inside.bottom}) {
            const double u = ((x - 50) * c + (y - 40) * s) / 30;
            const double v = (-(x - 50) * s + (y - 40) * c) / 10;
            farthest = std::max(farthest, std::hypot(u, v));
        }
    }
    EXPECT_LE(farthest, 1.0);
    EXPECT_GT(farthest, 0.97);

    DrawList list;
    Primitive& box = boxQuad(list, kPrimRoundedBox, 10, 20, 70, 50, 0xFF000000u);
    box.source[0] = 60;
    box.source[1] = 30;
    box.source[2] = 8;
    box.source[3] = 0;
    // Shrunk across: 44 x 30 keeps more than 60 x 14.
    const PixelBox kept = insideOfRoundedBox(box);
    EXPECT_EQ(kept.left, 18.0f);
    EXPECT_EQ(kept.right, 62.0f);
    EXPECT_EQ(kept.top, 20.0f);
    EXPECT_EQ(kept.bottom, 50.0f);
    box.source[2] = 100;  // clamped to half the height
    EXPECT_EQ(insideOfRoundedBox(box).left, 25.0f);
    EXPECT_EQ(insideOfRoundedBox(box).right, 55.0f);
    box.source[3] = 2;  // an outline hides nothing
    EXPECT_LT(insideOfRoundedBox(box).right, insideOfRoundedBox(box).left);
    box.source[3] = 0;
    box.p1[1] += 5;  // nor does a turned box
    EXPECT_LT(insideOfRoundedBox(box).right, insideOfRoundedBox(box).left);
}

TEST(Lowering, EachKindBecomesItsPrimitive) {
    nextObjectId = 0;
    Scene scene;
    scene.add(rectObject(10, 20, 30, 40));
    scene.add(discObject(100, 100, 20));
    scene.add(discObject(100, 100, -20));  // shows nothing
    scene.add(rectObject(std::nan(""), 0, 5, 5));  // shows nothing
    GameObject sprite = spriteObject(10.6, 20.4, 16, 8, AtlasRect{64, 32, 16, 8});
    GameObject scaled = sprite;
    scene.add(std::move(sprite));
    scaled.x = 10.6;
    spriteOf(scaled).width = 32;
    scene.add(std::move(scaled));
    TriangleKind triangle = TriangleKind::full();
    triangle.rotation = 0.0f;
    triangle.scale = {1.0f, 1.0f};
    triangle.offset = {0.0f, 0.0f};
    scene.add(placed(triangle, 0, 0));

    DrawList list;
    lowerScene(scene, 200, 100, list);
    EXPECT_EQ(list.clearColor, 0xFF030303u);
    ASSERT_EQ(list.size(), 5u);

    const Primitive& rect = list.primitives[0];
    EXPECT_EQ(rect.kind, kPrimQuad | kFlagAxisAligned);
    EXPECT_EQ(rect.color, 0xFF0080FFu);  // orange, red in the low byte
    const PixelBox box = boundsOf(rect);
    EXPECT_EQ(box.left, 10.0f);
    EXPECT_EQ(box.top, 20.0f);
    EXPECT_EQ(box.right, 40.0f);
    EXPECT_EQ(box.bottom, 60.0f);
    EXPECT_EQ(list.opaque[0].right, 40.0f);  // opaque over its whole box

    const Primitive& disc = list.primitives[1];
    EXPECT_EQ(disc.kindNumber(), kPrimDisc);
    EXPECT_EQ(disc.p0[0], 80.0f);
    EXPECT_EQ(disc.p1[0], 120.0f);
    EXPECT_EQ(disc.inverse[0], 0.05f);
    EXPECT_GT(list.opaque[1].left, 80.0f);  // only the square inside the disc

    // At its own size the picture lands on whole pixels and reads one texel a pixel.
    const Primitive& own = list.primitives[2];
    EXPECT_EQ(own.kind, kPrimQuad | kFlagAxisAligned | kFlagTextured | kFlagOneTexelAPixel);
    EXPECT_EQ(own.p0[0], 11.0f);
    EXPECT_EQ(own.p0[1], 20.0f);
    EXPECT_EQ(own.color, 0xFFFFFFFFu);
    EXPECT_EQ(own.source[0], 64.0f);
    EXPECT_EQ(own.inverse[0], 1.0f);
    // Scaled, it keeps its place and maps two pixels to a texel.
    const Primitive& stretched = list.primitives[3];
    EXPECT_EQ(stretched.kind, kPrimQuad | kFlagAxisAligned | kFlagTextured);
    EXPECT_EQ(stretched.p0[0], 10.6f);
    EXPECT_EQ(stretched.inverse[0], 0.5f);

    // The full triangle spans the frame: clip space -1..1 onto 200 x 100 pixels.
    const Primitive& tri = list.primitives[4];
    EXPECT_EQ(tri.kindNumber(), kPrimTriangle);
    EXPECT_EQ(tri.p0[0], 100.0f);
    EXPECT_EQ(tri.p0[1], 0.0f);
    EXPECT_EQ(tri.p1[0], 200.0f);
    EXPECT_EQ(tri.p1[1], 100.0f);
}

TEST(Lowering, FlippedSpritesMirrorTheirOpaquePartAndTurnedOnesHideNothing) {
    nextObjectId = 0;
    Scene scene;
    // An 8 x 8 picture whose left half is opaque, mirrored left to right about its centre.
    GameObject flipped = spriteObject(10.6, 20.0, 8, 8, AtlasRect{64, 32, 8, 8}, AtlasRect{0, 0, 4, 8});
    spriteOf(flipped).look.flipX = true;
    GameObject turned = flipped;
    spriteOf(turned).look.flipX = false;
    turned.angle = 90.0;
    GameObject faded = flipped;
    spriteOf(faded).look.opacity = 0.0f;  // shows nothing
    GameObject tinted = flipped;
    tinted.colour = 0x80FFFFFFu;
    scene.add(std::move(flipped));
    scene.add(std::move(turned));
    scene.add(std::move(faded));
    scene.add(std::move(tinted));

    DrawList list;
    lowerScene(scene, 200, 100, list);
    ASSERT_EQ(list.size(), 3u);
    // Still on whole pixels, one texel a pixel, read from the right.
    const Primitive& mirror = list.primitives[0];
    EXPECT_EQ(mirror.kind, kPrimQuad | kFlagAxisAligned | kFlagTextured | kFlagOneTexelAPixel);
    EXPECT_EQ(mirror.p0[0], 19.0f);
    EXPECT_EQ(mirror.p1[0], 11.0f);
    EXPECT_EQ(mirror.inverse[0], -1.0f);
    EXPECT_EQ(list.opaque[0].left, 15.5f);  // from the centre of the first opaque texel
    EXPECT_EQ(list.opaque[0].right, 19.0f);
    // A quarter turn clockwise about the centre (14.6, 24): texel (0, 0) lands top right.
    const Primitive& quarter = list.primitives[1];
    EXPECT_EQ(quarter.kind, kPrimQuad | kFlagTextured);
    EXPECT_FLOAT_EQ(quarter.p0[0], 18.6f);
    EXPECT_FLOAT_EQ(quarter.p0[1], 20.0f);
    EXPECT_FLOAT_EQ(quarter.p1[1], 28.0f);
    EXPECT_EQ(quarter.inverse[1], 1.0f);
    EXPECT_LT(list.opaque[1].right, list.opaque[1].left);
    // Seen through: its colour carries the alpha, and nothing below is hidden.
    EXPECT_EQ(list.primitives[2].color, 0x80FFFFFFu);
    EXPECT_LT(list.opaque[2].right, list.opaque[2].left);
}

TEST(DrawBatches, MixedRunsPutDiscsOnEvenSlotsAndLongRunsDrawAlone) {
    const auto plan = [](const std::vector<uint8_t>& discs, std::vector<uint32_t>& placed, uint32_t& pads) {
        std::vector<Draw> draws;
        uint32_t next = 0;
        placed.assign(discs.size(), 0);
        pads = 0;
        planStretch(
            discs, next, draws, [&](size_t i, uint32_t first) { placed[i] = first; }, [&](uint32_t) { ++pads; });
        return draws;
    };
    std::vector<uint32_t> placed;
    uint32_t pads = 0;
    // disc, plain, plain, disc: the second plain needs a pad to reach an odd slot.
    std::vector<Draw> draws = plan({1, 0, 0, 1}, placed, pads);
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].kind, DrawKind::Mixed);
    EXPECT_EQ(pads, 1u);
    for (size_t i = 0; i < placed.size(); ++i) {
        EXPECT_EQ((placed[i] / kQuadVertexCount) % 2 == 0, i == 0 || i == 3) << "quad " << i;
    }
    EXPECT_EQ(draws[0].count, placed.back() + kQuadVertexCount);

    // A run of kMinRunQuads discs gets the disc pipeline, the plain quad after it its own.
    std::vector<uint8_t> discs(kMinRunQuads, 1);
    discs.push_back(0);
    draws = plan(discs, placed, pads);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].kind, DrawKind::Discs);
    EXPECT_EQ(draws[0].count, kMinRunQuads * kQuadVertexCount);
    EXPECT_EQ(draws[1].kind, DrawKind::Mixed);
    EXPECT_EQ(pads, 1u);  // slot 64 is even

    // No draw grows past kMaxDrawVertices.
    draws = plan(std::vector<uint8_t>(3000, 0), placed, pads);
    for (const Draw& draw : draws) {
        EXPECT_LE(draw.count, kMaxDrawVertices);
    }
    EXPECT_EQ(draws.back().first + draws.back().count, 3000 * kQuadVertexCount);
}

}  // namespace
}  // namespace orv
