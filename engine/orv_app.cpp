#include "engine/orv_app.hpp"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "input/input_callbacks.hpp"
#include "input/input_state.hpp"
#include "engine/window_icon.hpp"
#include "platform/window_system_guard.hpp"
#include "render/image_file.hpp"
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
      library{atlas, maxImageSide(device)},
      pictureObjects{objects, library, atlas},
      pick{objects, atlas.alpha()} {
    // Keys held or events injected for an earlier window do not belong to this one.
    inputState().reset();
    objects.background = options.background;
    // A full-screen window has the monitor's size, whatever init asked for.
    if (window) {
        width = static_cast<int>(window->extent().width);
        height = static_cast<int>(window->extent().height);
    }
    renderer = makeRenderer(choice);
    loop = std::make_unique<FrameLoop>(device, queue, window.get(),
                                       VkExtent2D{static_cast<uint32_t>(width), static_cast<uint32_t>(height)},
                                       *renderer, atlas, objects, options.vsync);
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
            drawFrame(seconds);
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

bool OrvApp::step(FrameClock& clock, bool paced) {
    const FrameClock::Step step = clock.poll(FrameClock::steadyNowNs());
    if (paced) {
        seconds = clock.firstPacedFrame() ? static_cast<double>(clock.pace()) / 1e9 : step.frameTime;
    } else {
        seconds = step.frameTime;
        if (!step.draw) {
            return false;
        }
    }
    drawFrame(seconds);
    clock.drawn();
    if (paced) {
        clock.pacedFrameDrawn(clock.now());
    }
    return true;
}

void OrvApp::drawFrame(double frameSeconds) {
    // What happened since the last frame is what the script sees until the next one.
    inputState().endFrame();
    objects.advance(frameSeconds);
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

std::vector<uint8_t> OrvApp::readPixels(uint32_t& w, uint32_t& h) {
    if (isClosed()) {
        throw std::runtime_error("no frame to read: the window is closed");
    }
    return loop->readPixels(w, h);
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
