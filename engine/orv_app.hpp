#pragma once
// The engine: it owns the window (none in the offscreen mode), the device, the texture atlas
// with its pictures and fonts, the renderer, the frame loop and the scene, and keeps them
// alive in the right order; it runs the frame step. Scene edits go to the scene; sprites and
// text to the picture objects; questions of what is where to picking.

#include <vulkan/vulkan.h>

#include <cstdint>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine_options.hpp"
#include "engine/frame_clock.hpp"
#include "engine/frame_loop.hpp"
#include "engine/picking.hpp"
#include "engine/picture_objects.hpp"
#include "platform/orv_window.hpp"
#include "render/picture_library.hpp"
#include "render/texture_atlas.hpp"
#include "platform/point2d.hpp"
#include "render/renderer.hpp"
#include "engine/scene.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/orv_queue.hpp"

namespace orv {

// Which renderer to use: the one that suits the device (tiles on a CPU driver, raster on
// a GPU), or the one named.
enum class RendererChoice { Auto, Raster, Tiles };

class OrvApp {
public:
    OrvApp(std::string dataDirectory, int width, int height, RendererChoice choice = RendererChoice::Auto,
           const EngineOptions& options = {});
    ~OrvApp();

    OrvApp(const OrvApp&) = delete;
    OrvApp& operator=(const OrvApp&) = delete;

    // Refuses options no engine could start with (a title with a NUL, an icon file that
    // cannot be read), before a running engine is replaced.
    static void checkOptions(const EngineOptions& options);

    // What the callback of `run` tells the loop after each frame.
    enum class Loop { Continue, Stop, Abandon };
    // Draws until the window is asked to close. `afterFrame` runs after every frame: Stop
    // ends the loop normally, Abandon ends it at once without touching the engine again (the
    // callback closed the window or replaced the engine), and whatever it throws ends it too.
    VkResult run(const std::function<Loop()>& afterFrame = {});
    // The frame step of poll (`paced` false: a frame at most every sixtieth of a second) and
    // of nextFrame (paced: the frame is due now, on the clock's schedule): reads the clock,
    // and for a frame to draw advances the scene by the frame's seconds and draws it.
    // Returns whether it drew.
    bool step(FrameClock& clock, bool paced);
    // The seconds since the previous drawn frame, as the latest step saw them (0 before any).
    double frameSeconds() const { return seconds; }

    // The window's events and state; without a window nothing happens, nothing asks to
    // close until the script closes it, and the cursor is nowhere.
    void pollEvents();
    bool shouldClose() const;
    bool isClosed() const;
    Point2D cursor();
    // Destroys the window ahead of the engine; the scene stays usable.
    void closeWindow();
    // The size the next frame is drawn at: the window's drawable area (which follows resizes
    // and full screen), or without a window the size init was given.
    VkExtent2D windowExtent() const;
    // The window's title, full screen and cursor; without a window they change nothing.
    void setTitle(const std::string& title);
    void setFullscreen(bool fullscreen);
    void setCursorVisible(bool visible);

    // The last frame drawn, as RGBA bytes, rows from the top. Throws when no frame was drawn
    // since the engine started or the swap chain was last replaced.
    std::vector<uint8_t> readPixels(uint32_t& width, uint32_t& height);

    // The objects, their edits and the camera; sprites and text, which need the atlas; and
    // what is where.
    Scene& scene() { return objects; }
    PictureObjects& pictures() { return pictureObjects; }
    Picking& picking() { return pick; }

    RendererKind rendererKind() const { return renderer->kind(); }
    FrameLoop& frameLoop() { return *loop; }
    // Waits for the present in flight and then for the device.
    VkResult waitIdle() noexcept;

private:
    std::unique_ptr<Renderer> makeRenderer(RendererChoice choice);

    // Advances the scene by `frameSeconds` and draws a frame.
    void drawFrame(double frameSeconds);

    int width;
    int height;
    Scene objects;
    double seconds = 0.0;
    std::string dataDirectory;
    std::unique_ptr<OrvWindow> window;
    OrvDevice device;
    OrvQueue queue;
    TextureAtlas atlas;
    PictureLibrary library;
    std::unique_ptr<Renderer> renderer;
    std::unique_ptr<FrameLoop> loop;
    bool offscreenClosed = false;
    PictureObjects pictureObjects;
    Picking pick;
};

}  // namespace orv
