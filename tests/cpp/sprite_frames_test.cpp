// A sprite's frames and pictures come from what the atlas holds: a frame of a picture already
// loaded uploads nothing, and a colour key makes a picture of its own.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "diagnostics/device_report.hpp"
#include "engine/orv_app.hpp"

namespace orv {
namespace {

TEST(SpriteFrames, FramesOfALoadedPictureUploadNothing) {
    deviceReport() = nullptr;
    testing::internal::CaptureStdout();
    EngineOptions options;
    options.offscreen = true;
    OrvApp app{QEL_DATA_DIR, 64, 64, RendererChoice::Tiles, options};
    FrameClock clock;
    const PictureSource star{std::string{QEL_SOURCE_DIR} + "/demo/star.png"};
    const uint32_t a = app.pictures().createSprite(0.0, 0.0, star, 0.0, 0.0, nullptr);
    app.step(clock, true);
    const uint64_t uploads = app.pictures().atlasUploads();
    const AtlasRect whole = app.pictures().pictureOf(a);

    const AtlasRect part{8, 8, 16, 8};
    const uint32_t b = app.pictures().createSprite(10.0, 10.0, star, 0.0, 0.0, &part);
    app.pictures().setFrame(a, AtlasRect{0, 16, 32, 16});
    app.pictures().setImage(b, star, nullptr);
    // Asked for all its frames, a still picture is the one already loaded.
    PictureSource frames = star;
    frames.allFrames = true;
    EXPECT_EQ(app.pictures().load(frames).rect.x, whole.x);
    app.step(clock, true);
    EXPECT_EQ(app.pictures().atlasUploads(), uploads);
    EXPECT_EQ(app.pictures().pictureOf(a).y, whole.y + 16);
    EXPECT_EQ(app.pictures().drawnSize(a), std::make_pair(32.0, 16.0));
    EXPECT_EQ(app.pictures().drawnSize(b), std::make_pair(32.0, 32.0));
    EXPECT_THROW(app.pictures().setFrame(a, AtlasRect{20, 0, 16, 16}), std::invalid_argument);
    EXPECT_EQ(app.pictures().pictureOf(a).height, 16u);  // unchanged by the refused frame

    PictureSource keyed = star;
    keyed.keyed = true;
    app.pictures().setImage(b, keyed, nullptr);
    EXPECT_EQ(app.pictures().atlasUploads(), uploads + 1);
    testing::internal::GetCapturedStdout();
}

}  // namespace
}  // namespace orv
