// Both renderers draw what the reference rasteriser draws from the same draw list, on
// lavapipe without a window.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "diagnostics/device_report.hpp"
#include "engine/orv_app.hpp"
#include "reference_raster.hpp"
#include "render/coverage.hpp"
#include "render/image_file.hpp"

namespace orv {

// The frame loop's test hooks.
struct FrameLoopProbe {
    static size_t& handOverFrom(FrameLoop& loop) { return loop.handOverFrom; }
    static std::function<void(DrawList&)>& afterLowering(FrameLoop& loop) { return loop.afterLowering; }
};

namespace {

// How close to an edge a pixel centre may be and still differ: the rasteriser snaps
// vertices to 1/256 px, the compute pass does not.
constexpr double kEdge = 1.0 / 256 + 1e-6;

// `onWorker`: every frame is finished on the frame loop's worker thread, however small.
void compareWithReference(RendererChoice choice, bool onWorker = false) {
    deviceReport() = nullptr;
    testing::internal::CaptureStdout();
    EngineOptions options;
    options.offscreen = true;
    OrvApp app{QEL_DATA_DIR, 320, 200, choice, options};
    FrameClock clock;
    if (onWorker) {
        FrameLoopProbe::handOverFrom(app.frameLoop()) = 0;
    }
    const std::string star = std::string{QEL_SOURCE_DIR} + "/demo/star.png";

    Scene& scene = app.scene();
    PictureObjects& pictures = app.pictures();
    scene.add(makeRectangle(10.25, 12.5, 60.5, 40.0, opaqueColour(0x3080FF)));
    scene.add(makeRectangle(90.0, 70.0, -30.0, -20.5, opaqueColour(0xFFCC00)));  // a negative size spans backwards
    scene.add(makeCircle(150.3, 60.7, 25.4, opaqueColour(0xE74C3C)));
    scene.add(makeCircle(170.0, 75.0, 12.0, opaqueColour(0x2ECC71)));             // under the first circle
    scene.add(makeCircle(300.0, 190.0, 30.0, opaqueColour(0x9B59B6)));            // cut by the frame's corner
    const auto sprite = [&](double x, double y, double w, double h) {
        return pictures.createSprite(x, y, PictureSource{star}, w, h, nullptr);
    };
    const uint32_t own = sprite(100.4, 50.6, 0, 0);
    const uint32_t scaled = sprite(200.25, 100.5, 48, 40);
    // Sprites turned, tinted and seen through; flipped and scaled texel by texel; half turned;
    // turned texel by texel.
    pictures.editSprite(sprite(230.3, 130.7, 0, 0), [](GameObject& o, SpriteKind& k) {
        o.angle = 30.0;
        o.colour = 0xC080FFFFu;
        k.look.opacity = 0.7f;
    });
    pictures.editSprite(sprite(140.0, 120.0, 0, 0), [](GameObject&, SpriteKind& k) {
        k.look.scaleX = -2.0;
        k.look.scaleY = 2.0;
        k.look.smooth = false;
    });
    pictures.editSprite(sprite(270.5, 60.25, 0, 0), [](GameObject& o, SpriteKind&) { o.angle = 180.0; });
    pictures.editSprite(sprite(20.5, 55.25, 0, 0), [](GameObject& o, SpriteKind& k) {
        o.angle = 20.0;
        k.look.smooth = false;  // texel by texel among filtered pictures
    });
    pictures.createText(12.3, 150.6, "qel", 24, 0xFFFFFFFFu, "");  // packed RGBA
    const uint32_t triangle = scene.add(makeFullTriangle());
    scene.setLayerOf(triangle, -1);
    scene.add(makeDemoTriangle());
    scene.setLayerOf(own, 1);
    // Rings, polygons (concave, outlined, seen through), an outlined turned rectangle, a line.
    scene.add(makeDisc(40.0, 110.0, 22.0, 0xFFE6B43Cu, 6.0));
    scene.add(makePolygon({{200, 140}, {260, 140}, {260, 155}, {220, 155}, {220, 190}, {200, 190}}, 0xFF40C0A0u, 0.0));
    std::vector<Point2D> spikes;
    for (int i = 0; i < 14; ++i) {
        const double r = i % 2 == 0 ? 45.0 : 20.0;
        spikes.push_back({150.0 + r * std::cos(i * 0.4488), 140.0 + r * std::sin(i * 0.4488)});
    }
    scene.add(makePolygon(spikes, 0xA0FF6020u, 0.0));
    scene.add(makePolygon(spikes, 0xFF20FF60u, 3.5));
    scene.add(makeRect(120.0, 10.0, 50.0, 30.0, 0xFFE05020u, 5.0, 30.0, 0.0));
    scene.add(makeLine(100.0, 195.0, 310.0, 120.0, 3.0, 0xFFFFFFFFu));
    // What no object lowers to yet: quads turned by a third of a right angle, solid and
    // textured with the picture; turned ellipses and rings; rounded boxes, turned or not,
    // filled or outlined; and a rectangle and a disc seen through.
    const AtlasRect place = pictures.pictureOf(own);
    FrameLoopProbe::afterLowering(app.frameLoop()) = [&](DrawList& list) {
        std::vector<Primitive> extra;
        const auto turned = [&](float x, float y, float w, float h, uint32_t color, bool textured) {
            const float c = std::cos(0.5236f);
            const float s = std::sin(0.5236f);
            Primitive& p = extra.emplace_back();
            p.p0[0] = x;
            p.p0[1] = y;
            p.p1[0] = x + w * c;
            p.p1[1] = y + w * s;
            p.p2[0] = x - h * s;
            p.p2[1] = y + h * c;
            p.color = color;
            p.kind = kPrimQuad | (textured ? kFlagTextured : 0u);
            const float sw = textured ? static_cast<float>(place.width) : 1.0f;
            const float sh = textured ? static_cast<float>(place.height) : 1.0f;
            p.source[0] = textured ? static_cast<float>(place.x) : 0.0f;
            p.source[1] = textured ? static_cast<float>(place.y) : 0.0f;
            p.source[2] = sw;
            p.source[3] = sh;
            // The inverse of the rotation, scaled into the source.
            p.inverse[0] = c * sw / w;
            p.inverse[1] = s * sw / w;
            p.inverse[2] = -s * sh / h;
            p.inverse[3] = c * sh / h;
        };
        turned(250.0f, 20.0f, 50.0f, 30.0f, 0xFF00A0F0u, false);
        turned(60.0f, 90.0f, 48.0f, 40.0f, 0xFFFFFFFFu, true);
        std::vector<PixelBox> hints(extra.size());
        // Ellipses about (cx, cy), turned; a ring `outline` wide when it is not 0.
        const auto ellipse = [&](float cx, float cy, float rx, float ry, float degrees, float outline, uint32_t color) {
            const float c = std::cos(degrees * 0.017453292f);
            const float s = std::sin(degrees * 0.017453292f);
            Primitive& p = extra.emplace_back();
            p.p0[0] = cx - rx * c + ry * s;
            p.p0[1] = cy - rx * s - ry * c;
            p.p1[0] = cx + rx * c + ry * s;
            p.p1[1] = cy + rx * s - ry * c;
            p.p2[0] = cx - rx * c - ry * s;
            p.p2[1] = cy - rx * s + ry * c;
            p.color = color;
            p.kind = kPrimDisc | (outline > 0.0f ? kFlagRing : 0u);
            p.source[0] = (rx - outline) / rx;
            p.source[1] = (ry - outline) / ry;
            p.inverse[0] = c / rx;
            p.inverse[1] = s / rx;
            p.inverse[2] = -s / ry;
            p.inverse[3] = c / ry;
            hints.push_back(color >> 24 == 0xFFu && outline == 0.0f ? insideOfEllipse(p) : PixelBox{});
        };
        // Rounded boxes from the corner (x, y), turned about it.
        const auto rounded = [&](float x, float y, float w, float h, float degrees, float radius, float outline,
                                 uint32_t color) {
            const float c = degrees == 0.0f ? 1.0f : std::cos(degrees * 0.017453292f);
            const float s = degrees == 0.0f ? 0.0f : std::sin(degrees * 0.017453292f);
            Primitive& p = extra.emplace_back();
            p.p0[0] = x;
            p.p0[1] = y;
            p.p1[0] = x + w * c;
            p.p1[1] = y + w * s;
            p.p2[0] = x - h * s;
            p.p2[1] = y + h * c;
            p.color = color;
            p.kind = kPrimRoundedBox | (degrees == 0.0f ? kFlagAxisAligned : 0u);
            p.source[0] = w;
            p.source[1] = h;
            p.source[2] = radius;
            p.source[3] = outline;
            p.inverse[0] = c / w;
            p.inverse[1] = s / w;
            p.inverse[2] = -s / h;
            p.inverse[3] = c / h;
            hints.push_back(color >> 24 == 0xFFu ? insideOfRoundedBox(p) : PixelBox{});
        };
        ellipse(120.0f, 75.0f, 30.0f, 12.0f, 35.0f, 0.0f, 0xFF3060F0u);
        ellipse(215.3f, 45.6f, 26.0f, 16.0f, 70.0f, 5.0f, 0xFFF0F040u);
        ellipse(60.0f, 30.0f, 20.0f, 35.0f, 20.0f, 0.0f, 0x90FF40A0u);
        ellipse(300.0f, 120.0f, 14.0f, 9.0f, 0.0f, 3.0f, 0xFF20E0E0u);
        rounded(175.5f, 150.25f, 60.0f, 35.0f, 0.0f, 12.0f, 0.0f, 0xFF8040C0u);
        rounded(240.0f, 60.0f, 50.0f, 30.0f, 25.0f, 10.0f, 0.0f, 0xFF40C040u);
        rounded(100.0f, 100.0f, 70.0f, 40.0f, 15.0f, 15.0f, 4.0f, 0xC0F08020u);
        rounded(95.5f, 5.5f, 40.0f, 25.0f, 0.0f, 30.0f, 3.0f, 0xFFFFFFFFu);  // the radius clamped
        rounded(270.0f, 150.0f, 40.0f, 40.0f, -10.0f, 3.0f, 6.0f, 0xFF2040FFu);
        for (const Primitive& p : list.primitives) {
            if (!p.has(kFlagTextured) && p.kindNumber() != kPrimTriangle) {
                Primitive& glass = extra.emplace_back(p);
                glass.color = (glass.color & 0x00FFFFFFu) | 0x80000000u;
                glass.p0[0] += 40.0f;  // moved across, half over what it copies
                glass.p1[0] += 40.0f;
                glass.p2[0] += 40.0f;
            }
        }
        hints.resize(extra.size());
        // On top of everything else, each ellipse or box hiding what is below its hint.
        list.primitives.insert(list.primitives.begin(), extra.begin(), extra.end());
        list.opaque.insert(list.opaque.begin(), hints.begin(), hints.end());
        list.shown.insert(list.shown.begin(), extra.size(), PixelBox{});
    };
    for (int i = 0; i < 3; ++i) {
        app.step(clock, true);
    }
    uint32_t width = 0;
    uint32_t height = 0;
    const std::vector<uint8_t> drawn = app.readPixels(width, height);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(width, 320u);
    ASSERT_EQ(height, 200u);

    // The picture's texels where the atlas holds them; glyphs are left out of the reference.
    const Image image = loadImageFile(star, 4096);
    ASSERT_EQ(app.pictures().pictureOf(scaled).x, place.x);
    DrawList list = app.frameLoop().lastDrawList();
    std::vector<Primitive> kept;
    for (const Primitive& p : list.primitives) {
        if (!p.has(kFlagTextured) || (p.source[0] == static_cast<float>(place.x) && p.source[1] == static_cast<float>(place.y))) {
            kept.push_back(p);
        }
    }
    ASSERT_EQ(list.size() - kept.size(), 3u);  // the three glyphs of "qel"
    list.primitives = kept;
    const auto texel = [&](uint32_t x, uint32_t y) {
        const uint8_t* t = image.rgba.data() + ((y - place.y) * image.width + (x - place.x)) * 4;
        return std::array<uint8_t, 4>{t[0], t[1], t[2], t[3]};
    };
    const std::vector<uint8_t> reference = referenceDraw(list, texel);

    size_t compared = 0;
    size_t textured = 0;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const double cx = x + 0.5;
            const double cy = y + 0.5;
            if (cx < 90.0 && cy > 140.0) {
                continue;  // the text
            }
            ++compared;
            const size_t at = (static_cast<size_t>(y) * width + x) * 4;
            const bool picture = blendsAt(list, cx, cy);
            textured += picture;
            int worst = 0;
            for (int c = 0; c < 4; ++c) {
                worst = std::max(worst, std::abs(int{drawn[at + c]} - int{reference[at + c]}));
            }
            // Blending is done in float (or in the 8-bit target) by the renderers and in double
            // here: two steps at most.
            if (worst > (picture ? 2 : 0) && edgeDistance(list, cx, cy) > kEdge) {
                ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << int{drawn[at]} << "," << int{drawn[at + 1]}
                              << "," << int{drawn[at + 2]} << " but the reference has " << int{reference[at]} << ","
                              << int{reference[at + 1]} << "," << int{reference[at + 2]};
                return;
            }
        }
    }
    EXPECT_GT(textured, 1500u);
    EXPECT_GT(compared, 50000u);
}

TEST(RendererReference, RasterMatchesTheReference) {
    compareWithReference(RendererChoice::Raster);
}

TEST(RendererReference, TilesMatchTheReference) {
    compareWithReference(RendererChoice::Tiles);
}

TEST(RendererReference, FramesFinishedOnTheWorkerMatchTheReference) {
    compareWithReference(RendererChoice::Tiles, true);
    compareWithReference(RendererChoice::Raster, true);
}

}  // namespace
}  // namespace orv
