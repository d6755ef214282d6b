#include "engine/orv_app.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <iostream>
#include <optional>
#include <stdexcept>

#include "engine/object_shape.hpp"
#include "engine/shape_geometry.hpp"
#include "input/input_callbacks.hpp"
#include "input/input_state.hpp"
#include "engine/window_icon.hpp"
#include "platform/window_system_guard.hpp"
#include "render/draw_list.hpp"
#include "render/image_file.hpp"
#include "render/opaque_region.hpp"
#include "render/raster/raster_renderer.hpp"
#include "render/tiles/tiles_renderer.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

uint32_t maxImageSide(const OrvDevice& device) {
    VkPhysicalDeviceProperties properties;
    vkGetPhysicalDeviceProperties(device.getPhysicalDevice(), &properties);
    return properties.limits.maxImageDimension2D;
}

// The window init asks for, with its icon; none in the offscreen mode. The icon file is read
// first, so a bad one is refused before a window appears, in either mode.
std::unique_ptr<OrvWindow> openWindow(int width, int height, const EngineOptions& options) {
    std::optional<Image> icon;
    if (!options.iconPath.empty()) {
        icon = loadWindowIcon(options.iconPath);
    }
    if (options.offscreen) {
        return nullptr;
    }
    auto window = std::make_unique<OrvWindow>(width, height, options.window);
    if (icon) {
        window->setIcon(static_cast<int>(icon->width), static_cast<int>(icon->height), icon->rgba.data());
    }
    return window;
}

void paint(GameObject& object, uint32_t rgba) {
    object.color = {colorComponent(rgba, 0), colorComponent(rgba, 1), colorComponent(rgba, 2)};
    object.alpha = static_cast<uint8_t>(rgba >> 24);
}

void paintOpaque(GameObject& object, int32_t rgb) {
    object.color = unpackColor(rgb);
    object.alpha = 255;
}

std::optional<SurfaceRequest> surfaceRequestOf(OrvWindow* window) {
    if (window == nullptr) {
        return std::nullopt;
    }
    return window->surfaceRequest();
}

}  // namespace

OrvApp::OrvApp(std::string directory, int w, int h, RendererChoice choice, const EngineOptions& options)
    : width{w},
      height{h},
      dataDirectory{std::move(directory)},
      window{openWindow(width, height, options)},
      device{surfaceRequestOf(window.get())},
      queue{device.getDevice(), device.getGraphicsQueue(), device.getPresentQueue()},
      atlas{device, queue},
      library{atlas, maxImageSide(device)} {
    // Keys held or events injected for an earlier window do not belong to this one.
    inputState().reset();
    scene.background = options.background;
    // A full-screen window has the monitor's size, whatever init asked for.
    if (window) {
        width = static_cast<int>(window->extent().width);
        height = static_cast<int>(window->extent().height);
    }
    renderer = makeRenderer(choice);
    loop = std::make_unique<FrameLoop>(device, queue, window.get(),
                                       VkExtent2D{static_cast<uint32_t>(width), static_cast<uint32_t>(height)},
                                       *renderer, atlas, scene, options.vsync);
}

void OrvApp::checkOptions(const EngineOptions& options) {
    OrvWindow::checkTitle(options.window.title);
    if (!options.iconPath.empty()) {
        (void)loadWindowIcon(options.iconPath);
    }
}

OrvApp::~OrvApp() {
    loop.reset();
    waitIdle();
    renderer.reset();
}

std::unique_ptr<Renderer> OrvApp::makeRenderer(RendererChoice choice) {
    if (choice == RendererChoice::Auto) {
        VkPhysicalDeviceProperties properties;
        vkGetPhysicalDeviceProperties(device.getPhysicalDevice(), &properties);
        choice = properties.deviceType == VK_PHYSICAL_DEVICE_TYPE_CPU ? RendererChoice::Tiles : RendererChoice::Raster;
    }
    if (choice == RendererChoice::Tiles) {
        return std::make_unique<TilesRenderer>(device, dataDirectory, atlas);
    }
    return std::make_unique<RasterRenderer>(device, dataDirectory, atlas);
}

VkResult OrvApp::run(const std::function<Loop()>& afterFrame) {
    try {
        while (!shouldClose()) {
            pollEvents();
            drawFrame();
            const Loop next = afterFrame ? afterFrame() : Loop::Continue;
            if (next == Loop::Abandon) {
                return VK_SUCCESS;
            }
            if (next == Loop::Stop) {
                break;
            }
        }
    } catch (...) {
        waitIdle();
        throw;
    }
    // A window destroyed by another program reads as closed; a lost display is an error.
    if (window && windowSystemLost()) {
        waitIdle();
        window->throwIfGone();
    }
    return waitIdle();
}

VkResult OrvApp::waitIdle() noexcept {
    // A frame the worker is finishing submits yet.
    if (loop) {
        loop->settleHandedFrame();
    }
    return queue.waitIdle();
}

void OrvApp::drawFrame() {
    // What happened since the last frame is what the script sees until the next one.
    inputState().endFrame();
    loop->drawFrame();
}

void OrvApp::pollEvents() {
    if (window) {
        window->pollEvents();
    }
    deliverInjectedEvents();
}

bool OrvApp::shouldClose() const {
    // Without a window nothing asks to close: the loop ends when the script closes it.
    return window ? window->shouldClose() : offscreenClosed;
}

bool OrvApp::isClosed() const {
    return window ? window->isClosed() : offscreenClosed;
}

Point2D OrvApp::cursor() {
    const InputState& input = inputState();
    if (input.cursorInjected && !isClosed()) {
        // As the window reports it: over the drawing area or nowhere.
        const VkExtent2D drawn = loop->drawnExtent();
        const double w = drawn.width != 0 ? drawn.width : width;
        const double h = drawn.width != 0 ? drawn.height : height;
        const bool over = input.cursorX >= 0.0 && input.cursorY >= 0.0 && input.cursorX < w && input.cursorY < h;
        return over ? Point2D{input.cursorX, input.cursorY} : Point2D{-1.0, -1.0};
    }
    return window ? window->cursor() : Point2D{-1.0, -1.0};
}

VkExtent2D OrvApp::windowExtent() const {
    if (window && !window->isClosed()) {
        return window->extent();
    }
    return {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
}

void OrvApp::setTitle(const std::string& title) {
    OrvWindow::checkTitle(title);
    if (window) {
        window->setTitle(title);
    }
}

void OrvApp::setFullscreen(bool fullscreen) {
    if (window) {
        window->setFullscreen(fullscreen);
    }
}

void OrvApp::setCursorVisible(bool visible) {
    if (window) {
        window->setCursorVisible(visible);
    }
}

void OrvApp::loadGameObjects() {
    GameObject object;
    object.kind = ObjectKind::Triangle;
    object.triangle = TriangleModel::Demo;
    object.color = {0.1f, 0.8f, 0.1f};
    scene.add(object);
}

uint32_t OrvApp::createTri() {
    GameObject object;
    object.kind = ObjectKind::Triangle;
    object.triangle = TriangleModel::Full;
    object.color = {0.9f, 0.8f, 0.1f};
    return scene.add(object);
}

uint32_t OrvApp::createRectangle(double x, double y, double sizeX, double sizeY, int32_t rgb) {
    GameObject object;
    object.kind = ObjectKind::Rectangle;
    object.x = x;
    object.y = y;
    object.sizeX = sizeX;
    object.sizeY = sizeY;
    object.color = unpackColor(rgb);
    return scene.add(object);
}

uint32_t OrvApp::createCircle(double x, double y, double radius, int32_t rgb) {
    GameObject object;
    object.kind = ObjectKind::Circle;
    object.x = x;
    object.y = y;
    object.sizeX = radius;
    object.color = unpackColor(rgb);
    return scene.add(object);
}

void OrvApp::moveTo(uint32_t id, double x, double y) {
    GameObject* object = scene.find(id);
    // Triangles stay where they are.
    if (object != nullptr && object->kind != ObjectKind::Triangle) {
        object->x = x;
        object->y = y;
        scene.touch();
    }
}

void OrvApp::updateColor(uint32_t id, int32_t rgb) {
    if (GameObject* object = scene.find(id)) {
        paintOpaque(*object, rgb);
    }
}

void OrvApp::setColour(uint32_t id, uint32_t rgba) {
    if (GameObject* object = scene.find(id)) {
        paint(*object, rgba);
    }
}

void OrvApp::setBackground(uint32_t rgba) {
    scene.background = rgba | 0xFF000000u;
}

bool OrvApp::removeObject(uint32_t id) {
    library.forget(id);
    return scene.remove(id);
}

void OrvApp::resizeObject(uint32_t id, double sizeX, double sizeY) {
    GameObject* object = scene.find(id);
    // Triangles keep their size; a text's follows its text.
    if (object != nullptr && object->kind != ObjectKind::Triangle && object->kind != ObjectKind::Text) {
        object->sizeX = sizeX;
        object->sizeY = object->kind == ObjectKind::Circle ? 0.0 : sizeY;
        scene.touch();
    }
}

AtlasRect OrvApp::pictureOf(uint32_t id) {
    const GameObject* object = scene.find(id);
    return object != nullptr && object->kind == ObjectKind::Sprite ? object->picture : AtlasRect{};
}

void OrvApp::setVisible(uint32_t id, bool visible) {
    if (GameObject* object = scene.find(id)) {
        object->hidden = !visible;
        scene.touch();
    }
}

void OrvApp::setLayer(uint32_t id, int32_t layer) {
    if (GameObject* object = scene.find(id)) {
        scene.setLayer(*object, layer);
    }
}

int64_t OrvApp::objectAt(const Point2D& point) {
    pickGrid.update(scene, scene.version());
    return pickGrid.find(scene, point);
}

bool OrvApp::collides(uint32_t a, uint32_t b, bool mask) {
    const GameObject* first = scene.find(a);
    const GameObject* second = scene.find(b);
    if (first == nullptr || second == nullptr || first->hidden || second->hidden) {
        return false;
    }
    shapeA.clear();
    shapeB.clear();
    shapeOf(scene, *first, mask, shapeA, shapeScratch);
    shapeOf(scene, *second, mask, shapeB, shapeScratch);
    // A fixed layer's shape is taken into the world when the other is there.
    const View& view = scene.view;
    if (!view.camera.isDefault() && view.isFixed(first->layer) != view.isFixed(second->layer)) {
        std::vector<Piece>& fixed = view.isFixed(first->layer) ? shapeA : shapeB;
        for (Piece& piece : fixed) {
            piece = seenThrough(piece, view.camera, false);
        }
    }
    const AlphaMask* alpha = mask ? &atlas.alpha() : nullptr;
    for (const Piece& p : shapeA) {
        for (const Piece& q : shapeB) {
            if (overlaps(p, q, alpha)) {
                return true;
            }
        }
    }
    return false;
}

std::vector<uint32_t> OrvApp::overlapping(uint32_t id, bool mask) {
    std::vector<uint32_t> ids;
    const GameObject* object = scene.find(id);
    if (object == nullptr || object->hidden) {
        return ids;
    }
    pickGrid.update(scene, scene.version());
    std::vector<Piece> region;
    shapeOf(scene, *object, false, region, shapeScratch);
    pickGrid.meeting(scene, region, scene.view.isFixed(object->layer), Contact::Area, id, ids);
    if (mask) {
        // Texels lie within their quads: the boxes' answers are the candidates.
        ids.erase(std::remove_if(ids.begin(), ids.end(), [&](uint32_t other) { return !collides(id, other, true); }),
                  ids.end());
    }
    return ids;
}

std::vector<uint32_t> OrvApp::objectsIn(double x, double y, double w, double h) {
    std::vector<uint32_t> ids;
    pickGrid.update(scene, scene.version());
    pickGrid.meeting(scene, {Piece::box(x, y, x + w, y + h)}, true, Contact::Touching, -1, ids);
    return ids;
}

void OrvApp::moveMany(const uint32_t* ids, const double* xs, const double* ys, size_t count) {
    scene.forEachFound(ids, count, [&](GameObject& object, size_t i) {
        // Triangles stay where they are.
        if (object.kind != ObjectKind::Triangle) {
            object.x = xs[i];
            object.y = ys[i];
        }
    });
    scene.touch();
}

void OrvApp::updateColors(const uint32_t* ids, const int32_t* colours, size_t count) {
    scene.forEachFound(ids, count, [&](GameObject& object, size_t i) { paintOpaque(object, colours[i]); });
}

void OrvApp::setColours(const uint32_t* ids, const uint32_t* rgba, size_t count) {
    scene.forEachFound(ids, count, [&](GameObject& object, size_t i) { paint(object, rgba[i]); });
}

namespace {

void requireFinite(std::initializer_list<double> values, const char* what) {
    for (const double v : values) {
        if (!std::isfinite(v)) {
            throw std::invalid_argument(std::string(what) + " must be finite numbers");
        }
    }
}

void requireWidth(double width, const char* what) {
    if (!(width >= 0.0) || !std::isfinite(width)) {
        throw std::invalid_argument(std::string(what) + " must be a finite number of pixels, 0 or more");
    }
}

}  // namespace

uint32_t OrvApp::createLine(double x1, double y1, double x2, double y2, double lineWidth, uint32_t rgba) {
    requireFinite({x1, y1, x2, y2}, "a line's ends");
    requireWidth(lineWidth, "a line's width");
    GameObject object;
    object.kind = ObjectKind::Line;
    object.x = x1;
    object.y = y1;
    object.sizeX = x2 - x1;
    object.sizeY = y2 - y1;
    object.stroke = lineWidth;
    paint(object, rgba);
    return scene.add(object);
}

uint32_t OrvApp::createPolygon(std::vector<Point2D> points, uint32_t rgba, double outline) {
    requireWidth(outline, "an outline");
    PolygonShape shape = makePolygonShape(std::move(points));
    GameObject object;
    object.kind = ObjectKind::Polygon;
    object.stroke = outline;
    paint(object, rgba);
    const uint32_t id = scene.add(object);
    scene.setPolygon(id, std::move(shape));
    return id;
}

uint32_t OrvApp::createRect(double x, double y, double w, double h, uint32_t rgba, double outline, double angle) {
    requireFinite({x, y, w, h}, "a rectangle's place and size");
    requireFinite({angle}, "an angle");
    requireWidth(outline, "an outline");
    GameObject object;
    object.kind = ObjectKind::Rectangle;
    object.x = x;
    object.y = y;
    object.sizeX = w;
    object.sizeY = h;
    object.stroke = outline;
    object.angle = angle;
    paint(object, rgba);
    return scene.add(object);
}

uint32_t OrvApp::createDisc(double x, double y, double radius, uint32_t rgba, double outline) {
    requireFinite({x, y}, "a disc's centre");
    requireWidth(radius, "a radius");
    requireWidth(outline, "an outline");
    GameObject object;
    object.kind = ObjectKind::Circle;
    object.x = x;
    object.y = y;
    object.sizeX = radius;
    object.stroke = outline;
    paint(object, rgba);
    return scene.add(object);
}

void OrvApp::setAngle(uint32_t id, double degrees) {
    requireFinite({degrees}, "an angle");
    if (GameObject* object = scene.find(id)) {
        object->angle = degrees;
        scene.touch();
    }
}

void OrvApp::setOutline(uint32_t id, double outline) {
    requireWidth(outline, "an outline");
    if (GameObject* object = scene.find(id)) {
        object->stroke = outline;
        scene.touch();
    }
}

void OrvApp::setLineEnds(uint32_t id, double x1, double y1, double x2, double y2) {
    requireFinite({x1, y1, x2, y2}, "a line's ends");
    GameObject* object = scene.find(id);
    if (object != nullptr && object->kind == ObjectKind::Line) {
        object->x = x1;
        object->y = y1;
        object->sizeX = x2 - x1;
        object->sizeY = y2 - y1;
        scene.touch();
    }
}

void OrvApp::setPolygonPoints(uint32_t id, std::vector<Point2D> points) {
    PolygonShape shape = makePolygonShape(std::move(points));
    GameObject* object = scene.find(id);
    if (object != nullptr && object->kind == ObjectKind::Polygon) {
        object->x = 0.0;
        object->y = 0.0;
        scene.setPolygon(id, std::move(shape));
    }
}

std::vector<uint8_t> OrvApp::readPixels(uint32_t& w, uint32_t& h) {
    if (isClosed()) {
        throw std::runtime_error("no frame to read: the window is closed");
    }
    return loop->readPixels(w, h);
}

uint32_t OrvApp::createSprite(double x, double y, const std::string& path, double w, double h) {
    return createSprite(x, y, PictureSource{path}, w, h, nullptr);
}

uint32_t OrvApp::createText(double x, double y, const std::string& text, double size, uint32_t rgba,
                            const std::string& fontPath) {
    if (!(size >= kMinTextSize) || !(size <= kMaxTextSize)) {
        throw std::invalid_argument("a text's size must be from " + std::to_string(int(kMinTextSize)) + " to " +
                                    std::to_string(int(kMaxTextSize)) + " pixels");
    }
    TextLayout layout;
    // Laid out under the identifier the text is about to take.
    const uint32_t id = upcomingObjectId();
    library.layOut(id, fontPath, size, text, layout);
    GameObject object;
    object.kind = ObjectKind::Text;
    object.x = x;
    object.y = y;
    object.sizeX = layout.width;
    object.sizeY = layout.height;
    paint(object, rgba);
    scene.add(object);
    scene.editText(id) = std::move(layout);
    return id;
}

void OrvApp::setText(uint32_t id, const std::string& text) {
    const GameObject* object = scene.find(id);
    if (object == nullptr || object->kind != ObjectKind::Text) {
        return;
    }
    // Laid out aside: text that cannot be laid out leaves the old text drawn.
    if (library.layOutAgain(id, text, spareLayout)) {
        TextLayout& layout = scene.editText(id);
        std::swap(layout, spareLayout);
        GameObject* laidOut = scene.find(id);
        laidOut->sizeX = layout.width;
        laidOut->sizeY = layout.height;
    }
}

void OrvApp::setTextSize(uint32_t id, const std::string& text, double size) {
    if (!(size >= kMinTextSize) || !(size <= kMaxTextSize)) {
        throw std::invalid_argument("a text's size must be from " + std::to_string(int(kMinTextSize)) + " to " +
                                    std::to_string(int(kMaxTextSize)) + " pixels");
    }
    const GameObject* object = scene.find(id);
    if (object == nullptr || object->kind != ObjectKind::Text) {
        return;
    }
    // Laid out aside, as setText does: a size that fails leaves the old text drawn.
    if (library.layOutAtSize(id, size, text, spareLayout)) {
        TextLayout& layout = scene.editText(id);
        std::swap(layout, spareLayout);
        GameObject* laidOut = scene.find(id);
        laidOut->sizeX = layout.width;
        laidOut->sizeY = layout.height;
    }
}

std::pair<double, double> OrvApp::drawnSize(uint32_t id) const {
    const GameObject* object = scene.find(id);
    if (object == nullptr || (object->kind != ObjectKind::Sprite && object->kind != ObjectKind::Text)) {
        return {0.0, 0.0};
    }
    return {object->sizeX, object->sizeY};
}

bool OrvApp::isInside(uint32_t id, const Point2D& point) const {
    const GameObject* object = scene.find(id);
    if (object == nullptr) {
        return false;
    }
    if (!hitByArea(*object)) {
        // Turned and newer kinds: inside one of the pieces it is drawn as, with no report.
        std::vector<Piece> pieces;
        DrawList scratch;
        shapeOf(scene, *object, false, pieces, scratch);
        return shapeHolds(*object, pieces.data(), pieces.size(), point);
    }
    const bool inside = hitsReporting(hitAreaOf(*object), point, std::cout);
    std::cout.flush();
    return inside;
}

void OrvApp::closeWindow() {
    if (isClosed()) {
        return;
    }
    // The swap chain's images live on the window system's connection, which closing
    // ends; release them first.
    loop->releaseTarget();
    if (window) {
        window->close();
    } else {
        offscreenClosed = true;
    }
}

}  // namespace orv
