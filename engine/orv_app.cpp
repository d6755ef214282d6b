#include "engine/orv_app.hpp"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <stdexcept>

#include "render/image_file.hpp"
#include "render/opaque_region.hpp"
#include "render/raster/raster_renderer.hpp"
#include "engine/shape_geometry.hpp"
#include "render/tiles/tiles_renderer.hpp"
#include "platform/window_system_guard.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

// How far ahead the batch calls prefetch the identifiers they will look up.
constexpr size_t kLookAhead = 32;

}  // namespace

OrvApp::OrvApp(std::string directory, int w, int h, RendererChoice choice)
    : width{w},
      height{h},
      dataDirectory{std::move(directory)},
      window{width, height, "Qel Demo"},
      device{window.surfaceRequest()},
      queue{device.getDevice(), device.getGraphicsQueue(), device.getPresentQueue()},
      frames{device},
      atlas{device, queue},
      glyphCache{atlas} {
    try {
        renderer = makeRenderer(choice);
        rebuildSwapChain();
    } catch (...) {
        release();
        throw;
    }
}

OrvApp::~OrvApp() {
    release();
}

void OrvApp::release() noexcept {
    waitIdle();
    renderer.reset();
    swapChain.reset();
}

std::unique_ptr<Renderer> OrvApp::makeRenderer(RendererChoice choice) {
    if (choice == RendererChoice::Auto) {
        VkPhysicalDeviceProperties properties;
        vkGetPhysicalDeviceProperties(device.getPhysicalDevice(), &properties);
        choice = properties.deviceType == VK_PHYSICAL_DEVICE_TYPE_CPU ? RendererChoice::Tiles : RendererChoice::Raster;
    }
    if (choice == RendererChoice::Tiles) {
        return std::make_unique<TilesRenderer>(device, dataDirectory, frames, atlas);
    }
    return std::make_unique<RasterRenderer>(device, dataDirectory, atlas);
}

void OrvApp::rebuildSwapChain() {
    VkExtent2D extent = window.extent();
    while (extent.width == 0 || extent.height == 0) {
        extent = window.extent();
        window.waitEvents();
    }
    waitIdle();

    // Stays set if anything below fails, so the next frame tries again; the current swap
    // chain is replaced only by a complete new one.
    needsRebuild = true;
    readableFrame = nullptr;
    auto next = std::make_unique<OrvSwapChain>(device, device.getSurface(), window.framebufferExtent(),
                                               renderer->imageUsage(), swapChain.get());
    swapChain = std::move(next);
    needsRebuild = false;
    renderer->useSwapChain(*swapChain);
}

VkResult OrvApp::run(const std::function<Loop()>& afterFrame) {
    try {
        while (!window.shouldClose()) {
            window.pollEvents();
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
    if (windowSystemLost()) {
        waitIdle();
        window.throwIfGone();
    }
    return waitIdle();
}

VkResult OrvApp::waitIdle() noexcept {
    return queue.waitIdle();
}

void OrvApp::drawFrame() {
    window.throwIfGone();
    FrameData& frame = frames.current();
    if (frame.inFlight == VK_NULL_HANDLE || frame.imageAvailable == VK_NULL_HANDLE) {
        // Renewing it after a failed submit failed too.
        waitIdle();
        frames.renew(frame);
    }
    // The frame's uploads are written while the previous frame is still being presented;
    // they need the slot, not the image.
    swapChain->waitForFrame(frame.inFlight);
    scene.advanceTriangles();
    bool prepared = false;
    if (!needsRebuild) {
        prepareFrame(frame);
        prepared = true;
    }

    // The previous frame's present ends here; a window that changed size since gets a new
    // swap chain before this frame is drawn.
    const VkResult presented = queue.takePresentResult();
    if (needsRebuild || presented == VK_ERROR_OUT_OF_DATE_KHR || presented == VK_SUBOPTIMAL_KHR ||
        window.isResized()) {
        window.clearResized();
        rebuildSwapChain();
        prepared = false;
    } else if (presented != VK_SUCCESS) {
        scene.retractTriangles();
        throw vkError("failed to present swap chain image!", presented);
    }

    uint32_t imageIndex = 0;
    const VkResult acquired = swapChain->acquireNextImage(queue, frame.inFlight, frame.imageAvailable, &imageIndex);
    if (acquired == VK_ERROR_OUT_OF_DATE_KHR) {
        scene.retractTriangles();
        rebuildSwapChain();
        return;
    }
    if (acquired != VK_SUCCESS && acquired != VK_SUBOPTIMAL_KHR) {
        scene.retractTriangles();
        throw vkError("failed to acquire swap chain image!", acquired);
    }
    VkResult submitted = VK_SUCCESS;
    try {
        if (!prepared) {
            prepareFrame(frame);
        }
        atlas.stage(frame.atlasStaging, frame.atlasCopies);
        recordFrame(frame, imageIndex);
        submitted = swapChain->submitCommandBuffers(queue, frame.commandBuffer, frame.inFlight, frame.imageAvailable,
                                                    renderer->imageWaitStage(), imageIndex);
    } catch (...) {
        recoverAbandonedFrame();
        throw;
    }
    if (submitted != VK_SUCCESS) {
        recoverAbandonedFrame();
        throw vkError("failed to submit draw command buffer!", submitted);
    }
    atlas.uploaded();
    readableFrame = &frame;
    frames.advance();
}

void OrvApp::prepareFrame(FrameData& frame) {
    // The renderer's record of the last frame is about to be replaced.
    readableFrame = nullptr;
    try {
        renderer->prepare(frame, *swapChain, scene);
    } catch (...) {
        scene.retractTriangles();
        throw;
    }
}

void OrvApp::recordFrame(FrameData& frame, uint32_t imageIndex) {
    VkCommandBufferBeginInfo beginInfo{};
    beginInfo.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO;
    beginInfo.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
    vkCheck(vkBeginCommandBuffer(frame.commandBuffer, &beginInfo), "failed to begin recording command buffer!");
    atlas.recordUploads(frame.commandBuffer, frame.atlasStaging, frame.atlasCopies);
    renderer->record(frame, *swapChain, imageIndex, scene);
    vkCheck(vkEndCommandBuffer(frame.commandBuffer), "failed to record command buffer!");
    lastExtent = swapChain->getSwapChainExtent();
}

void OrvApp::recoverAbandonedFrame() noexcept {
    // Only a new swap chain gives the acquired image back.
    needsRebuild = true;
    waitIdle();
    try {
        frames.renew(frames.current());
    } catch (...) {
        // Left without a fence: the next frame tries again.
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
        object->color = unpackColor(rgb);
    }
}

bool OrvApp::removeObject(uint32_t id) {
    textStyles.erase(id);
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

void OrvApp::setLayer(uint32_t id, int32_t layer) {
    if (GameObject* object = scene.find(id)) {
        scene.setLayer(*object, layer);
    }
}

int64_t OrvApp::objectAt(const Point2D& point) {
    const VkExtent2D extent = lastExtent.width != 0 ? lastExtent : VkExtent2D{static_cast<uint32_t>(width),
                                                                               static_cast<uint32_t>(height)};
    return pickGrid.find(scene, scene.version(), extent.width, extent.height, point);
}

void OrvApp::moveMany(const uint32_t* ids, const double* xs, const double* ys, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (i + kLookAhead < count) {
            scene.prefetch(ids[i + kLookAhead]);
        }
        GameObject* object = scene.find(ids[i]);
        if (object != nullptr && object->kind != ObjectKind::Triangle) {
            object->x = xs[i];
            object->y = ys[i];
        }
    }
    scene.touch();
}

void OrvApp::updateColors(const uint32_t* ids, const int32_t* colours, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (i + kLookAhead < count) {
            scene.prefetch(ids[i + kLookAhead]);
        }
        if (GameObject* object = scene.find(ids[i])) {
            object->color = unpackColor(colours[i]);
        }
    }
}

std::vector<uint8_t> OrvApp::readPixels(uint32_t& w, uint32_t& h) {
    if (window.isClosed()) {
        throw std::runtime_error("no frame to read: the window is closed");
    }
    if (readableFrame == nullptr || !swapChain) {
        throw std::runtime_error("no frame to read: none was drawn since the window was opened or resized "
                                 "(call qel.poll() first)");
    }
    waitIdle();
    const VkExtent2D extent = swapChain->getSwapChainExtent();
    w = extent.width;
    h = extent.height;
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    renderer->readFrame(*readableFrame, *swapChain, queue, rgba.data());
    return rgba;
}

uint32_t OrvApp::createSprite(double x, double y, const std::string& path, double w, double h) {
    if (!(w >= 0.0) || !(h >= 0.0) || !std::isfinite(w) || !std::isfinite(h)) {
        throw std::invalid_argument("a sprite's width and height must be finite and not negative (0: the picture's own)");
    }
    char resolved[PATH_MAX];
    const std::string key = ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
    auto found = pictures.find(key);
    if (found == pictures.end()) {
        VkPhysicalDeviceProperties properties;
        vkGetPhysicalDeviceProperties(device.getPhysicalDevice(), &properties);
        const Image image = loadImageFile(path, properties.limits.maxImageDimension2D);
        AtlasRect rect;
        try {
            rect = atlas.add(image.width, image.height, image.rgba.data());
        } catch (const std::runtime_error& e) {
            throw std::runtime_error("cannot load " + path + ": " + e.what());
        }
        found = pictures.emplace(key, Picture{rect, opaqueRegion(image)}).first;
    }
    GameObject object;
    object.kind = ObjectKind::Sprite;
    object.x = x;
    object.y = y;
    object.picture = found->second.rect;
    object.opaque = found->second.opaque;
    object.sizeX = w == 0.0 ? object.picture.width : w;
    object.sizeY = h == 0.0 ? object.picture.height : h;
    object.color = {1.0f, 1.0f, 1.0f};
    return scene.add(object);
}

uint32_t OrvApp::createText(double x, double y, const std::string& text, double size, int32_t rgb,
                            const std::string& fontPath) {
    if (!(size > 0.0) || !(size <= kMaxTextSize)) {
        throw std::invalid_argument("a text's size must be above 0 and at most " + std::to_string(int(kMaxTextSize)) +
                                    " pixels");
    }
    FontFace& face = fonts.face(fontPath);
    TextLayout layout;
    glyphCache.layout(face, size, text, layout);
    GameObject object;
    object.kind = ObjectKind::Text;
    object.x = x;
    object.y = y;
    object.sizeX = layout.width;
    object.sizeY = layout.height;
    object.color = unpackColor(rgb);
    const uint32_t id = scene.add(object);
    scene.editText(id) = std::move(layout);
    textStyles[id] = TextStyle{&face, size};
    return id;
}

void OrvApp::setText(uint32_t id, const std::string& text) {
    GameObject* object = scene.find(id);
    const auto style = textStyles.find(id);
    if (object == nullptr || object->kind != ObjectKind::Text || style == textStyles.end()) {
        return;
    }
    TextLayout& layout = scene.editText(id);
    glyphCache.layout(*style->second.face, style->second.size, text, layout);
    object = scene.find(id);  // the atlas may have grown, not the scene; found again all the same
    object->sizeX = layout.width;
    object->sizeY = layout.height;
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
    if (object == nullptr || object->kind == ObjectKind::Triangle) {
        return false;
    }
    // Sprites and text answer as the rectangle they are drawn in.
    const QuadCorners corners = cornersOf(*object);
    const bool inside = object->kind == ObjectKind::Circle
                            ? circleContains(corners, object->radius(), point, std::cout)
                            : rectangleContains(corners, point, std::cout);
    std::cout.flush();
    return inside;
}

void OrvApp::closeWindow() {
    if (window.isClosed()) {
        return;
    }
    // The swap chain's images live on the window system's connection, which closing
    // ends; release them first.
    waitIdle();
    swapChain.reset();
    window.close();
}

}  // namespace orv
