#pragma once
// The engine: it owns the window (none in the offscreen mode), the device, the texture atlas
// with its pictures and fonts, the renderer, the frame loop and the scene, and keeps them
// alive in the right order. Scene edits go to the scene; frames to the frame loop.

#include <vulkan/vulkan.h>

#include <cstdint>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/engine_options.hpp"
#include "engine/frame_loop.hpp"
#include "platform/orv_window.hpp"
#include "engine/pick_grid.hpp"
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

    // Refuses options no engine could start with (a title with a NUL, an icon file that
    // cannot be read), before a running engine is replaced.
    static void checkOptions(const EngineOptions& options);

    OrvApp(const OrvApp&) = delete;
    OrvApp& operator=(const OrvApp&) = delete;

    // What the callback of `run` tells the loop after each frame.
    enum class Loop { Continue, Stop, Abandon };
    // Draws until the window is asked to close. `afterFrame` runs after every frame: Stop
    // ends the loop normally, Abandon ends it at once without touching the engine again (the
    // callback closed the window or replaced the engine), and whatever it throws ends it too.
    VkResult run(const std::function<Loop()>& afterFrame = {});
    void drawFrame();

    void loadGameObjects();
    uint32_t createTri();
    uint32_t createRectangle(double x, double y, double sizeX, double sizeY, int32_t rgb);
    uint32_t createCircle(double x, double y, double radius, int32_t rgb);

    // Scene operations by identifier; unknown identifiers change nothing.
    void moveTo(uint32_t id, double x, double y);
    // 0xRRGGBB (bits 24 to 31 ignored), opaque.
    void updateColor(uint32_t id, int32_t rgb);
    // Colour and alpha packed RGBA, red in the low byte.
    void setColour(uint32_t id, uint32_t rgba);
    // Prints the hit test's report block for rectangles and circles.
    bool isInside(uint32_t id, const Point2D& point) const;

    // True when something had the identifier; it is gone from the next frame on.
    bool removeObject(uint32_t id);
    // A rectangle's extents along x and y, or a circle's radius (sizeX); triangles keep theirs.
    void resizeObject(uint32_t id, double sizeX, double sizeY);
    // Where a sprite's picture lies in the atlas (its size: the picture's own); empty for others.
    AtlasRect pictureOf(uint32_t id);
    void setLayer(uint32_t id, int32_t layer);
    // Hidden objects stay in the scene, neither drawn nor hit (GameObject::hidden).
    void setVisible(uint32_t id, bool visible);
    // The object's record as it is now (place, colour, layer, hidden), or null when `id`
    // names nothing: removed, or made by an engine since replaced.
    const GameObject* object(uint32_t id) const { return scene.find(id); }
    // The identifier of the topmost object (layers, then creation order) whose hit test
    // holds the point, or -1. Prints nothing.
    int64_t objectAt(const Point2D& point);
    // Collisions by drawn shape (engine/object_shape.hpp). Whether the two objects share area;
    // with `mask`, pictures count only their texels of alpha 128 or more. False when either
    // identifier names nothing.
    bool collides(uint32_t a, uint32_t b, bool mask);
    // The objects sharing area with the object, topmost first, not itself; none when unknown.
    std::vector<uint32_t> overlapping(uint32_t id, bool mask);
    // The objects whose shapes meet the rectangle in window pixels (edges included), topmost first.
    std::vector<uint32_t> objectsIn(double x, double y, double w, double h);

    // moveTo and updateColor for many objects; unknown identifiers are skipped.
    void moveMany(const uint32_t* ids, const double* xs, const double* ys, size_t count);
    void updateColors(const uint32_t* ids, const int32_t* colours, size_t count);
    void setColours(const uint32_t* ids, const uint32_t* rgba, size_t count);
    // What frames show where nothing is drawn, packed RGBA; always opaque (alpha is ignored).
    void setBackground(uint32_t rgba);

    // A picture file drawn with its top-left corner at (x, y), `width` by `height` pixels
    // (0: the picture's own). A file is decoded and uploaded once, whatever uses it.
    uint32_t createSprite(double x, double y, const std::string& path, double width, double height);
    // Sprites' pictures, frames and looks (engine/sprite_pictures.cpp). `frame` is a part of the
    // picture in its texels (null: the whole picture); one outside it is std::invalid_argument.
    uint32_t createSprite(double x, double y, const PictureSource& source, double width, double height,
                          const AtlasRect* frame);
    // Another picture (and frame) for a sprite: same identifier, layer and place, drawn at its
    // own size along each axis the script gave no size for.
    void setImage(uint32_t id, const PictureSource& source, const AtlasRect* frame);
    void setFrame(uint32_t id, const AtlasRect& frame);
    // The picture of `source` as sheets see it (its frames and delays), loaded if need be.
    const PictureLibrary::Picture& loadPicture(const PictureSource& source);
    // A sprite's record, or null when `id` names no sprite.
    const GameObject* sprite(uint32_t id) const;
    // Changes a sprite's record (its look, angle, asked size); false when `id` names no sprite.
    template <typename Edit>
    bool editSprite(uint32_t id, Edit&& edit) {
        GameObject* object = scene.find(id);
        if (object == nullptr || object->kind != ObjectKind::Sprite) {
            return false;
        }
        edit(*object);
        scene.touch();
        return true;
    }
    // How many pictures and glyphs the atlas has queued for upload, ever.
    uint64_t atlasUploads() const { return atlas.uploadsQueued(); }

    // Text (UTF-8) with its top-left corner at (x, y), `size` pixels high, coloured packed RGBA,
    // in a font file (empty: DejaVu Sans).
    uint32_t createText(double x, double y, const std::string& text, double size, uint32_t rgba,
                        const std::string& fontPath);
    // Lays a text object's text out anew; other objects are left alone.
    void setText(uint32_t id, const std::string& text);
    // Lays a text object's text (UTF-8) out anew at `size` pixels high, in its own font.
    void setTextSize(uint32_t id, const std::string& text, double size);
    // The drawn size of a sprite or text, or (0, 0) for anything else.
    std::pair<double, double> drawnSize(uint32_t id) const;

    // Lines, polygons, outlines and turned shapes, coloured packed RGBA. Widths and outlines
    // are pixels (an outline 0: filled); angles degrees, clockwise as seen. Values that are
    // not finite, negative widths and polygons that cannot be drawn are refused with
    // std::invalid_argument.
    uint32_t createLine(double x1, double y1, double x2, double y2, double width, uint32_t rgba);
    uint32_t createPolygon(std::vector<Point2D> points, uint32_t rgba, double outline);
    uint32_t createRect(double x, double y, double width, double height, uint32_t rgba, double outline,
                        double angle);
    uint32_t createDisc(double x, double y, double radius, uint32_t rgba, double outline);
    // A rectangle turns about its centre, a polygon about its centroid, a line about its middle.
    void setAngle(uint32_t id, double degrees);
    // A rectangle's, circle's or polygon's outline, or a line's width.
    void setOutline(uint32_t id, double width);
    void setLineEnds(uint32_t id, double x1, double y1, double x2, double y2);
    // New points for a polygon, where it is drawn: cut into triangles again, its offset back
    // to (0, 0), its turn kept.
    void setPolygonPoints(uint32_t id, std::vector<Point2D> points);

    // The last frame drawn, as RGBA bytes, rows from the top. Throws when no frame was drawn
    // since the engine started or the swap chain was last replaced.
    std::vector<uint8_t> readPixels(uint32_t& width, uint32_t& height);

    // Destroys the window ahead of the engine; the scene stays usable.
    void closeWindow();

    // The window's events and state; without a window nothing happens, nothing asks to
    // close until the script closes it, and the cursor is nowhere.
    void pollEvents();
    bool shouldClose() const;
    bool isClosed() const;
    Point2D cursor();
    bool isOffscreen() const { return !window; }

    // The size the next frame is drawn at: the window's drawable area (which follows resizes
    // and full screen), or without a window the size init was given.
    VkExtent2D windowExtent() const;
    // The window's title, full screen and cursor; without a window they change nothing.
    void setTitle(const std::string& title);
    void setFullscreen(bool fullscreen);
    void setCursorVisible(bool visible);

    // The camera and the layers it leaves alone.
    View& view() { return scene.view; }

    RendererKind rendererKind() const { return renderer->kind(); }
    FrameLoop& frameLoop() { return *loop; }
    // The size of the latest recorded frame; zero before the first.
    VkExtent2D drawnExtent() const { return loop->drawnExtent(); }
    // Waits for the present in flight and then for the device.
    VkResult waitIdle() noexcept;

    double frameTime = 0.0;

    // Text larger than this would fill the atlas with a handful of glyphs; below a pixel the
    // font's sizes round to nothing and its metrics stop making sense.
    static constexpr double kMinTextSize = 1.0;
    static constexpr double kMaxTextSize = 1000.0;

private:
    std::unique_ptr<Renderer> makeRenderer(RendererChoice choice);

    int width;
    int height;
    Scene scene;
    std::string dataDirectory;
    std::unique_ptr<OrvWindow> window;
    OrvDevice device;
    OrvQueue queue;
    TextureAtlas atlas;
    PictureLibrary library;
    std::unique_ptr<Renderer> renderer;
    std::unique_ptr<FrameLoop> loop;
    bool offscreenClosed = false;
    PickGrid pickGrid;
    // Scratch for collision shapes.
    DrawList shapeScratch;
    std::vector<Piece> shapeA;
    std::vector<Piece> shapeB;
    // setText lays text out here first; it then holds the replaced layout, whose storage the
    // next setText reuses.
    TextLayout spareLayout;
};

}  // namespace orv
